#include "iofehler.h"
