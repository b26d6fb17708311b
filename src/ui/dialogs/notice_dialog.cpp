// The grey look of the tunnel's notices and the colour requests of their controls.
#include "ui/dialogs/notice_dialog.h"

#include "controls/brushes.h"
#include "controls/look.h"

namespace {

const int kHeadingHeight = 16;
const int kTextHeight = 14;

} // namespace

NoticeDialog::NoticeDialog(UINT templateId, HWND parent)
    : fw::Dialog(templateId, parent) {
    for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
        OnMessage(message,
                  [this, message](WPARAM w, LPARAM l) { return OnCtlColor(message, w, l); });
    }
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

// A label answers for itself; everything else stands on the grey.
LRESULT NoticeDialog::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (LRESULT labelBrush = ReflectToControl(message, wParam, lParam))
        return labelBrush;
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(WindowGreyBrush());
}
