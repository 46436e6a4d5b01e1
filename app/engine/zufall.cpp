#include "zufall.h"
#include "uhr.h"

void TZufall::randomize(const TUhr& uhr) {
    zustand = uhr.utcTagesMillisekunden();
}
