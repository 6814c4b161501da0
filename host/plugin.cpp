#include "host/far_api.h"
