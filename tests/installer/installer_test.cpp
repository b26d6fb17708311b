// Marrowin-setup.exe run for real in the test's Wine prefix: a silent install for the current
// user, the installed program run and quit, an upgrade over a running copy, and the uninstall,
// silent and answered by hand.
#include "owners/owners.h"
#include "resource.h"
#include "support/browser_proxy.h"
#include "support/dialog_input.h"
#include "support/marrowin_process.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "support/window_reading.h"
#include "system/browser_settings.h"
#include "ui/main_window.h"

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marrowin";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kProgramFiles[] = {"Marrowin.exe", "plink.exe", "Marrowin.chm"};

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// A text value of the uninstall entry or the start-up entry, or "<missing>".
std::string EntryText(const char* name) {
    return RegistryText(HKEY_CURRENT_USER, kUninstallKey, name);
}
std::string RunText() {
    return RegistryText(HKEY_CURRENT_USER, kRunKey, "Marrowin");
}

DWORD EntryNumber(const char* name) {
    DWORD number = 0;
    DWORD size = sizeof(number);
    ::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &number,
                   &size);
    return number;
}

void SetRunValue(const std::string& command) {
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Marrowin", REG_SZ, command.c_str(),
                      static_cast<DWORD>(command.size() + 1));
}

// The product version of the program's own version block.
std::string ProductVersion(const std::string& exe) {
    std::vector<char> block(::GetFileVersionInfoSizeA(exe.c_str(), nullptr));
    char* text = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !::GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !::VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductVersion",
                          reinterpret_cast<void**>(&text), &length))
        return "<missing>";
    return text;
}

// Runs the command line and waits until it and every process it started have ended: an
// uninstaller hands its work to a copy of itself and returns at once. The first process's exit
// code; STILL_ACTIVE when they did not end in time.
DWORD RunToTheEnd(const std::string& commandLine) {
    HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
    HANDLE port = ::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {job, port};
    ::SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &association,
                              sizeof(association));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    DWORD code = STILL_ACTIVE;
    if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                         nullptr, &startup, &process)) {
        ::AssignProcessToJobObject(job, process.hProcess);
        ::ResumeThread(process.hThread);
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED overlapped = nullptr;
        while (::GetQueuedCompletionStatus(port, &message, &key, &overlapped, 60000) &&
               message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
        }
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
            ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(port);
    ::CloseHandle(job);
    return code;
}

// A process started without waiting for it; ended by force if it still runs at the end.
class StartedProcess {
public:
    explicit StartedProcess(std::string commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info_);
    }
    ~StartedProcess() {
        if (!info_.hProcess)
            return;
        if (!HasEnded(0))
            ::TerminateProcess(info_.hProcess, 1);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool HasEnded(DWORD timeoutMs) const {
        return info_.hProcess && ::WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    PROCESS_INFORMATION info_ = {};
};

// Settings with one account, whose saved session bears its name.
std::string SettingsWithAccount(const std::string& account) {
    return "[Main]\r\nautostart=0\r\n[tunnel]\r\nservers=" + account + ",\r\ndefault=" + account +
           "\r\n[" + account + "]\r\nusername=joe\r\nforwardings=3128:localhost:3128:Proxy,\r\n";
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveInstall(); }
    void TearDown() override { RemoveInstall(); }

    void RemoveInstall() const {
        RemoveTree(dir);
        DeleteFileIfPresent(dir);
        DeleteFileIfPresent(shortcut);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Marrowin");
    }

    DWORD SilentSetup() const { return RunToTheEnd(Quoted(WinePath(SETUP_EXE_PATH)) + " /S"); }
    std::string File(const std::string& name) const { return dir + "\\" + name; }
    static std::string BuiltFile(const std::string& name) {
        return WinePath(APP_DIR_PATH) + "\\" + name;
    }

    const std::string dir = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Marrowin";
    const std::string shortcut = ShellFolder(CSIDL_PROGRAMS) + "\\Marrowin.lnk";
};

TEST_F(InstallerTest, ASilentInstallPutsTheProgramItsShortcutAndItsEntryInPlace) {
    ASSERT_EQ(SilentSetup(), 0u);
    size_t bytes = 0;
    for (const char* name : kProgramFiles) {
        // Compared whole, without printing two programs when they differ.
        EXPECT_TRUE(ReadWholeFile(File(name)) == ReadWholeFile(BuiltFile(name))) << name;
        bytes += ReadWholeFile(BuiltFile(name)).size();
    }
    EXPECT_TRUE(FileExists(File("Uninstall.exe")));
    EXPECT_TRUE(FileExists(shortcut));

    EXPECT_EQ(EntryText("DisplayName"), "Marrowin");
    EXPECT_EQ(EntryText("DisplayVersion"), MARROWIN_VERSION);
    EXPECT_EQ(ProductVersion(File("Marrowin.exe")), MARROWIN_VERSION ".0");
    EXPECT_NE(EntryText("Publisher"), "<missing>");
    EXPECT_EQ(EntryText("DisplayIcon"), File("Marrowin.exe"));
    EXPECT_EQ(EntryText("InstallLocation"), dir);
    EXPECT_EQ(EntryText("UninstallString"), Quoted(File("Uninstall.exe")));
    EXPECT_EQ(EntryText("QuietUninstallString"), Quoted(File("Uninstall.exe")) + " /S");
    EXPECT_EQ(EntryNumber("NoModify"), 1u);
    EXPECT_EQ(EntryNumber("NoRepair"), 1u);
    EXPECT_GE(EntryNumber("EstimatedSize"), bytes / 1024);

    // The installed copy runs, shows its version and quits on the installer's message.
    MarrowinProcess program(dir, false);
    ASSERT_TRUE(program.Start());
    HWND window = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    ASSERT_NE(window, nullptr);
    std::string version = MARROWIN_VERSION;
    EXPECT_EQ(ItemText(window, IDC_VERSION_LABEL),
              "Marrowin " + version.substr(0, version.rfind('.')));
    ::PostMessageA(window, ::RegisterWindowMessageA(kQuitMessageName), 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// A file where the install folder should be, or a folder where plink.exe should be.
TEST_F(InstallerTest, ASilentSetupThatCannotWriteTakesBackWhatItWroteAndRegistersNothing) {
    ::CreateDirectoryA(dir.substr(0, dir.rfind('\\')).c_str(), nullptr);
    for (bool folderWritable : {false, true}) {
        RemoveInstall();
        if (!folderWritable)
            WriteWholeFile(dir, "");
        else if (!::CreateDirectoryA(dir.c_str(), nullptr) ||
                 !::CreateDirectoryA(File("plink.exe").c_str(), nullptr))
            FAIL();
        EXPECT_EQ(SilentSetup(), 2u);
        EXPECT_FALSE(FileExists(File("Marrowin.exe")));
        EXPECT_EQ(EntryText("InstallLocation"), "<missing>");
    }
}

TEST_F(InstallerTest, SetupOverARunningCopyQuitsItReplacesItAndKeepsTheSettings) {
    ASSERT_EQ(SilentSetup(), 0u);
    const std::string settings = SettingsWithAccount("alpha");
    WriteWholeFile(File("Marrowin.ini"), settings);
    // The running copy is told apart from the new one by a byte more at its end.
    WriteWholeFile(File("Marrowin.exe"), ReadWholeFile(File("Marrowin.exe")) + '\0');
    MarrowinProcess running(dir, false);
    ASSERT_TRUE(running.Start());
    ASSERT_NE(WaitForTopLevelDialog(running.ProcessId(), "Marrowin"), nullptr);

    EXPECT_EQ(SilentSetup(), 0u);
    // Ended by its own Quit, not killed, and only then replaced: a running exe cannot be
    // written, and a failed write fails the silent setup.
    EXPECT_EQ(running.WaitForExit(0), 0u);
    EXPECT_TRUE(ReadWholeFile(File("Marrowin.exe")) == ReadWholeFile(BuiltFile("Marrowin.exe")));
    EXPECT_EQ(ReadWholeFile(File("Marrowin.ini")), settings);
}

// The known-hosts file goes with the settings file, or stays with it.
constexpr char kServerKey[] = "mail.example.org ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIK\n";

TEST_F(InstallerTest, ASilentUninstallQuitsMarrowinRemovesItAndKeepsTheSettingsAndSessions) {
    ASSERT_EQ(SilentSetup(), 0u);
    SessionKey session(UniqueSessionName("kept"));
    const std::string settings = SettingsWithAccount(session.Name());
    WriteWholeFile(File("Marrowin.ini"), settings);
    WriteWholeFile(File("known_hosts"), kServerKey);
    WriteWholeFile(File("log.txt"), "Started\r\n");
    SetRunValue(Quoted(File("Marrowin.exe")));
    MarrowinProcess running(dir, false);
    ASSERT_TRUE(running.Start());
    ASSERT_NE(WaitForTopLevelDialog(running.ProcessId(), "Marrowin"), nullptr);
    // The LAN left pointed at a tunnel, with the record of what it held, as a power loss leaves it.
    ASSERT_TRUE(ApplyConnectionSettings(
        "", {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "proxy.corp:8080", "", ""}));
    BrowserProxy().Set("", "50009", true);

    // As an administrator's tools run it, from the entry.
    ASSERT_EQ(RunToTheEnd(EntryText("QuietUninstallString")), 0u);
    EXPECT_EQ(LanProxyServer(), "proxy.corp:8080");
    SetConnectionProxy("", "", false);
    fw::RegKey ownKey;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Marrowin", 0, KEY_READ,
                              ownKey.Receive()),
              ERROR_SUCCESS)
        << "the program's emptied key goes too";
    EXPECT_EQ(running.WaitForExit(0), 0u);
    for (const char* name :
         {"Marrowin.exe", "plink.exe", "Marrowin.chm", "log.txt", "Uninstall.exe"})
        EXPECT_FALSE(FileExists(File(name))) << name;
    EXPECT_FALSE(FileExists(shortcut));
    EXPECT_EQ(EntryText("DisplayName"), "<missing>");
    EXPECT_EQ(RunText(), "<missing>");
    EXPECT_EQ(ReadWholeFile(File("Marrowin.ini")), settings);
    EXPECT_EQ(ReadWholeFile(File("known_hosts")), kServerKey);
    EXPECT_TRUE(SessionExists(session.Name()));
}

TEST_F(InstallerTest, AnUninstallAnsweredNoRemovesTheSettingsAndTheAccountsSessionsOnly) {
    ASSERT_EQ(SilentSetup(), 0u);
    SessionKey account(UniqueSessionName("removed"));
    SessionKey other(UniqueSessionName("other"));
    WriteWholeFile(File("Marrowin.ini"), SettingsWithAccount(account.Name()));
    WriteWholeFile(File("known_hosts"), kServerKey);
    // Another copy's start-up entry.
    const std::string otherCopy = Quoted("C:\\Portable\\Marrowin.exe");
    SetRunValue(otherCopy);

    // The uninstaller runs from a copy of itself, as it does when started from its entry, so
    // that its own file can go too; "_?=" names the install folder.
    TempFolder temp;
    ASSERT_TRUE(
        ::CopyFileA(File("Uninstall.exe").c_str(), temp.File("Uninstall.exe").c_str(), FALSE));
    StartedProcess uninstaller(Quoted(temp.File("Uninstall.exe")) + " _?=" + dir);
    HWND window = WaitForTopLevelDialog(uninstaller.Id(), "Marrowin Uninstall: Confirmation");
    ASSERT_NE(window, nullptr);
    // "Uninstall", then "No" to keeping the settings, then "Close" once it is done.
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    HWND box = WaitForMessageBox(window);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find("Keep your Marrowin settings"), std::string::npos);
    PostClick(box, IDNO);
    for (int wait = 0; wait < 400 && !::IsWindowEnabled(::GetDlgItem(window, IDOK)); ++wait)
        ::Sleep(50);
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(uninstaller.HasEnded(20000));

    EXPECT_FALSE(SessionExists(account.Name()));
    EXPECT_TRUE(SessionExists(other.Name()));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_EQ(RunText(), otherCopy);
}

} // namespace
