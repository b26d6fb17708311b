// The application object: one per process, constructed during static initialisation.
// The entry point hands control to its InitInstance; when that returns, the process ends.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Dialog;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    // Runs InitInstance and returns the process exit code.
    int Run();

    void SetHelpFile(const std::string& file) { helpFile_ = file; }
    const std::string& HelpFile() const { return helpFile_; }
    void SetMainWindow(Dialog* window) { mainWindow_ = window; }
    Dialog* MainWindow() const { return mainWindow_; }
    // Told when the help file could not be opened at a topic, to tell the user.
    virtual void OnHelpNotShown(HWND /*owner*/) {}

protected:
    // Returns false when the process is to end without a message loop of its own.
    virtual bool InitInstance() = 0;

private:
    std::string helpFile_;
    Dialog* mainWindow_ = nullptr;
};

// Opens the HTML help file at the topic with the given context id; false when the file is no
// help file (missing, a folder, anything else) or the help viewer is not available or refuses.
// Goes through the user seam like message boxes.
bool ShowHelpTopic(HWND owner, const std::string& helpFile, DWORD contextId);
// The same in the application's help file ("Marrowin.chm" in the working folder without one);
// a failure is told to the application.
bool ShowProgramHelp(HWND owner, DWORD contextId);

// The full path of the running executable, however long.
std::string ExecutablePath();
// The folder of the running executable: its full path cut before the last backslash, or the
// empty text when the path holds none. A folder too long for the ANSI file functions to reach
// the files in it comes in its short form, where its volume keeps short names.
std::string ExecutableFolder();

} // namespace fw
