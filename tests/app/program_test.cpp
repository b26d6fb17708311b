// Marrowin.exe as a user meets it: started from its own folder, a second copy started beside
// it, and quit through the tray command with its confirmation.
#include "framework/wide_text.h"
#include "framework/window.h"
#include "owners/owners.h"
#include "resource.h"
#include "support/http_test_server.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "support/tray_menu.h"

#include <gtest/gtest.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    // Starts the program and waits for its main window, which it returns (null when none
    // came).
    HWND Launch(MarrowinProcess& program, const std::string& workingFolder = std::string()) {
        if (!program.Start(workingFolder))
            return nullptr;
        return WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    }

    TempFolder folder;
    TempFolder elsewhere;
};

// Ends the program through the tray's Quit command, answering its question with Yes; it must
// have ended within the given time.
void QuitThroughTheTray(MarrowinProcess& program, HWND mainWindow, DWORD timeoutMs = 20000) {
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    HWND box = WaitForMessageBox(mainWindow);
    ASSERT_NE(box, nullptr);
    PostClick(box, IDYES);
    EXPECT_EQ(program.WaitForExit(timeoutMs), 0u);
}

TEST_F(ProgramTest, ASecondCopyBringsTheFirstToTheFrontAndExitsWithZero) {
    MarrowinProcess first(folder.Path());
    HWND mainWindow = Launch(first);
    ASSERT_NE(mainWindow, nullptr);

    ::ShowWindow(mainWindow, SW_HIDE);
    ASSERT_FALSE(::IsWindowVisible(mainWindow));

    // Started from another folder, as a shortcut would.
    EXPECT_EQ(RunAndWait(first.ExePath(), elsewhere.Path()), 0u);
    EXPECT_TRUE(::IsWindowVisible(mainWindow));
    EXPECT_FALSE(::IsIconic(mainWindow));
    EXPECT_TRUE(first.IsRunning());
    // The second copy wrote nothing into the folder it was started in.
    EXPECT_FALSE(FileExists(elsewhere.File("Marrowin.ini")));

    // A maximised window stays maximised.
    ::ShowWindow(mainWindow, SW_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(mainWindow));
    EXPECT_EQ(RunAndWait(first.ExePath(), elsewhere.Path()), 0u);
    EXPECT_TRUE(::IsZoomed(mainWindow));

    QuitThroughTheTray(first, mainWindow);
}

// A help file that is missing, a folder or no help file: Help and F1 say so and where it was
// looked for, instead of nothing at all.
TEST_F(ProgramTest, HelpThatCannotOpenSaysWhereItWasLookedFor) {
    const std::string helpFile = folder.File("Marrowin.chm");
    for (const char* kind : {"missing", "folder", "junk"}) {
        SCOPED_TRACE(kind);
        if (std::string(kind) == "folder") {
            ASSERT_TRUE(::CreateDirectoryA(helpFile.c_str(), nullptr));
        }
        if (std::string(kind) == "junk") {
            ::RemoveDirectoryA(helpFile.c_str());
            WriteWholeFile(helpFile, "not a help file");
        }
        MarrowinProcess program(folder.Path());
        HWND mainWindow = Launch(program);
        ASSERT_NE(mainWindow, nullptr);
        // The Help button, then F1 as the system reports the key (WM_KEYF1), which the window's
        // default handling turns into WM_HELP.
        const UINT keyF1 = 0x004D;
        for (UINT message : {static_cast<UINT>(WM_COMMAND), keyF1}) {
            ::PostMessageA(mainWindow, message,
                           message == WM_COMMAND ? MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED) : 0, 0);
            HWND box = WaitForMessageBox(mainWindow);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(MessageBoxText(box),
                      "The help file '" + helpFile + "' could not be opened.");
            PostClick(box, IDOK);
            EXPECT_TRUE(PumpMessagesUntil([&] { return !::IsWindow(box); }, 5000));
        }
        QuitThroughTheTray(program, mainWindow);
    }
}

TEST_F(ProgramTest, QuitAnsweredNoKeepsItRunningAndYesEndsItWithZero) {
    WriteWholeFile(folder.File("Marrowin.ini"), "[Main]\r\nautostart=0\r\n");
    MarrowinProcess program(folder.Path());
    HWND mainWindow = Launch(program);
    ASSERT_NE(mainWindow, nullptr);

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    HWND box = WaitForMessageBox(mainWindow);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Are you sure you want to quit Marrowin ?");
    char caption[64] = {};
    ::GetWindowTextA(box, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Marrowin");
    PostClick(box, IDNO);
    EXPECT_EQ(program.WaitForExit(1500), static_cast<DWORD>(STILL_ACTIVE));

    QuitThroughTheTray(program, mainWindow);
}

TEST_F(ProgramTest, TheSettingsFileIsFoundBesideTheProgramWhereverItIsStartedFrom) {
    WriteWholeFile(folder.File("Marrowin.ini"), "[tunnel]\r\nservers=alpha,\r\n");
    MarrowinProcess program(folder.Path());
    // Started with another working folder: the program still reads the file beside itself.
    HWND mainWindow = Launch(program, elsewhere.Path());
    ASSERT_NE(mainWindow, nullptr);
    HWND combo = ::GetDlgItem(mainWindow, IDC_SERVER_NAME);
    EXPECT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_AUTOSTART, BN_CLICKED), 0);
    QuitThroughTheTray(program, mainWindow);
    EXPECT_NE(ReadWholeFile(folder.File("Marrowin.ini")).find("autostart="), std::string::npos);
}

// A folder whose path is too long for the ANSI file functions: the program reaches the settings
// file beside itself all the same. Wine starts a program from such a path only through its own
// loader, so the program is found by its window.
TEST_F(ProgramTest, InAFolderWithAVeryLongPathTheProgramReadsItsOwnSettingsFile) {
    std::wstring longFolder = L"\\\\?\\" + fw::Widen(folder.Path());
    while (longFolder.size() < 284) {
        longFolder += L"\\" + std::wstring(40, L'd');
        ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    }
    wchar_t shortFolder[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameW(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
    const std::string appFolder = fw::Narrow(shortFolder + 4);
    MarrowinProcess copy(appFolder);
    WriteWholeFile(appFolder + "\\Marrowin.ini", "[tunnel]\r\nservers=alpha,\r\n");
    const char* wineLoader = ::getenv("WINELOADER");
    ASSERT_NE(wineLoader, nullptr);
    std::string commandLine =
        std::string(wineLoader) + " \"" + fw::Narrow(longFolder.substr(4)) + "\\Marrowin.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION loader = {};
    ASSERT_TRUE(::CreateProcessA(WinePath(wineLoader).c_str(), &commandLine[0], nullptr, nullptr,
                                 FALSE, 0, nullptr, folder.Path().c_str(), &startup, &loader));
    ::CloseHandle(loader.hThread);
    ::CloseHandle(loader.hProcess);

    HWND mainWindow = WaitForTopLevelDialog(0, "Marrowin");
    ASSERT_NE(mainWindow, nullptr);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(mainWindow, &processId);
    fw::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    EXPECT_EQ(::SendMessageA(::GetDlgItem(mainWindow, IDC_SERVER_NAME), CB_GETCOUNT, 0, 0), 1);
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    HWND box = WaitForMessageBox(mainWindow);
    ASSERT_NE(box, nullptr);
    PostClick(box, IDYES);
    EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    // The rest of the folders are short enough for the temporary folder's removal.
    RemoveTree(appFolder);
}

TEST_F(ProgramTest, QuitDuringAVersionCheckEndsTheProgramWithoutWaitingForTheServer) {
    HttpTestServer server;
    server.HoldAnswers();
    ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", server.Address().c_str());
    MarrowinProcess program(folder.Path());
    HWND mainWindow = Launch(program);
    ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", nullptr);
    ASSERT_NE(mainWindow, nullptr);

    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_VERSION_CHECK, BN_CLICKED), 0);
    ASSERT_TRUE(server.WaitForRequests(1));
    // The server never answers while the program is asked to quit. The program ends well
    // before the check would give up on the server.
    QuitThroughTheTray(program, mainWindow, 5000);
}

std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text)
        bytes += std::string{c, '\0'};
    return bytes;
}

// Settings files written by hand, by other programs or by accident: the program starts, shows
// the accounts it can read, and leaves the file as it was, byte for byte.
TEST_F(ProgramTest, HostileSettingsFilesStartTheProgramAndStayAsTheyWere) {
    const std::string account = "[tunnel]\r\nservers=alpha,\r\n[alpha]\r\nusername=joe\r\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    std::string manySections = "[tunnel]\r\nservers=alpha,\r\n";
    for (int i = 0; i < 10000; ++i)
        manySections += "[s" + std::to_string(i) + "]\r\nforwardings=1:a:1:x,\r\n";
    const std::string longName(600, 'n');
    const struct {
        const char* what;
        std::string contents;
        int accounts;
    } cases[] = {
        {"empty", "", 0},
        {"binary", binary, -1},
        {"huge line", account + "forwardings=" + std::string(200000, 'x') + "\r\n", 1},
        {"10,000 sections", manySections, 1},
        {"a name of 600 characters", "[tunnel]\r\nservers=" + longName + ",\r\ndefault=" +
                                         longName + "\r\n[" + longName + "]\r\nport=22\r\n",
         1},
        {"byte order mark", "\xEF\xBB\xBF" + account, 1},
        {"UTF-16", Utf16(account), 1},
        {"CR-only line ends", "[tunnel]\rservers=alpha,beta,\r[alpha]\rusername=joe\r", 2},
        {"duplicate sections", account + "[TUNNEL]\r\nservers=x,y,z,\r\n" + account, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(folder.File("Marrowin.ini"), c.contents);
        MarrowinProcess program(folder.Path());
        HWND mainWindow = Launch(program);
        ASSERT_NE(mainWindow, nullptr);
        if (c.accounts >= 0) {
            EXPECT_EQ(::SendMessageA(::GetDlgItem(mainWindow, IDC_SERVER_NAME), CB_GETCOUNT, 0, 0),
                      c.accounts);
        }
        QuitThroughTheTray(program, mainWindow);
        EXPECT_TRUE(ReadWholeFile(folder.File("Marrowin.ini")) == c.contents);
    }
}

// The hidden window of the process that the shell reports the tray icon's clicks to.
HWND FindTrayWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            char name[64] = {};
            ::GetClassNameA(window, name, sizeof(name));
            if (owner != search->processId || std::string(name) != fw::kWindowClassName)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ProgramTest, TheTrayIconLivesAsLongAsTheProgramAndAClickOnItShowsTheWindow) {
    MarrowinProcess program(folder.Path());
    HWND mainWindow = Launch(program);
    ASSERT_NE(mainWindow, nullptr);
    HWND trayWindow = FindTrayWindow(program.ProcessId());
    ASSERT_NE(trayWindow, nullptr);
    EXPECT_TRUE(ShellHoldsIcon(trayWindow, IDR_TRAY_MENU));

    ::ShowWindow(mainWindow, SW_HIDE);
    const UINT callback = ::RegisterWindowMessageA("CTrayIcon");
    ::SendMessageA(trayWindow, callback, IDR_TRAY_MENU, WM_LBUTTONDOWN);
    ::SendMessageA(trayWindow, callback, IDR_TRAY_MENU, WM_LBUTTONUP);
    EXPECT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(mainWindow) != FALSE; }));

    QuitThroughTheTray(program, mainWindow);
    EXPECT_FALSE(ShellHoldsIcon(trayWindow, IDR_TRAY_MENU));
}

} // namespace
