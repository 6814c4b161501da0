#include "engine/validator.h"
