#include "engine/evaluator.h"
