// NetworkWatch: hears from Windows (the IP Helper) when a network interface comes up or
// changes and when an address of this computer comes or goes, and posts each to a window as
// one message: the notifications arrive on a thread of the system's, the window handles them
// on its own. Registered only once privacy first goes on, so that start-up does not load the
// IP Helper.
#pragma once

#include <windows.h>

// What may have cut the tunnel's connection under a client that has not noticed yet. The
// window's message carries it in its WPARAM.
enum class NetworkEvent : WPARAM {
    Resumed,     // Windows has resumed from sleep (the window hears it itself)
    NetworkUp,   // a network interface came up or changed, or an address was added
    AddressLost, // an address or interface of this computer went away
};

class NetworkWatch {
public:
    NetworkWatch() = default;
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;
    ~NetworkWatch() { Cancel(); }

    // Posts `message` with a NetworkEvent to the window from now on. True when watching
    // (also when already so); false when Windows refused, and the program goes without.
    bool Start(HWND window, UINT message);
    void Cancel();

private:
    HWND window_ = nullptr;
    UINT message_ = 0;
    HANDLE interfaceChanges_ = nullptr;
    HANDLE addressChanges_ = nullptr;

    friend struct NetworkWatchCallbacks;
};
