// The module's copies of the host's service records, and message lookup: the layer below the
// dialog that every part of the module reaches the host through. The entry points (host/) fill it.
#pragma once

#include "far/far_api.h"

#if (defined(__i386__) || defined(_M_IX86)) && defined(__GNUC__) && !defined(__SSE2_MATH__)
// x87 arithmetic keeps intermediate results at 80 bits, so results could differ from every
// other build in the last bits; SSE2 rounds each one to a double.
#error "32-bit x86 builds of the module need -msse2 -mfpmath=sse"
#endif

// Taken once in SetStartupInfo; gStartupInfo.FSF points at gStdFunctions, so the module never
// reads the host's own records again.
extern PluginStartupInfo gStartupInfo;
extern FarStandardFunctions gStdFunctions;

// Copies *info and the standard functions it points to (info is not null). Members a host did
// not give (a shorter record, no standard functions at all) read as null.
void KeepHostRecords(const PluginStartupInfo* info);

// True when the host gave every service the dialog calls: DialogEx, SendDlgMessage, DefDlgProc,
// GetMsg, and the standard functions sprintf, itoa, LStrupr and LStrlwr. (itoa64 is not among
// them: without it the integer fields stay empty beyond 32 bits.) A host that gave no
// standard-functions record at all has none of the four.
bool HasDialogServices();

// The host's text of message index for this module. It belongs to the host: copy, never free.
// Never null: a host that gives no text yields the empty text.
const char* GetMsgText(int index);
