// NoticeDialog: the look shared by the tunnel's notices, the connection-broken dialog and the
// TOR relay warning: the program's grey behind everything, a red bold heading and black text,
// or the system's colours under a high-contrast theme.
#pragma once

#include "controls/colors.h"
#include "controls/label.h"
#include "framework/dialog.h"

#include <vector>

class NoticeDialog : public fw::Dialog {
public:
    // The label with this control id, or nullptr.
    const CLabel* Label(int id) const;

protected:
    NoticeDialog(UINT templateId, HWND parent);

    // Called from the constructor: the label is bound and styled when the dialog binds its
    // controls.
    void AddHeading(CLabel& label, int id) { labels_.push_back({&label, id, true}); }
    void AddText(CLabel& label, int id) { labels_.push_back({&label, id, false}); }

    void DoDataExchange() override;

private:
    struct LabelEntry {
        CLabel* label;
        int id;
        bool heading;
    };

    LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const;

    std::vector<LabelEntry> labels_;
    bool highContrast_ = HighContrastOn();
};
