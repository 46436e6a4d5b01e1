#include "zeiger.h"
