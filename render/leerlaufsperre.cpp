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
    --sperrenZahl();
}

bool TLeerlaufSperre::aktiv() {
    return sperrenZahl() > 0;
}
