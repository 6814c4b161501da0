// The module's copies of the host's service records, and message lookup.
#pragma once

#include "host/far_api.h"

// Taken once in SetStartupInfo; gStartupInfo.FSF points at gStdFunctions, so the module never
// reads the host's own records again.
extern PluginStartupInfo gStartupInfo;
extern FarStandardFunctions gStdFunctions;

// The host's text of message index for this module. It belongs to the host: copy, never free.
// Never null: a host that gives no text yields the empty text.
const char* GetMsgText(int index);
