/* numo-screen: prints the text of another program's console window, one line a row, in UTF-8.
 *
 *   numo-screen.exe IMAGE-NAME
 *
 * Finds the first running process whose image name is IMAGE-NAME (e.g. Far.exe, any case),
 * attaches to its console (AttachConsole), and reads the characters of the console window's
 * rows (ReadConsoleOutputCharacterW) through CONOUT$. Colours are not read: the stage compares
 * text. Exit status 0, or 2 for bad arguments, 3 when no such process runs, 4 when its console
 * cannot be attached to or read. Built with mingw-w64; it imports KERNEL32 and msvcrt only.
 */
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>

static DWORD FindProcess(const wchar_t* image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry;
    DWORD found = 0;
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    entry.dwSize = sizeof entry;
    if (Process32FirstW(snapshot, &entry)) {
        do {
            if (lstrcmpiW(entry.szExeFile, image) == 0) {
                found = entry.th32ProcessID;
                break;
            }
        } while (Process32NextW(snapshot, &entry));
    }
    CloseHandle(snapshot);
    return found;
}

/* Writes all bytes to the handle standard output had before the console changed. */
static int WriteAll(HANDLE out, const char* bytes, DWORD length) {
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(out, bytes, length, &written, NULL) || written == 0)
            return 0;
        bytes += written;
        length -= written;
    }
    return 1;
}

int wmain(int argc, wchar_t** argv) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE); /* a pipe or a file, kept across the change */
    DWORD pid;
    HANDLE screen;
    CONSOLE_SCREEN_BUFFER_INFO info;
    SHORT row;
    int width;
    wchar_t* cells;
    char* line;
    if (argc != 2) {
        fputs("usage: numo-screen.exe IMAGE-NAME\n", stderr);
        return 2;
    }
    pid = FindProcess(argv[1]);
    if (pid == 0) {
        fwprintf(stderr, L"numo-screen: no process %ls runs\n", argv[1]);
        return 3;
    }
    FreeConsole();
    if (!AttachConsole(pid))
        return 4;
    screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         NULL, OPEN_EXISTING, 0, NULL);
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        FreeConsole();
        return 4;
    }
    width = info.srWindow.Right - info.srWindow.Left + 1;
    cells = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)width);
    line = (char*)malloc((size_t)width * 4 + 2);
    if (cells == NULL || line == NULL) {
        FreeConsole();
        return 4;
    }
    for (row = info.srWindow.Top; row <= info.srWindow.Bottom; ++row) {
        COORD at;
        DWORD read = 0;
        int bytes;
        at.X = info.srWindow.Left;
        at.Y = row;
        if (!ReadConsoleOutputCharacterW(screen, cells, (DWORD)width, at, &read)) {
            FreeConsole();
            return 4;
        }
        bytes = WideCharToMultiByte(CP_UTF8, 0, cells, (int)read, line, width * 4, NULL, NULL);
        line[bytes] = '\n';
        if (!WriteAll(out, line, (DWORD)bytes + 1)) {
            FreeConsole();
            return 4;
        }
    }
    CloseHandle(screen);
    FreeConsole();
    free(cells);
    free(line);
    return 0;
}
