#include "framework/user_seam.h"

namespace fw {

namespace {
UserSeam* installedSeam = nullptr;
}

void InstallUserSeam(UserSeam* seam) {
    installedSeam = seam;
}

UserSeam* InstalledUserSeam() {
    return installedSeam;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (installedSeam)
        return installedSeam->AnswerMessageBox(owner, text, caption, type);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int ShowMessageBoxIndirect(const MSGBOXPARAMSA& params) {
    if (installedSeam)
        return installedSeam->AnswerMessageBoxIndirect(params);
    return ::MessageBoxIndirectA(&params);
}

} // namespace fw
