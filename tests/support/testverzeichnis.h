// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A fresh directory for one test, removed with everything in it afterwards.
class TTestVerzeichnis {
public:
    TTestVerzeichnis() {
        std::string muster = (std::filesystem::temp_directory_path() / "zundel-XXXXXX").string();
        if (::mkdtemp(muster.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        pfad_ = muster;
    }
    ~TTestVerzeichnis() {
        std::error_code fehler;
        std::filesystem::remove_all(pfad_, fehler);
    }
    TTestVerzeichnis(const TTestVerzeichnis&) = delete;
    TTestVerzeichnis& operator=(const TTestVerzeichnis&) = delete;

    std::string datei(const std::string& name) const { return (pfad_ / name).string(); }
    const std::filesystem::path& pfad() const { return pfad_; }

    // The names in the directory, for checking that nothing was left behind.
    std::vector<std::string> namen() const {
        std::vector<std::string> r;
        for (const auto& eintrag : std::filesystem::directory_iterator(pfad_))
            r.push_back(eintrag.path().filename().string());
        return r;
    }

private:
    std::filesystem::path pfad_;
};

inline void bytesSchreiben(const std::string& pfad, const std::vector<uint8_t>& bytes) {
    std::ofstream aus(pfad, std::ios::binary | std::ios::trunc);
    aus.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> bytesLesen(const std::string& pfad) {
    std::ifstream ein(pfad, std::ios::binary);
    return {std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>()};
}
