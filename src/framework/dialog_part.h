// DialogPart: a part of a dialog that is not a dialog itself, such as a group of controls with
// their own state. It binds its controls when its dialog binds its own, and its handlers are
// routed with the dialog's: the dialog's own tables first, then its parts' in the order the
// parts were made. A message the dialog handles itself therefore never reaches a part; a
// dialog that shares one with a part calls the part from its handler.
#pragma once

#include "framework/dialog.h"
#include "framework/handler_tables.h"

#include <utility>

namespace fw {

class DialogPart : public MessageTarget {
public:
    // Joins the dialog, which must outlive the part (a part is a member of its dialog).
    explicit DialogPart(Dialog& dialog) : dialog_(dialog) {
        dialog.parts_.push_back(this);
        dialog.tables_.push_back(&Handlers());
    }
    virtual ~DialogPart() = default;
    DialogPart(const DialogPart&) = delete;
    DialogPart& operator=(const DialogPart&) = delete;

protected:
    friend class Dialog;

    // Called when the dialog binds its controls, after its own DoDataExchange.
    virtual void DoDataExchange(HWND dialog) = 0;
    // Called after every part has bound its controls, during the dialog's WM_INITDIALOG.
    virtual void OnInitDialog() {}

    HWND DialogHandle() const { return dialog_.Handle(); }
    HWND Item(int id) const { return dialog_.Item(id); }

    // The dialog's passing of a colour or drawing request back to the control that asked.
    LRESULT ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam) const {
        return dialog_.ReflectToControl(message, wParam, lParam);
    }

private:
    Dialog& dialog_;
};

} // namespace fw
