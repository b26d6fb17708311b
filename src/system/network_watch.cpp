// The IP Helper's change notifications, passed on to a window; see network_watch.h.
#include "system/network_watch.h"

// The IP Helper's notifications need the sockets' address types first.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

struct NetworkWatchCallbacks {
    static void Post(const NetworkWatch* watch, MIB_NOTIFICATION_TYPE type) {
        if (type == MibInitialNotification)
            return;
        NetworkEvent event =
            type == MibDeleteInstance ? NetworkEvent::AddressLost : NetworkEvent::NetworkUp;
        ::PostMessageA(watch->window_, watch->message_, static_cast<WPARAM>(event), 0);
    }
    static void WINAPI OnInterface(void* watch, MIB_IPINTERFACE_ROW*, MIB_NOTIFICATION_TYPE type) {
        Post(static_cast<const NetworkWatch*>(watch), type);
    }
    static void WINAPI OnAddress(void* watch, MIB_UNICASTIPADDRESS_ROW*,
                                 MIB_NOTIFICATION_TYPE type) {
        Post(static_cast<const NetworkWatch*>(watch), type);
    }
};

bool NetworkWatch::Start(HWND window, UINT message) {
    if (interfaceChanges_ || addressChanges_)
        return true;
    window_ = window;
    message_ = message;
    if (::NotifyIpInterfaceChange(AF_UNSPEC, &NetworkWatchCallbacks::OnInterface, this, FALSE,
                                  &interfaceChanges_) != NO_ERROR)
        interfaceChanges_ = nullptr;
    if (::NotifyUnicastIpAddressChange(AF_UNSPEC, &NetworkWatchCallbacks::OnAddress, this, FALSE,
                                       &addressChanges_) != NO_ERROR)
        addressChanges_ = nullptr;
    return interfaceChanges_ || addressChanges_;
}

// Waits for a callback under way, so that none reaches a watch that is gone.
void NetworkWatch::Cancel() {
    if (interfaceChanges_)
        ::CancelMibChangeNotify2(interfaceChanges_);
    if (addressChanges_)
        ::CancelMibChangeNotify2(addressChanges_);
    interfaceChanges_ = nullptr;
    addressChanges_ = nullptr;
}
