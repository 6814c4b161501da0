// Entry layer: copies of the host records and message lookup.
#include "host/far_api.h"
