#include "engine/signs.h"
