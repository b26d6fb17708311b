// Takes the help file's pictures of Marrowin's windows from the real program: the built
// Marrowin.exe and plink.exe run in an app folder of their own, with the tests' stand-in ssh.exe
// as the SSH client and their HTTP server as the version server, and are used as a user uses
// them: an account is made, the dialogs are opened, the window is shown under a high-contrast
// theme, the version is checked, the tunnel is started, its server's key accepted, then
// dropped. Each window is copied off the screen as it
// shows there, into <name>.bmp in the folder given.
//
//   take_pictures.exe <picture folder>
//
// It exits with 1, saying which picture it could not take, when a window does not come.
#include "owners/owners.h"
#include "resource.h"
#include "support/high_contrast.h"
#include "support/http_test_server.h"
#include "support/marrowin_process.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kMainTitle[] = "Marrowin";
const char kStatusTitle[] = "Marrowin connection status";
const DWORD kWaitMs = 30000;

struct Failure {
    std::string what;
};

void Require(bool ok, const std::string& what) {
    if (!ok)
        throw Failure{what};
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(100);
    }
    return true;
}

// A click on the dialog's button or check box, posted, so that a dialog it opens runs its own
// modal loop while this program goes on.
void Click(HWND dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Type(HWND dialog, int id, const char* text) {
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool Contains(HWND window, const char* part) {
    return OtherProcessText(window).find(part) != std::string::npos;
}

bool WriteBitmapFile(const std::string& path, HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                     DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
    std::string contents(reinterpret_cast<const char*>(&header), sizeof(header));
    contents.append(reinterpret_cast<const char*>(&info), sizeof(info));
    contents.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    WriteWholeFile(path, contents);
    return FileExists(path);
}

class PictureTaker {
public:
    explicit PictureTaker(std::string pictureFolder) : pictureFolder_(std::move(pictureFolder)) {
        // The stand-in reads its script from this folder at each start; Marrowin.exe, plink.exe
        // and ssh.exe inherit where to find it.
        ::SetEnvironmentVariableA("MARROWIN_SSH", WinePath(STAND_IN_SSH_PATH).c_str());
        ::SetEnvironmentVariableA("MARROWIN_SSH_STAND_IN_FOLDER", sshFolder_.Path().c_str());
        ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", versionServer_.Address().c_str());
        versionServer_.Answer(200, "OK&NewVersion=no&ServerMessage=You are using the latest "
                                   "version of Marrowin./nThank you for checking.");
        Require(::CopyFileA(WinePath(PLINK_EXE_PATH).c_str(), appFolder_.File("plink.exe").c_str(),
                            FALSE),
                "plink.exe could not be copied into the app folder");
    }

    void TakeAll() {
        StartProgram();
        // Out of the way of the windows and their tooltips.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);

        // Before the browser option points the system's proxy, which the check uses too, at
        // the tunnel.
        Click(main_, IDC_VERSION_CHECK);
        HWND answer = ShownWindow("New version check");
        Shoot(answer, "version_check");
        PostClick(answer, IDOK);

        ToggleSettingsPanel(true);
        MakeAccount();
        // The browser option on, as most users have it.
        Click(main_, IDC_USE_IE_PROXY);
        Shoot(main_, "settings_panel");
        ShootDialogOf(IDC_TOR, "Marrowin: Warning", "tor_warning");
        // The relay off again, so that the status window does not warn of it.
        Click(main_, IDC_TOR);
        ShootDialogOf(IDC_CONFIGURE_PROXY, "Internet Explorer Proxy Settings", "proxy_dialog");
        ShootDialogOf(IDC_DELETE_ACCOUNT, "Server removal confirmation", "server_removal");
        ToggleSettingsPanel(false);
        Shoot(main_, "main_window");
        ShootUnderHighContrast();

        StartMeetingANewKey();
        DropTunnel();
        HWND broken = ShownWindow("Marrowin connection broken ....");
        Shoot(broken, "connection_broken");
        ::PostMessageA(broken, WM_COMMAND, IDCANCEL, 0);
        Require(
            WaitUntil([&] { return OtherProcessText(GetDlgItem(main_, IDC_START)) == "Start"; }),
            "the tunnel did not stop after the drop");

        // The browser option on again, which going on unprotected switched off.
        ToggleSettingsPanel(true);
        Click(main_, IDC_USE_IE_PROXY);
        Click(main_, IDC_RECONNECT);
        ToggleSettingsPanel(false);
        StartKnownKey();
        DropTunnel();
        HWND status = ShownWindow(kStatusTitle);
        Require(
            WaitUntil([&] { return Contains(GetDlgItem(status, IDC_STATUS_TEXT), "retry no."); }),
            "the status window did not show the reconnect");
        Shoot(status, "reconnecting");

        // The next attempt meets another key for the server: Marrowin warns and asks.
        WriteScript("hostkey hostkey-changed-ask");
        HWND question = nullptr;
        Require(WaitUntil(
                    [&] { return (question = ShownBoxSaying(main_, "listening in")) != nullptr; }),
                "the changed key was not asked about");
        Shoot(question, "changed_key_question");
    }

private:
    void StartProgram() {
        program_ = std::make_unique<MarrowinProcess>(appFolder_.Path());
        Require(program_->Start(), "Marrowin.exe did not start");
        main_ = WaitForTopLevelDialog(program_->ProcessId(), kMainTitle, kWaitMs);
        Require(main_ != nullptr, "the main window did not show");
    }

    void QuitProgram() {
        ::PostMessageA(main_, ::RegisterWindowMessageA("Marrowin-Quit"), 0, 0);
        Require(program_->WaitForExit(kWaitMs) != STILL_ACTIVE, "Marrowin.exe did not quit");
    }

    // Marrowin.exe starts anew under the theme, since under Wine a program keeps the colours it
    // started with, and once more after it.
    void ShootUnderHighContrast() {
        QuitProgram();
        {
            HighContrastTheme theme;
            StartProgram();
            ToggleSettingsPanel(true);
            Shoot(main_, "main_window_high_contrast");
            QuitProgram();
        }
        StartProgram();
    }

    HWND ShownWindow(const char* title) {
        HWND window = nullptr;
        Require(WaitUntil([&] {
                    return (window = ShownDialog(program_->ProcessId(), title)) != nullptr;
                }),
                std::string("the window \"") + title + "\" did not show");
        return window;
    }

    // Opens the dialog the button opens, takes its picture and cancels it.
    void ShootDialogOf(int button, const char* title, const char* picture) {
        Click(main_, button);
        HWND dialog = ShownWindow(title);
        Shoot(dialog, picture);
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Require(WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }),
                std::string("the window \"") + title + "\" did not close");
    }

    void ToggleSettingsPanel(bool open) {
        Click(main_, IDC_SETTINGS);
        const char* caption = open ? "Close settings" : "Open settings";
        Require(
            WaitUntil([&] { return OtherProcessText(GetDlgItem(main_, IDC_SETTINGS)) == caption; }),
            "the settings panel did not open or close");
    }

    // As a user makes the first account: New, the fields, Save.
    void MakeAccount() {
        Click(main_, IDC_NEW_ACCOUNT);
        HWND save = ::GetDlgItem(main_, IDC_EDIT_SAVE);
        Require(WaitUntil([&] { return OtherProcessText(save) == "Save"; }),
                "New did not begin an account");
        Type(main_, IDC_SERVER_NAME, "ssh.example.net");
        Type(main_, IDC_USER_NAME, "alice");
        Type(main_, IDC_PASSWORD, "correct horse");
        Type(main_, IDC_SERVER_PORT, "3128");
        Click(main_, IDC_EDIT_SAVE);
        Require(WaitUntil([&] { return OtherProcessText(save) == "Edit"; }),
                "the account was not saved");
    }

    // Start, with a server whose key the client has not met: the key question comes from the
    // client, Yes accepts it and the status window shows the connection established.
    void StartMeetingANewKey() {
        WriteScript("hostkey hostkey-new-accepted");
        Click(main_, IDC_START);
        std::vector<HWND> asked;
        Require(WaitUntil([&] { return !(asked = UnownedQuestions(kMainTitle)).empty(); }),
                "the server's key was not asked about");
        Shoot(asked.front(), "host_key_question");
        PostClick(asked.front(), IDYES);
        WaitForEstablished("connection_status");
    }

    void StartKnownKey() {
        WriteScript("hostkey hostkey-new-accepted");
        Click(main_, IDC_START);
        WaitForEstablished(nullptr);
    }

    // Waits for the status window to say the connection is established, takes its picture when
    // named, and closes it.
    void WaitForEstablished(const char* picture) {
        HWND status = ShownWindow(kStatusTitle);
        Require(WaitUntil(
                    [&] { return Contains(GetDlgItem(status, IDC_STATUS_TEXT), "esthablished"); }),
                "the tunnel was not established; the status window says:\n" +
                    OtherProcessText(GetDlgItem(status, IDC_STATUS_TEXT)));
        if (picture)
            Shoot(status, picture);
        ::PostMessageA(status, WM_COMMAND, IDOK, 0);
        Require(WaitUntil([&] { return !::IsWindowVisible(status); }),
                "the status window did not close");
        if (picture)
            Shoot(main_, "privacy_on");
    }

    // The server goes away, as OpenSSH reports it.
    void DropTunnel() {
        WriteWholeFile(sshFolder_.File("drop"), "");
        Require(WaitUntil([&] {
                    return OtherProcessText(GetDlgItem(main_, IDC_START)) == "Start" ||
                           !::IsWindowEnabled(main_);
                }),
                "the tunnel did not drop");
    }

    // The stand-in's steps for each ssh run from now on: the server's key, the password through
    // askpass, the forwardings listening until the file "drop" appears, then the server's goodbye.
    void WriteScript(const std::string& hostKeyStep) {
        DeleteFileIfPresent(sshFolder_.File("drop"));
        WriteWholeFile(sshFolder_.File("stand_in_script.txt"),
                       hostKeyStep + "\naskpass\nauthenticated\nlisten\nwait-file drop\n"
                                     "say Connection to ssh.example.net closed by remote host.\n"
                                     "exit 255\n");
    }

    // The window as it shows on the screen, frame included, once it has painted. It is brought
    // to the top first: without a window manager, the main window shown again can cover the
    // windows it owns.
    void Shoot(HWND window, const std::string& name) {
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        DWORD_PTR answer;
        ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &answer);
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(700);
        RECT rect;
        Require(::GetWindowRect(window, &rect) != FALSE, "no window for the picture " + name);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        fw::WindowDc screen(nullptr);
        fw::MemoryDc memory(::CreateCompatibleDC(screen));
        fw::Bitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
        Require(screen && memory && bitmap, "no bitmap for the picture " + name);
        HGDIOBJ old = ::SelectObject(memory.Get(), bitmap.Get());
        bool copied = ::BitBlt(memory.Get(), 0, 0, width, height, screen, rect.left, rect.top,
                               SRCCOPY) != FALSE;
        ::SelectObject(memory.Get(), old);
        bool written = copied && WriteBitmapFile(pictureFolder_ + "\\" + name + ".bmp",
                                                 memory.Get(), bitmap.Get(), width, height);
        Require(written, "the picture " + name + " could not be written");
        std::printf("%s.bmp: %d x %d\n", name.c_str(), width, height);
    }

    std::string pictureFolder_;
    TempFolder appFolder_;
    TempFolder sshFolder_;
    HttpTestServer versionServer_;
    std::unique_ptr<MarrowinProcess> program_;
    HWND main_ = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_pictures.exe <picture folder>\n");
        return 2;
    }
    try {
        PictureTaker taker(argv[1]);
        taker.TakeAll();
    } catch (const Failure& failure) {
        std::fprintf(stderr, "take_pictures: %s\n", failure.what.c_str());
        return 1;
    }
    return 0;
}
