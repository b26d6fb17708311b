// Dialogs from resource templates: modal runs, modeless creation, and one routing function
// that dispatches commands, notifications, timers and messages to handler tables (the
// dialog's own, then those of its parts), and passes the controls' colour and drawing requests
// back to them.
#pragma once

#include "framework/handler_tables.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace fw {

class DialogPart;

class Dialog : public MessageTarget {
public:
    Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the real modal loop and returns the result given to EndDialog.
    INT_PTR DoModal();
    // Creates the dialog modeless and visible; false when the template cannot be created.
    bool Create();
    void EndDialog(INT_PTR result);

    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    bool IsModal() const { return modal_; }
    // The result of a modeless dialog that has been ended; -1 while it runs.
    INT_PTR Result() const { return result_; }

protected:
    // Binds controls, its own and then its parts', initialises the parts, then returns true so
    // that the default control gets the focus.
    virtual bool OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // The default handling of a control's colour or owner-draw request: it is passed back to
    // the control that asked (see fw::CustomControl), whose answer is returned; 0 when the
    // control does not handle it. A dialog without a handler for the message gets this answer.
    LRESULT ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam) const;

    // The "?" of the caption and F1 open this page of the program's help file.
    void SetHelpTopic(DWORD contextId);

private:
    // A part joins its dialog's routing when it is made.
    friend class DialogPart;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
    bool RouteCommand(WPARAM wParam);

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    INT_PTR result_ = -1;

    std::vector<DialogPart*> parts_;
    // The tables a message is looked up in: the dialog's own, then its parts' in order.
    std::vector<const HandlerTables*> tables_{&Handlers()};
};

} // namespace fw
