// The values of the three registered messages, registered by name at program start.
#include "tunnel/client_messages.h"

UINT WM_QV_STOP = 0;
UINT WM_QV_CON_START = 0;
UINT WM_QV_CON_ESTH = 0;

bool RegisterClientMessages() {
    WM_QV_STOP = ::RegisterWindowMessageA("WM_QV_STOP");
    WM_QV_CON_START = ::RegisterWindowMessageA("WM_QV_CON_START");
    WM_QV_CON_ESTH = ::RegisterWindowMessageA("WM_QV_CON_ESTH");
    return WM_QV_STOP && WM_QV_CON_START && WM_QV_CON_ESTH;
}
