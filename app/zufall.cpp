#include "zufall.h"
