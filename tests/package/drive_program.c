/*
 * Drives a running Movalent from outside, under the same Wine prefix:
 *   drive_program            asks for the options sheet and prints its caption (UTF-8), which is in the program's
 *                            language; then closes the sheet and the program
 *   drive_program wait       returns once the main window exists
 *   drive_program close      closes the program
 * Exits 0 when all went so, 1 otherwise (the reason on stderr).
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "resource.h"

static DWORD g_process;
static HWND g_sheet;

static BOOL CALLBACK FindSheet(HWND hwnd, LPARAM unused) {
    wchar_t className[64];
    DWORD process = 0;
    (void)unused;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != g_process || !IsWindowVisible(hwnd) || !GetClassNameW(hwnd, className, 64) ||
        lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    g_sheet = hwnd;
    return FALSE;
}

static HWND WaitFor(HWND (*find)(void), int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        HWND hwnd = find();
        if (hwnd)
            return hwnd;
        Sleep(100);
    }
    return NULL;
}

static HWND MainFrame(void) { return FindWindowW(L"MovalentMainFrame", NULL); }

static HWND Sheet(void) {
    g_sheet = NULL;
    EnumWindows(FindSheet, 0);
    return g_sheet;
}

static int CloseProgram(HWND frame, HANDLE process) {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    if (!process || WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) {
        fprintf(stderr, "Movalent did not end within 30 s of being closed\n");
        if (process)
            TerminateProcess(process, 1);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "caption";
    HWND frame = WaitFor(MainFrame, 60);
    if (!frame) {
        fprintf(stderr, "no Movalent main window within 60 s\n");
        return 1;
    }
    if (strcmp(mode, "wait") == 0)
        return 0;
    GetWindowThreadProcessId(frame, &g_process);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, g_process);
    if (strcmp(mode, "close") == 0)
        return CloseProgram(frame, process);
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_CONFIGURE, 0), 0);
    HWND sheet = WaitFor(Sheet, 30);
    int status = 0;
    if (sheet) {
        wchar_t caption[256];
        char utf8[1024];
        int length = GetWindowTextW(sheet, caption, 256);
        int bytes = WideCharToMultiByte(CP_UTF8, 0, caption, length, utf8, sizeof utf8 - 1, NULL, NULL);
        utf8[bytes > 0 ? bytes : 0] = '\0';
        printf("%s\n", utf8);
        PostMessageW(sheet, WM_CLOSE, 0, 0);
        for (int i = 0; i < 100 && IsWindow(sheet); ++i)
            Sleep(100);
    } else {
        fprintf(stderr, "the options sheet did not open within 30 s\n");
        status = 1;
    }
    return CloseProgram(frame, process) == 0 ? status : 1;
}
