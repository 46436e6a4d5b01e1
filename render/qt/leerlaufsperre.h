#pragma once
#include <QObject>

// While at least one of these lives, the frame timer fires no ticks. A synchronous
// network call holds one while it pumps the event loop itself, because that pump must
// not run frames in the middle of the caller's code.
class TLeerlaufSperre {
public:
    TLeerlaufSperre();
    ~TLeerlaufSperre();
    TLeerlaufSperre(const TLeerlaufSperre&) = delete;
    TLeerlaufSperre& operator=(const TLeerlaufSperre&) = delete;

    // Whether a guard lives at the moment.
    static bool aktiv();
};

// Tells when the last guard has gone. A frame timer that met a guard unhooks its idle
// timer meanwhile, so that the guarded pump can sleep, and hooks in again on this.
class TLeerlaufMelder : public QObject {
    Q_OBJECT
public:
    static TLeerlaufMelder& instanz();

signals:
    void freigegeben();
};
