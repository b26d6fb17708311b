#include "framework/application.h"

#include "framework/user_seam.h"
#include "owners/owners.h"
#include "framework/wide_text.h"

#include <cstring>
#include <mbstring.h>

namespace fw {

namespace {

Application* currentApplication = nullptr;

// From htmlhelp.h; the viewer is loaded on demand so that the program runs without it.
const UINT kHelpContext = 0x000F;
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The longest name of a file the program keeps beside itself, with its backslash: "\Marrowin.chm".
const size_t kLongestFileName = 13;

// The folder's short form where its volume keeps short names, else the folder as it is. Only
// the wide function, with the prefix for long paths, takes a path of MAX_PATH or more.
std::string ShortForm(const std::string& folder) {
    const std::wstring prefix = L"\\\\?\\";
    std::wstring longPath = prefix + Widen(folder);
    std::wstring shortPath(longPath.size() + 1, L'\0');
    DWORD length =
        ::GetShortPathNameW(longPath.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size() || shortPath.compare(0, 4, prefix) != 0)
        return folder;
    return Narrow(shortPath.substr(4, length - 4));
}

} // namespace

Application::Application() {
    currentApplication = this;
}

Application::~Application() {
    if (currentApplication == this)
        currentApplication = nullptr;
}

Application* Application::Current() {
    return currentApplication;
}

int Application::Run() {
    // No message loop of the application's own: the main window's modal loop is the only one.
    InitInstance();
    return 0;
}

namespace {

// A compiled help file begins with its signature; the viewer opens nothing else.
bool IsHelpFile(const std::string& path) {
    KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char signature[4] = {};
    DWORD read = 0;
    return file && ::ReadFile(file, signature, sizeof(signature), &read, nullptr) &&
           read == sizeof(signature) && std::memcmp(signature, "ITSF", 4) == 0;
}

} // namespace

bool ShowHelpTopic(HWND owner, const std::string& helpFile, DWORD contextId) {
    if (UserSeam* user = InstalledUserSeam())
        return user->OpenHelpTopic(owner, helpFile, contextId);
    if (!IsHelpFile(helpFile))
        return false;
    static HMODULE viewer = ::LoadLibraryA("hhctrl.ocx");
    if (!viewer)
        return false;
    auto htmlHelp = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(::GetProcAddress(viewer, "HtmlHelpA")));
    if (!htmlHelp)
        return false;
    return htmlHelp(owner, helpFile.c_str(), kHelpContext, contextId) != nullptr;
}

bool ShowProgramHelp(HWND owner, DWORD contextId) {
    Application* app = Application::Current();
    if (ShowHelpTopic(owner, app ? app->HelpFile() : "Marrowin.chm", contextId))
        return true;
    if (app)
        app->OnHelpNotShown(owner);
    return false;
}

std::string ExecutablePath() {
    // Paths can be longer than MAX_PATH: a cut path would name another folder.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(path.size() * 2, '\0');
    }
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    // Multibyte-aware, so that a trail byte equal to a backslash does not cut the path.
    const unsigned char* start = reinterpret_cast<const unsigned char*>(path.c_str());
    const unsigned char* last = _mbsrchr(start, '\\');
    if (!last)
        return std::string();
    std::string folder = path.substr(0, last - start);
    // The ANSI file functions, the settings file's profile functions among them, take paths
    // shorter than MAX_PATH only.
    return folder.size() + kLongestFileName < MAX_PATH ? folder : ShortForm(folder);
}

} // namespace fw
