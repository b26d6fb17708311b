// The box for the version server's answer: a failed connect in the standard box owned by the
// window, anything else in the program's own box with its icon and no owner.
#include "ui/dialogs/version_answer_box.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "resource.h"

namespace {

// A box shows no text at all for a message of tens of thousands of characters.
constexpr size_t kShownMessageLimit = 1000;

// The message cut between two characters of the system's code page, within the limit.
std::string ShownMessage(const std::string& message) {
    if (message.size() <= kShownMessageLimit)
        return message;
    const char* start = message.c_str();
    const char* cut = start;
    for (const char* next = ::CharNextA(cut);
         next != cut && static_cast<size_t>(next - start) <= kShownMessageLimit;
         next = ::CharNextA(cut))
        cut = next;
    return std::string(start, cut) + "...";
}

} // namespace

void ShowVersionAnswer(HWND window, const VersionAnswer& answer) {
    if (answer.box == VersionBox::ConnectFailed) {
        fw::ShowMessageBox(window, answer.text, kProgramName, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // No owner: the main window stays usable while the answer is on screen.
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof(params);
    params.hInstance = ::GetModuleHandleA(nullptr);
    std::string text = ShownMessage(answer.text);
    params.lpszText = text.c_str();
    params.lpszCaption = "New version check";
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(IDR_MAINFRAME);
    params.dwLanguageId = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);
    fw::ShowMessageBoxIndirect(params);
}
