#include "zeitrechnung.h"
