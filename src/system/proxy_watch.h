// ProxySettingsWatch: hears when anything changes the user's Internet Settings in the registry
// (the proxy's switch, server and bypass list, and each connection's settings below it) and
// posts one message to a window for each change, from a thread of its own that otherwise
// sleeps: no polling.
#pragma once

#include "owners/owners.h"

#include <windows.h>

class ProxySettingsWatch {
public:
    ProxySettingsWatch() = default;
    ProxySettingsWatch(const ProxySettingsWatch&) = delete;
    ProxySettingsWatch& operator=(const ProxySettingsWatch&) = delete;
    ~ProxySettingsWatch() { Stop(); }

    // Posts `message` to the window at every change from now on. True when watching (also when
    // already so); false when the key or the thread could not be had, and the program goes
    // without.
    bool Start(HWND window, UINT message);
    void Stop();

private:
    static DWORD WINAPI Watch(void* self);

    HWND window_ = nullptr;
    UINT message_ = 0;
    fw::RegKey key_;
    fw::KernelHandle stop_;
    fw::KernelHandle thread_;
};
