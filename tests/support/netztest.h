#pragma once
#include <chrono>
#include <functional>

// Makes sure a QCoreApplication exists for tests of event-driven components.
void qtAnwendungSicherstellen();

// Pumps the event loop until the condition holds or the time is up; returns the condition.
bool pumpenBis(const std::function<bool()>& bedingung,
               std::chrono::milliseconds frist = std::chrono::milliseconds(5000));
