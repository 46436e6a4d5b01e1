#include "leerlaufsperre.h"

#include "dxtimer.h"

TLeerlaufSperre::TLeerlaufSperre(TDXTimer* timer) : timer_(timer) {
    if (timer_) timer_->sperren();
}

TLeerlaufSperre::~TLeerlaufSperre() {
    if (timer_) timer_->freigeben();
}
