#include "ligacode.h"
