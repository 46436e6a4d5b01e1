#include "uhr.h"
