#include "leerlaufsperre.h"

namespace {
// How many guards live. Only the user-interface thread makes them and reads the count.
int& sperrenZahl() {
    static int zahl = 0;
    return zahl;
}
} // namespace

TLeerlaufSperre::TLeerlaufSperre() {
    ++sperrenZahl();
}

TLeerlaufSperre::~TLeerlaufSperre() {
    if (--sperrenZahl() == 0) emit TLeerlaufMelder::instanz().freigegeben();
}

bool TLeerlaufSperre::aktiv() {
    return sperrenZahl() > 0;
}

TLeerlaufMelder& TLeerlaufMelder::instanz() {
    // Never destroyed: timers may still be connected to it while statics go.
    static TLeerlaufMelder* melder = new TLeerlaufMelder;
    return *melder;
}
