#include "engine/postfix.h"
