// The status window's text for each state of the connection.
#include "tunnel/status_text.h"

StatusComposition ComposeStatusText(const StatusState& state) {
    StatusComposition result;
    std::string& text = result.text;
    if (!state.accountName.empty())
        text += "Creating connection to:" + state.accountName + "\r\nWating for server....\r\n";
    if (state.throughSsh)
        text += "The browser's traffic goes through SSH itself: the server resolves the names, "
                "and needs no proxy.\r\n";
    if (state.tor)
        text += "WARNING: The traffic is relayed trough the TOR network\r\n"
                "This will slowdown the connection\r\n";
    if (!state.proxy)
        text += "WARNING: proxy is not enabled for Internet Explorer\r\n";
    if (state.dropped) {
        text += "An error ocurred while connecting to server. Connection dropped\r\n";
        // Without reconnect nothing more will happen, so the text stays as it is.
        if (!state.reconnect) {
            result.stopRefresh = true;
            return result;
        }
        text += "Reconnect is ON. Attempting reconnect....\r\n"
                "Trying 10 reconnections at 10s intervals.\r\n";
        if (state.retryNumber != 0)
            text += "Reconnection retry no.: " + std::to_string(state.retryNumber) + "\r\n";
    }
    if (!state.hopelessReason.empty()) {
        text += state.hopelessReason +
                "\r\nRetrying cannot mend this.\r\nAborting retry sequence\r\n";
        result.stopRefresh = true;
        return result;
    }
    if (state.maximumReached) {
        text += "Maximum number of retries reached.\r\nAborting retry sequence\r\n";
        result.stopRefresh = true;
        return result;
    }
    if (state.established) {
        text += "Connection esthablished \r\n";
        text += "This window will close in " + std::to_string(state.countdown) + " seconds";
        result.runCountdown = true;
    }
    return result;
}
