#include "spiel.h"
