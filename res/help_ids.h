// The context ids of the help file's pages that the program opens: Help in the main window and
// the "?" of the dialogs. help/Marrowin.hhp maps each to its page.
#pragma once

#define IDH_MAIN_WINDOW 1
#define IDH_SETTINGS_PANEL 2
#define IDH_PROXY_DIALOG 3
#define IDH_TUNNEL_FAILURES 4
#define IDH_RECONNECT 5
#define IDH_TOR_RELAY 6
#define IDH_ACCOUNTS 7
