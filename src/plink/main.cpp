// plink.exe, Marrowin's SSH client. Started by Marrowin, it builds the tunnel with the OpenSSH
// client that Windows ships; started by that ssh as its askpass program, it hands over the
// password.
#include "plink/askpass.h"
#include "plink/tunnel_client.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The message queue exists before anything else, so that a WM_QUIT Marrowin posts right
    // after the launch waits for us instead of being lost.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    if (InAskpassMode())
        return RunAskpass();
    return RunTunnelClient(::GetCommandLineA());
}
