#include "bild.h"
