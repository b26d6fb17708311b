// The main window's controls as a screen reader reads them. Windows' own accessible objects
// know the roles of the standard controls, Wine's do not, and neither knows the roles of the
// program's drawn ones: each control is given the role of its kind, and a name where its text
// is not its name.
#include "ui/control_names.h"

#include "controls/accessible_name.h"
#include "resource.h"

#include <oleacc.h>

#include <string>

namespace {

struct GivenName {
    int id;
    const wchar_t* name; // null: the control's text
    long role;           // 0: the role of the control's kind
    long state;
    const wchar_t* description;
};

// The header bars only show their titles; the separators are lines; the status is the privacy
// state, read out when it changes.
const GivenName kGivenNames[] = {
    {IDC_LOGO, L"Marrowin", 0, -1, L""},
    {IDC_MAIN_MENU_HEADER, nullptr, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""},
    {IDC_TUNNEL_SETTINGS_HEADER, nullptr, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""},
    {IDC_SEPARATOR_LEFT, L"", ROLE_SYSTEM_SEPARATOR, -1, L""},
    {IDC_SEPARATOR_PANEL, L"", ROLE_SYSTEM_SEPARATOR, -1, L""},
    {IDC_SEPARATOR_SERVER, L"", ROLE_SYSTEM_SEPARATOR, -1, L""},
    {IDC_SEPARATOR_FORWARDINGS, L"", ROLE_SYSTEM_SEPARATOR, -1, L""},
    {IDC_STATUS_LABEL, nullptr, ROLE_SYSTEM_STATUSBAR, -1, L""},
    {IDC_SERVER_NAME, L"Server name", 0, -1, L""},
    {IDC_DELETE_ACCOUNT, L"Remove account", 0, -1, L""},
    {IDC_USER_NAME, L"User name", 0, -1, L""},
    {IDC_PASSWORD, L"Password", 0, -1, L""},
    {IDC_SERVER_PORT, L"Server port", 0, -1, L""},
    {IDC_LOCAL_PORT, L"Local port", 0, -1, L""},
    {IDC_TARGET_SERVER, L"Target server", 0, -1, L""},
    {IDC_TARGET_PORT, L"Target port", 0, -1, L""},
    {IDC_PORT_DESCRIPTION, L"Port description", 0, -1, L""},
    {IDC_DELETE_FORWARDING, L"Remove forwarding", 0, -1, L""},
    {IDC_FORWARDING_LIST, L"Forwardings", 0, -1,
     L"Columns: D (default), Port, Account server, Target server:port, Description"},
    {IDC_STARTUP_TYPE, L"Start program on system startup for", 0, -1, L""},
};

// The role of a control's kind, as Windows' own accessible objects give it.
long RoleOfKind(HWND control) {
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof(className));
    LONG_PTR style = ::GetWindowLongPtrA(control, GWL_STYLE);
    std::string kind = className;
    if (kind == "Button") {
        switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return ROLE_SYSTEM_GROUPING;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return ROLE_SYSTEM_CHECKBUTTON;
        default:
            return ROLE_SYSTEM_PUSHBUTTON;
        }
    }
    if (kind == "Static") {
        switch (style & SS_TYPEMASK) {
        case SS_BITMAP:
            return ROLE_SYSTEM_GRAPHIC;
        case SS_ETCHEDFRAME:
        case SS_BLACKFRAME:
            return ROLE_SYSTEM_GROUPING;
        default:
            return ROLE_SYSTEM_STATICTEXT;
        }
    }
    if (kind == "Edit")
        return ROLE_SYSTEM_TEXT;
    if (kind == "ComboBox")
        return ROLE_SYSTEM_COMBOBOX;
    if (kind == "SysListView32")
        return ROLE_SYSTEM_LIST;
    return 0;
}

} // namespace

void NameMainWindowControls(HWND dialog) {
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        AccessibleName accessible;
        accessible.role = RoleOfKind(control);
        int id = ::GetDlgCtrlID(control);
        for (const GivenName& given : kGivenNames) {
            if (given.id != id)
                continue;
            if (given.name)
                accessible.name = given.name;
            if (given.role != 0)
                accessible.role = given.role;
            accessible.state = given.state;
            accessible.description = given.description;
        }
        GiveAccessibleName(control, accessible);
    }
}
