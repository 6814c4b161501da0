// The syntax checker: is a prepared formula well formed, and if not, which fault comes first.
#pragma once

#include "engine/status.h"

// Returns MsgOk or one refusal code 9..24. Reads only its inputs and the constant tables,
// allocates nothing and keeps nothing between calls. formula has had its spaces deleted and is
// lower case; allowed is the set of allowed characters (AllowedChars in the dialog).
StatusCode ValidateFormula(const char* formula, const char* allowed);
