// Presses a button of a running program's window from outside, as a click would: the run
// command uses it to open the main window's settings panel before its screenshot.
//
//   press_button.exe <window title> <control id>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: press_button.exe <window title> <control id>\n");
        return 2;
    }
    HWND window = ::FindWindowA("#32770", argv[1]);
    HWND button = window ? ::GetDlgItem(window, std::atoi(argv[2])) : nullptr;
    if (!button) {
        std::fprintf(stderr, "no control %s in a window \"%s\"\n", argv[2], argv[1]);
        return 1;
    }
    ::SendMessageA(button, BM_CLICK, 0, 0);
    return 0;
}
