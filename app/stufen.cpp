#include "stufen.h"
