#include "testuhr.h"
