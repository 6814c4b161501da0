// Our declarations of the host's plug-in interface (version 1.7x): the records the host hands
// to the module, the services the module calls, and the constants it uses. Member order and
// sizes follow the host's binary interface, so the 32-bit Windows build has the host's layout;
// members the module never calls keep their place and size as untyped function pointers.
#pragma once

#include "platform/winapi.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#endif

constexpr int NM = 260;

struct FarDialogItem;
struct FarStandardFunctions;

// A member the module never calls: only its place and size matter.
typedef void(WINAPI* FARAPIUNUSED)();

typedef const char*(WINAPI* FARAPIGETMSG)(INT_PTR PluginNumber, int MsgId);
typedef LONG_PTR(WINAPI* FARWINDOWPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef LONG_PTR(WINAPI* FARAPISENDDLGMESSAGE)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef LONG_PTR(WINAPI* FARAPIDEFDLGPROC)(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
typedef int(WINAPI* FARAPIDIALOGEX)(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2,
                                    const char* HelpTopic, FarDialogItem* Item, int ItemsNumber,
                                    DWORD Reserved, DWORD Flags, FARWINDOWPROC DlgProc,
                                    LONG_PTR Param);
// The host's sprintf is the one cdecl service: it is variadic.
typedef int(WINAPIV* FARSTDSPRINTF)(char* Buffer, const char* Format, ...);
typedef char*(WINAPI* FARSTDITOA)(int Value, char* Str, int Radix);
#ifndef _WIN32
typedef long long __int64; // the compilers of the host's platform know it as a type of their own
#endif
static_assert(sizeof(__int64) == 8, "__int64: 64 bits");
typedef char*(WINAPI* FARSTDITOA64)(__int64 Value, char* Str, int Radix);
typedef void(WINAPI* FARSTDLOCALSTRUPR)(char* Str);
typedef void(WINAPI* FARSTDLOCALSTRLWR)(char* Str);

struct FarStandardFunctions {
    int StructSize;
    FARAPIUNUSED atoi;
    FARAPIUNUSED atoi64;
    FARSTDITOA itoa;
    FARSTDITOA64 itoa64;
    FARSTDSPRINTF sprintf;
    FARAPIUNUSED sscanf;
    FARAPIUNUSED qsort;
    FARAPIUNUSED bsearch;
    FARAPIUNUSED qsortex;
    FARAPIUNUSED snprintf;
    DWORD_PTR Reserved[8];
    FARAPIUNUSED LIsLower;
    FARAPIUNUSED LIsUpper;
    FARAPIUNUSED LIsAlpha;
    FARAPIUNUSED LIsAlphanum;
    FARAPIUNUSED LUpper;
    FARAPIUNUSED LLower;
    FARAPIUNUSED LUpperBuf;
    FARAPIUNUSED LLowerBuf;
    FARSTDLOCALSTRUPR LStrupr;
    FARSTDLOCALSTRLWR LStrlwr;
    FARAPIUNUSED LStricmp;
    FARAPIUNUSED LStrnicmp;
    FARAPIUNUSED Unquote;
    FARAPIUNUSED ExpandEnvironmentStr;
    FARAPIUNUSED LTrim;
    FARAPIUNUSED RTrim;
    FARAPIUNUSED Trim;
    FARAPIUNUSED TruncStr;
    FARAPIUNUSED TruncPathStr;
    FARAPIUNUSED QuoteSpaceOnly;
    FARAPIUNUSED PointToName;
    FARAPIUNUSED GetPathRoot;
    FARAPIUNUSED AddEndSlash;
    FARAPIUNUSED CopyToClipboard;
    FARAPIUNUSED PasteFromClipboard;
    FARAPIUNUSED FarKeyToName;
    FARAPIUNUSED FarNameToKey;
    FARAPIUNUSED FarInputRecordToKey;
    FARAPIUNUSED XLat;
    FARAPIUNUSED GetFileOwner;
    FARAPIUNUSED GetNumberOfLinks;
    FARAPIUNUSED FarRecursiveSearch;
    FARAPIUNUSED MkTemp;
    FARAPIUNUSED DeleteBuffer;
    FARAPIUNUSED ProcessName;
    FARAPIUNUSED MkLink;
    FARAPIUNUSED ConvertNameToReal;
    FARAPIUNUSED GetReparsePointInfo;
};

struct PluginStartupInfo {
    int StructSize;
    char ModuleName[NM];
    INT_PTR ModuleNumber;
    const char* RootKey;
    FARAPIUNUSED Menu;
    FARAPIUNUSED Dialog;
    FARAPIUNUSED Message;
    FARAPIGETMSG GetMsg;
    FARAPIUNUSED Control;
    FARAPIUNUSED SaveScreen;
    FARAPIUNUSED RestoreScreen;
    FARAPIUNUSED GetDirList;
    FARAPIUNUSED GetPluginDirList;
    FARAPIUNUSED FreeDirList;
    FARAPIUNUSED Viewer;
    FARAPIUNUSED Editor;
    FARAPIUNUSED CmpName;
    FARAPIUNUSED CharTable;
    FARAPIUNUSED Text;
    FARAPIUNUSED EditorControl;
    FarStandardFunctions* FSF;
    FARAPIUNUSED ShowHelp;
    FARAPIUNUSED AdvControl;
    FARAPIUNUSED InputBox;
    FARAPIDIALOGEX DialogEx;
    FARAPISENDDLGMESSAGE SendDlgMessage;
    FARAPIDEFDLGPROC DefDlgProc;
    DWORD_PTR Reserved;
    FARAPIUNUSED ViewerControl;
};

struct PluginInfo {
    int StructSize;
    DWORD Flags;
    const char* const* DiskMenuStrings;
    int* DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char* const* PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char* const* PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char* CommandPrefix;
    DWORD Reserved;
};

// A console cell, as Windows declares it: the cursor of an edit line is {column, 0}.
#ifndef _WIN32
typedef short SHORT;
struct COORD {
    SHORT X;
    SHORT Y;
};
#endif
static_assert(sizeof(COORD) == 4, "COORD: two 16-bit members");
static_assert(offsetof(COORD, X) == 0 && offsetof(COORD, Y) == 2, "COORD: X, then Y");

constexpr int kItemTextSize = 512; // an item's text: 511 characters and the terminator

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    union {
        DWORD_PTR Reserved;
        int Selected;
        const char* History;
        const char* Mask;
        void* ListItems;
        int ListPos;
        void* VBuf;
    };
    DWORD Flags;
    int DefaultButton;
    union {
        char Data[kItemTextSize];
        struct {
            DWORD PtrFlags;
            int PtrLength;
            char* PtrData;
            char PtrTail[1];
        } Ptr;
    };
};

// Item types
enum : int {
    DI_TEXT = 0,
    DI_VTEXT = 1,
    DI_SINGLEBOX = 2,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_PSWEDIT = 5,
    DI_FIXEDIT = 6,
    DI_BUTTON = 7,
};

// Item flags
enum : DWORD {
    DIF_COLORMASK = 0xFF,
    DIF_SETCOLOR = 0x100,
    DIF_BOXCOLOR = 0x200,
    DIF_CENTERGROUP = 0x4000,
    DIF_SEPARATOR = 0x10000,
    DIF_HISTORY = 0x40000,
    DIF_USELASTHISTORY = 0x200000,
    DIF_HIDDEN = 0x10000000,
    DIF_READONLY = 0x20000000,
    DIF_NOFOCUS = 0x40000000,
    DIF_DISABLE = 0x80000000,
};

// Dialog messages and events
enum : int {
    DM_CLOSE = 1,
    DM_GETDLGITEM = 5,
    DM_KEY = 9,
    DM_SETDLGITEM = 12,
    DM_SETFOCUS = 13,
    DM_REDRAW = 14,
    DM_SETMAXTEXTLENGTH = 16, // P1 an edit item, P2 its longest text; returns the former limit
    DM_GETFOCUS = 18,
    DM_GETCURSORPOS = 19, // P1 an edit item, P2 a COORD* that receives the cursor
    DM_SETCURSORPOS = 20, // P1 an edit item, P2 a COORD* {X, 0}; the line scrolls to show it
    DM_EDITUNCHANGEDFLAG = 50,
    DM_USER = 0x4000,

    DN_CLOSE = 1,
    DN_KEY = 9,
    DN_BTNCLICK = 0x1001,
    DN_CTLCOLORDIALOG = 0x1002,
    DN_CTLCOLORDLGITEM = 0x1003,
    DN_DRAWDIALOG = 0x1005,
    DN_EDITCHANGE = 0x1007,
    DN_ENTERIDLE = 0x1008,
    DN_GOTFOCUS = 0x1009,
    DN_HELP = 0x100A,
    DN_HOTKEY = 0x100B,
    DN_INITDIALOG = 0x100C,
    DN_KILLFOCUS = 0x100D,
    DN_MOUSECLICK = 0x100F,
    DN_RESIZECONSOLE = 0x1011,
    DN_DRAWDIALOGDONE = 0x1013,
};

// Plug-in flags
enum : DWORD {
    PF_PRELOAD = 1,
    PF_DISABLEPANELS = 2,
    PF_EDITOR = 4,
    PF_VIEWER = 8,
    PF_FULLCMDLINE = 0x10,
    PF_DIALOG = 0x20,
};

// Where OpenPlugin was called from
enum : int {
    OPEN_DISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_FINDLIST = 2,
    OPEN_SHORTCUT = 3,
    OPEN_COMMANDLINE = 4,
    OPEN_EDITOR = 5,
    OPEN_VIEWER = 6,
    OPEN_DIALOG = 8,
};

// Keys
enum : int {
    KEY_BS = 0x08,
    KEY_TAB = 0x09,
    KEY_ENTER = 0x0D,
    KEY_ESC = 0x1B,
    KEY_SPACE = 0x20,
    KEY_PGUP = 0x121,
    KEY_PGDN = 0x122,
    KEY_END = 0x123,
    KEY_HOME = 0x124,
    KEY_LEFT = 0x125,
    KEY_UP = 0x126,
    KEY_RIGHT = 0x127,
    KEY_DOWN = 0x128,
    KEY_INS = 0x12D,
    KEY_DEL = 0x12E,
    KEY_MULTIPLY = 0x16A,
    KEY_ADD = 0x16B,      // grey plus: 363
    KEY_SUBTRACT = 0x16D, // grey minus: 365
    KEY_DIVIDE = 0x16F,
    KEY_F1 = 0x170,
    KEY_F10 = 0x179,
    KEY_NUMDEL = 0x209,
    KEY_NUMENTER = 0x20B,

    KEY_CTRL = 0x01000000,
    KEY_ALT = 0x02000000,
    KEY_SHIFT = 0x04000000,
    KEY_RCTRL = 0x10000000,
    KEY_RALT = 0x20000000,
    KEY_CTRLDOWN = KEY_CTRL | KEY_DOWN,
    KEY_CTRLY = KEY_CTRL | 'Y',
    KEY_CTRLC = KEY_CTRL | 'C',
    KEY_SHIFTTAB = KEY_SHIFT | KEY_TAB,
};

// The module's exports, with the host's calling convention (stdcall on Windows). On Windows a
// .def file maps the plain names to the decorated stdcall symbols; elsewhere these three are the
// only symbols the shared library makes visible.
#ifdef _WIN32
#define NUMO_EXPORT
#else
#define NUMO_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
NUMO_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo* Info);
NUMO_EXPORT void WINAPI GetPluginInfo(PluginInfo* Info);
NUMO_EXPORT HANDLE WINAPI OpenPlugin(int OpenFrom, INT_PTR Item);
}

// OpenPlugin's answer for "no panel to open".
#define NUMO_INVALID_HANDLE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

typedef void(WINAPI* SETSTARTUPINFO)(const PluginStartupInfo* Info);
typedef void(WINAPI* GETPLUGININFO)(PluginInfo* Info);
typedef HANDLE(WINAPI* OPENPLUGIN)(int OpenFrom, INT_PTR Item);

#if defined(__i386__) || defined(_M_IX86)
// The host's binary layout on its own (32-bit) target.
static_assert(sizeof(void*) == 4, "i686 target");
static_assert(sizeof(PluginStartupInfo) == 372, "PluginStartupInfo");
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264, "ModuleNumber");
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284, "GetMsg");
static_assert(offsetof(PluginStartupInfo, FSF) == 336, "FSF");
static_assert(offsetof(PluginStartupInfo, DialogEx) == 352, "DialogEx");
static_assert(offsetof(PluginStartupInfo, SendDlgMessage) == 356, "SendDlgMessage");
static_assert(offsetof(PluginStartupInfo, DefDlgProc) == 360, "DefDlgProc");
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 368, "ViewerControl");
static_assert(sizeof(FarStandardFunctions) == 228, "FarStandardFunctions");
static_assert(offsetof(FarStandardFunctions, itoa) == 12, "itoa");
static_assert(offsetof(FarStandardFunctions, itoa64) == 16, "itoa64");
static_assert(offsetof(FarStandardFunctions, sprintf) == 20, "sprintf");
static_assert(offsetof(FarStandardFunctions, Reserved) == 44, "Reserved");
static_assert(offsetof(FarStandardFunctions, LStrupr) == 108, "LStrupr");
static_assert(offsetof(FarStandardFunctions, LStrlwr) == 112, "LStrlwr");
static_assert(offsetof(FarStandardFunctions, GetReparsePointInfo) == 224, "GetReparsePointInfo");
static_assert(sizeof(PluginInfo) == 44, "PluginInfo");
static_assert(offsetof(PluginInfo, Flags) == 4, "Flags");
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20, "PluginMenuStrings");
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 24, "PluginMenuStringsNumber");
static_assert(offsetof(PluginInfo, Reserved) == 40, "PluginInfo Reserved");
static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem");
static_assert(offsetof(FarDialogItem, Focus) == 20, "Focus");
static_assert(offsetof(FarDialogItem, Selected) == 24, "Selected");
static_assert(offsetof(FarDialogItem, History) == 24, "History");
static_assert(offsetof(FarDialogItem, Flags) == 28, "Flags");
static_assert(offsetof(FarDialogItem, DefaultButton) == 32, "DefaultButton");
static_assert(offsetof(FarDialogItem, Data) == 36, "Data");
static_assert(sizeof(FarDialogItem::Data) == 512, "Data size");
#endif
