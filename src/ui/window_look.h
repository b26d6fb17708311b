// WindowLook: the main window's look, a part of the window. It owns the labels and header bars,
// styles them at start-up, colours the window grey with white input fields, or in the system's
// colours while a high-contrast theme is on, following the theme as it changes; it paints the
// application icon while the window is minimised and gives it as the drag icon, and holds the
// tooltips. The window tells it what to show: the privacy state on the status label, whether
// the browser proxy's account is set, whether an account is being edited.
#pragma once

#include "controls/colors.h"
#include "controls/label.h"
#include "controls/skin_button.h"
#include "framework/dialog_part.h"
#include "ui/tooltips.h"

class WindowLook : public fw::DialogPart {
public:
    explicit WindowLook(fw::Dialog& dialog);

    // "Privacy ON" or "Privacy OFF" on the status label, in the colour of the part given.
    void ShowPrivacyState(bool on, Part color);
    // "Proxy settings: set" in black when a browser proxy account is set, else "not set" in red.
    void ShowProxySettingsSet(bool set);
    // The tip of Edit/Save follows the accounts editor's mode.
    void ShowEditSaveTip(bool editing);
    // Fonts, pictures and sizes the window draws itself, at the scale the window has now.
    void FollowDpi();

protected:
    void DoDataExchange(HWND dialog) override;
    void OnInitDialog() override;

private:
    void SetWindowIcon() const;
    // The colours of the contrast the user has now, on every label, header and control.
    void FollowContrast();
    void StyleLabelsAndHeaders();
    void SkinHeaders();
    UINT DialogUnitsDpi() const;
    void ShowLogo(UINT dpi);
    LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const;
    int FieldId(HWND control) const;
    bool IsLabel(HWND control) const;
    LRESULT OnPaint() const;

    HICON appIcon_;
    // The application icon at the size a minimised window shows at the window's scale.
    fw::Icon minimizedIcon_;
    int minimizedIconSize_ = 0;
    // The logo at the window's scale; the dialog's own at 100 %.
    fw::Bitmap logo_;
    Tooltips tooltips_;
    bool highContrast_ = false;
    Part statusColor_ = Part::kAlert;
    bool proxySettingsSet_ = false;

    CLabel statusLabel_;
    CLabel proxySettingsLabel_;
    CLabel forwardingsHeading_;
    CLabel serverSettingsHeading_;
    CLabel versionLabel_;
    CxSkinButton mainMenuHeader_;
    CxSkinButton tunnelSettingsHeader_;
};
