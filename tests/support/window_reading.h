// Reading what the program shows and stores, as a user or another program would see it:
// combo items, list cells, label colours and fonts, pixels, tooltips, and the values of saved
// sessions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::vector<std::string> ComboItems(HWND combo);
int ListRowCount(HWND list);
std::string ListCell(HWND list, int row, int column);

// The text colour and font a label of the dialog is painted with: what the dialog answers to
// the label's control-colour request, and the font the label was given.
COLORREF LabelTextColor(HWND dialog, int id);
LOGFONTA ControlFont(HWND control);

// Every text of the dialog's buttons and static texts fits its control, measured in the
// control's own font (a failure of the test for each that does not).
void ExpectEveryTextFits(HWND dialog);

// Every field of the dialog the user can type into: its edit controls and the edit fields of
// its combo boxes, read-only ones left out.
std::vector<HWND> TypableFields(HWND dialog);
// Types the text into the field as the keyboard does: one WM_CHAR per character.
void TypeChars(HWND field, const std::string& text);

// The client area of a window as it is painted on the screen, children included: all of it is
// painted anew, then its pixels are copied from the window's device context.
class WindowPicture {
public:
    explicit WindowPicture(HWND window);
    // The colour at a point of the window's client area.
    COLORREF At(int x, int y) const;
    // The colour at a point of a child window's client area.
    COLORREF At(HWND child, int x, int y) const;
    // The colour in the middle of a child window.
    COLORREF Middle(HWND child) const;

private:
    HWND window_;
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_;
};

// The tooltip control of the window, or null.
HWND TooltipOf(HWND window);

// A text value of a registry key, whole; "<missing>" when there is none.
std::string RegistryText(HKEY root, const std::string& key, const char* valueName);
// A text value of the saved session "<name>", whole; "<missing>" when there is none.
std::string SessionValue(const std::string& session, const char* valueName);
bool SessionExists(const std::string& session);
