// The grey look of the tunnel's notices and the colour requests of their controls.
#include "ui/dialogs/notice_dialog.h"


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
            .SetTextColor(ColorOf(entry.heading ? Part::kAlert : Part::kText, highContrast_))
            .SetBkColor(ColorOf(Part::kWindow, highContrast_));
    }
}

// A label answers for itself; everything else stands on the window's colour.
LRESULT NoticeDialog::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (LRESULT labelBrush = ReflectToControl(message, wParam, lParam))
        return labelBrush;
    auto dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorOf(Part::kText, highContrast_));
    return reinterpret_cast<LRESULT>(BrushOf(Part::kWindow, highContrast_));
}
