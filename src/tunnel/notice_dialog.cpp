// The grey look of the tunnel's notices and the colour requests of their controls.
#include "tunnel/notice_dialog.h"

#include "controls/look.h"

namespace {

const int kHeadingHeight = 16;
const int kTextHeight = 14;

} // namespace

NoticeDialog::NoticeDialog(UINT templateId, HWND parent)
    : fw::Dialog(templateId, parent), background_(::CreateSolidBrush(kWindowGrey)) {
    auto colour = [this](WPARAM w, LPARAM l) {
        return OnCtlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    };
    OnMessage(WM_CTLCOLORDLG, colour);
    OnMessage(WM_CTLCOLORSTATIC, colour);
    OnMessage(WM_CTLCOLORBTN, colour);
}

const CLabel* NoticeDialog::Label(int id) const {
    for (const LabelEntry& entry : labels_) {
        if (entry.id == id)
            return entry.label;
    }
    return nullptr;
}

void NoticeDialog::DoDataExchange() {
    for (const LabelEntry& entry : labels_) {
        entry.label->Bind(Handle(), entry.id);
        entry.label->SetFontBold(entry.heading)
            .SetFontSize(entry.heading ? kHeadingHeight : kTextHeight)
            .SetTextColor(entry.heading ? kAlertRed : kTextBlack)
            .SetBkColor(kWindowGrey);
    }
}

LRESULT NoticeDialog::OnCtlColor(HDC dc, HWND control) const {
    for (const LabelEntry& entry : labels_) {
        if (entry.label->Handle() == control)
            return reinterpret_cast<LRESULT>(entry.label->OnCtlColor(dc));
    }
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(background_.Get());
}
