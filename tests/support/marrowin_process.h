// Marrowin.exe started as a real process from an app folder of the test's own and driven
// from outside, as a user would: its windows are found by class and title, its message boxes
// answered by clicking their buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A Linux path handed over by the build, as Wine sees it (drive Z: is the Linux root).
std::string WinePath(const std::string& linuxPath);

class MarrowinProcess {
public:
    // Copies the built Marrowin.exe into the folder, unless told to start the one already there
    // (an installed copy).
    explicit MarrowinProcess(const std::string& appFolder, bool copyBuiltProgram = true);
    ~MarrowinProcess();
    MarrowinProcess(const MarrowinProcess&) = delete;
    MarrowinProcess& operator=(const MarrowinProcess&) = delete;

    // Starts the program in the given working folder (its app folder when empty).
    bool Start(const std::string& workingFolder = std::string());
    // Waits for the process to end; its exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    bool IsRunning() const;
    DWORD ProcessId() const { return process_.dwProcessId; }
    const std::string& ExePath() const { return exePath_; }

private:
    std::string appFolder_;
    std::string exePath_;
    PROCESS_INFORMATION process_ = {};
};

// The top-level main window ("#32770") with the given title that belongs to the process (to any
// process for 0), once its start-up is over, or null once the time is out.
HWND WaitForTopLevelDialog(DWORD processId, const std::string& title, DWORD timeoutMs = 20000);
// The shown top-level dialog of the process with that title, or null.
HWND ShownDialog(DWORD processId, const std::string& title);
// A shown message box of the window's whose text has that part, or null.
HWND ShownBoxSaying(HWND owner, const std::string& part);
// The message box owned by the window, or null once the time is out.
HWND WaitForMessageBox(HWND owner, DWORD timeoutMs = 10000);
// The Yes/No message boxes owned by no window, with that caption, of other processes than this
// one.
std::vector<HWND> UnownedQuestions(const std::string& caption);
// The text of a message box.
std::string MessageBoxText(HWND box);
// The text of another process's window, its edit controls too (whose ANSI WM_GETTEXT answers
// another process with garbage under Wine, so it is read wide).
std::string OtherProcessText(HWND window);
// The texts of the balloons the shell shows now, and whether one of them holds the text.
std::vector<std::string> ShownBalloons();
bool BalloonShows(const std::string& text);
// A click on a button of another process's dialog or message box (IDYES, IDNO, IDOK ...),
// posted, so that a window the click opens runs its own modal loop while the test goes on.
void PostClick(HWND dialog, int id);
// Runs a program with the given working folder and waits for its exit code.
DWORD RunAndWait(const std::string& program, const std::string& folder, DWORD timeoutMs = 20000);
// How many processes of that file name ("plink.exe") run now.
int CountProcesses(const std::string& fileName);
