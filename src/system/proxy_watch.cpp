// Registry change notifications on the user's Internet Settings; see proxy_watch.h.
#include "system/proxy_watch.h"

namespace {

const char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

} // namespace

bool ProxySettingsWatch::Start(HWND window, UINT message) {
    if (thread_)
        return true;
    window_ = window;
    message_ = message;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_NOTIFY,
                        key_.Receive()) != ERROR_SUCCESS)
        return false;
    stop_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (stop_)
        thread_.Reset(::CreateThread(nullptr, 0, &ProxySettingsWatch::Watch, this, 0, nullptr));
    if (!thread_) {
        key_.Reset();
        stop_.Reset();
    }
    return static_cast<bool>(thread_);
}

void ProxySettingsWatch::Stop() {
    if (!thread_)
        return;
    ::SetEvent(stop_);
    ::WaitForSingleObject(thread_, INFINITE);
    thread_.Reset();
    stop_.Reset();
    key_.Reset();
}

// The notification is asked for anew after each change, from this thread, which lives as long
// as the watch: a notification ends with the thread that asked for it.
DWORD WINAPI ProxySettingsWatch::Watch(void* self) {
    auto* watch = static_cast<ProxySettingsWatch*>(self);
    fw::KernelHandle changed(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!changed)
        return 1;
    const DWORD kinds = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    for (;;) {
        if (::RegNotifyChangeKeyValue(watch->key_, TRUE, kinds, changed, TRUE) != ERROR_SUCCESS)
            return 1;
        HANDLE waits[] = {watch->stop_, changed};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;
        ::PostMessageA(watch->window_, watch->message_, 0, 0);
    }
}
