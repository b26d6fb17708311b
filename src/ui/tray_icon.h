// The program's icon in the notification area. CTrayIcon owns one icon and the hidden window
// that receives its mouse and keyboard messages, and shows balloons over it; CMenuTrayIcon adds
// the tray menu, the command of a left click or of Enter and Space, and the check mark that
// follows the privacy state. The icon asks the shell for the fourth version of its messages,
// which adds the keyboard's: NIN_KEYSELECT, and WM_CONTEXTMENU for Shift+F10 and the menu key. The main window
// that the icon brings forward and that receives the menu's commands is the application's main
// window.
#pragma once

#include "framework/window.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

// The program's icon resource (IDI_PRIVACY_OFF ...) at the size the shell shows tray icons in
// at the display's scale: 16 pixels at 100 %, 20, 24 or 32 above. Loaded once and kept for the
// life of the program, so the same id always gives the same handle.
HICON LoadTrayPicture(int id);

class CTrayIcon : public fw::Window {
public:
    CTrayIcon() = default;
    ~CTrayIcon() override;

    // Creates the hidden window and adds the icon with the tip (cut to 127 characters).
    // Returns whether the icon is shown; without it the object still works, but no mouse
    // messages arrive and the shell is left alone.
    bool Create(const std::string& tip, HICON icon, UINT id);
    // Changes the picture; nothing happens while no icon is shown.
    void SetIcon(HICON icon);
    // A balloon over the icon with the title and text (each cut to what the record holds) and
    // the shell's icon for it (NIIF_ERROR ...); nothing happens while no icon is shown.
    void ShowBalloon(const std::string& title, const std::string& text, DWORD infoIcon);

    bool IsEnabled() const { return enabled_; }
    // Whether the shell took the fourth version: its messages carry the icon's id in the high
    // word of lParam and the icon's place on the screen in wParam.
    bool SpeaksVersion4() const { return version4_; }
    UINT IconId() const { return id_; }
    // What the shell was last given.
    const NOTIFYICONDATAA& Record() const { return record_; }

    // The registered message by which the shell reports mouse messages on the icon.
    static UINT CallbackMessage();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A mouse or keyboard message (WM_LBUTTONDOWN, NIN_KEYSELECT ...) on this icon. Returns
    // false for the normal processing of the callback message, or true with the result to
    // return.
    virtual bool OnIconMessage(UINT mouseMessage, LRESULT& result);
    // Where the shell placed the message on the screen (version 4 only; else the cursor).
    POINT Anchor() const { return anchor_; }
    // The application's main window; null when there is none.
    static HWND MainWindow();

private:
    void AddAgain();
    void AskForVersion4();

    bool enabled_ = false;
    bool version4_ = false;
    POINT anchor_ = {};
    UINT id_ = 0;
    NOTIFYICONDATAA record_ = {};
};

class CMenuTrayIcon : public CTrayIcon {
public:
    // Positions of the check mark in the tray menu.
    static constexpr int kPrivacyOnPosition = 2;  // "Start privacy"
    static constexpr int kPrivacyOffPosition = 3; // "Stop privacy"

    // The menu is the resource with the icon's id; a left click sends the default command,
    // which is a command id or, with `defaultByPosition`, a position in the menu.
    CMenuTrayIcon(const std::string& tip, HICON icon, UINT id, UINT defaultCommand,
                  bool defaultByPosition);

    // False when the menu cannot be loaded.
    bool SetDefaultCommand(UINT commandOrPosition, bool byPosition);
    // Moves the menu's check mark; the caller changes the picture to match.
    void SetPrivacyState(bool on);

protected:
    bool OnIconMessage(UINT mouseMessage, LRESULT& result) override;

private:
    LRESULT OnLeftButtonUp();
    LRESULT RunDefaultCommand();
    // Opened by the keyboard, the menu starts with its first item selected.
    LRESULT ShowMenu(POINT at, bool byKeyboard);

    UINT defaultCommand_ = 0;
    int privacyCheckPosition_ = kPrivacyOffPosition;
    int previousCheckPosition_ = -1; // none: nothing to uncheck
    bool defaultByPosition_ = false;
    bool leftButtonDown_ = false;
    // In version 4 the shell follows a left release with NIN_SELECT and a right release with
    // WM_CONTEXTMENU; the release has done what the click does.
    bool selectFollows_ = false;
    bool contextMenuFollows_ = false;
};
