// Marrowin.exe as a screen reader meets it: another process asks each control of the main
// window for its accessible object, as screen readers do, and reads its name and role.
#include "resource.h"
#include "support/marrowin_process.h"
#include "support/temp_folder.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Read {
    std::wstring name;
    long role = 0;
};

Read ReadAccessible(HWND control) {
    Read read;
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object))))
        return read;
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
        read.name = name;
        ::SysFreeString(name);
    }
    VARIANT role = {};
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4)
        read.role = role.lVal;
    object->Release();
    return read;
}

// Every control of the main window, in the window's order, with the settings panel open.
struct Expected {
    const wchar_t* name;
    long role;
};
const Expected kControls[] = {
    {L"Marrowin", ROLE_SYSTEM_GRAPHIC},
    {L"Main Menu", ROLE_SYSTEM_STATICTEXT},
    {L"", ROLE_SYSTEM_SEPARATOR},
    {L"", ROLE_SYSTEM_GROUPING},
    {L"Privacy OFF", ROLE_SYSTEM_STATUSBAR},
    {L"Start", ROLE_SYSTEM_PUSHBUTTON},
    {L"Close settings", ROLE_SYSTEM_PUSHBUTTON},
    {L"Test settings", ROLE_SYSTEM_PUSHBUTTON},
    {L"Version Check", ROLE_SYSTEM_PUSHBUTTON},
    {L"Help", ROLE_SYSTEM_PUSHBUTTON},
    {L"Purchase Marrowin account", ROLE_SYSTEM_PUSHBUTTON},
    {L"Marrowin 2.0", ROLE_SYSTEM_STATICTEXT},
    {L"(c) The Marrowin makers", ROLE_SYSTEM_STATICTEXT},
    {L"All rights reserved", ROLE_SYSTEM_STATICTEXT},
    {L"", ROLE_SYSTEM_GROUPING},
    {L"Tunnel settings", ROLE_SYSTEM_STATICTEXT},
    {L"", ROLE_SYSTEM_SEPARATOR},
    {L"", ROLE_SYSTEM_GROUPING},
    {L"Server options", ROLE_SYSTEM_GROUPING},
    {L"SERVER SETTINGS:", ROLE_SYSTEM_STATICTEXT},
    {L"", ROLE_SYSTEM_SEPARATOR},
    {L"", ROLE_SYSTEM_SEPARATOR},
    {L"Server name", ROLE_SYSTEM_STATICTEXT},
    {L"Server name", ROLE_SYSTEM_COMBOBOX},
    {L"New", ROLE_SYSTEM_PUSHBUTTON},
    {L"Remove account", ROLE_SYSTEM_PUSHBUTTON},
    {L"User name", ROLE_SYSTEM_STATICTEXT},
    {L"User name", ROLE_SYSTEM_TEXT},
    {L"Set default", ROLE_SYSTEM_PUSHBUTTON},
    {L"Password", ROLE_SYSTEM_STATICTEXT},
    {L"Password", ROLE_SYSTEM_TEXT},
    {L"Edit", ROLE_SYSTEM_PUSHBUTTON},
    {L"Server Port", ROLE_SYSTEM_STATICTEXT},
    {L"Server port", ROLE_SYSTEM_TEXT},
    {L"Cancel", ROLE_SYSTEM_PUSHBUTTON},
    {L"Options...", ROLE_SYSTEM_PUSHBUTTON},
    {L"PORT FORWARDINGS:", ROLE_SYSTEM_STATICTEXT},
    {L"Local port", ROLE_SYSTEM_STATICTEXT},
    {L"Local port", ROLE_SYSTEM_TEXT},
    {L"Target server", ROLE_SYSTEM_STATICTEXT},
    {L"Target server", ROLE_SYSTEM_TEXT},
    {L"Target port", ROLE_SYSTEM_STATICTEXT},
    {L"Target port", ROLE_SYSTEM_TEXT},
    {L"Port description", ROLE_SYSTEM_STATICTEXT},
    {L"Port description", ROLE_SYSTEM_TEXT},
    {L"Add", ROLE_SYSTEM_PUSHBUTTON},
    {L"Remove forwarding", ROLE_SYSTEM_PUSHBUTTON},
    {L"Forwardings", ROLE_SYSTEM_GROUPING},
    {L"Forwardings", ROLE_SYSTEM_LIST},
    {L"Options", ROLE_SYSTEM_GROUPING},
    {L"Use Internet Explorer  proxy throught Marrowin", ROLE_SYSTEM_CHECKBUTTON},
    {L"Proxy settings: not set", ROLE_SYSTEM_STATICTEXT},
    {L"Configure proxy", ROLE_SYSTEM_PUSHBUTTON},
    {L"No Java/Javascript in Internet Explorer  [*]", ROLE_SYSTEM_CHECKBUTTON},
    {L"No ActiveX content in Internet Explorer  [*]", ROLE_SYSTEM_CHECKBUTTON},
    {L"NOTE: Changes [*] made for Internet Explorer will be effective only after restarting "
     L"Internet Explorer",
     ROLE_SYSTEM_STATICTEXT},
    {L"Start program on system startup for", ROLE_SYSTEM_CHECKBUTTON},
    {L"Start program on system startup for", ROLE_SYSTEM_COMBOBOX},
    {L"Autostart default tunnel on program start", ROLE_SYSTEM_CHECKBUTTON},
    {L"On program start minimize window to tray", ROLE_SYSTEM_CHECKBUTTON},
    {L"On communication error attempt reconnect", ROLE_SYSTEM_CHECKBUTTON},
    {L"Relay Marrowin traffic trough TOR network", ROLE_SYSTEM_CHECKBUTTON},
};

TEST(AccessibilityTest, EveryControlOfTheMainWindowHasItsNameAndRole) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    TempFolder folder;
    MarrowinProcess program(folder.Path());
    ASSERT_TRUE(program.Start());
    HWND window = WaitForTopLevelDialog(program.ProcessId(), "Marrowin");
    ASSERT_NE(window, nullptr);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS, BN_CLICKED), 0);

    size_t index = 0;
    for (HWND control = ::GetWindow(window, GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, std::size(kControls)) << "a control more than the table holds";
        Read read = ReadAccessible(control);
        EXPECT_EQ(read.name, kControls[index].name) << "control " << index;
        EXPECT_EQ(read.role, kControls[index].role) << "control " << index;
    }
    EXPECT_EQ(index, std::size(kControls));
}

} // namespace
