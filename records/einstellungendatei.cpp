#include "einstellungendatei.h"
