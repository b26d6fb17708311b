// A control of the program's own: bound by id like the others, and subclassed when bound, so
// that its messages, and the requests its dialog reflects back to it, reach WindowProc first.
#pragma once

#include "framework/controls.h"

namespace fw {

// A dialog passes a control's colour and owner-draw requests back to the control as this base
// plus the original message (WM_CTLCOLORSTATIC, WM_DRAWITEM ...), with the same parameters.
inline constexpr UINT kReflectedMessage = WM_APP + 0x3C00;

class CustomControl : public Control {
public:
    ~CustomControl() override;

    void Bind(HWND dialog, int id) override;

protected:
    // Called once the control is subclassed; not called when subclassing fails, so that a
    // control that would not get its messages keeps its plain behaviour.
    virtual void OnSubclassed() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's normal handling of a message; only from inside WindowProc.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    void RemoveSubclass();

    bool subclassed_ = false;
};

} // namespace fw
