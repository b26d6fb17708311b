// The status text for each state of the connection, and what it asks of the window's timers.
#include "tunnel/status_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kOpening[] = "Creating connection to:alpha\r\nWating for server....\r\n";
const char kDropped[] = "An error ocurred while connecting to server. Connection dropped\r\n";
const char kReconnecting[] = "Reconnect is ON. Attempting reconnect....\r\n"
                             "Trying 10 reconnections at 10s intervals.\r\n";
const char kMaximum[] = "Maximum number of retries reached.\r\nAborting retry sequence\r\n";

// The text and what it asks of the timers for each state of the connection. After a drop
// without reconnect, or once the retries are used up, nothing counts any more, not even a
// later establishment; a reconnect that gets through counts down like a first start.
TEST(ComposeStatusText, EachStateOfTheConnection) {
    const std::string opening = kOpening;
    const std::string reconnecting = opening + kDropped + kReconnecting;
    const struct {
        const char* name;
        // accountName, reconnect, proxy, tor, established, dropped, retryNumber,
        // maximumReached, countdown, hopelessReason, throughSsh
        StatusState state;
        std::string text;
        bool stopRefresh;
        bool runCountdown;
    } cases[] = {
        {"waiting", {"alpha", false, true}, opening, false, false},
        {"warnings", {"alpha", false, false, true},
         opening + "WARNING: The traffic is relayed trough the TOR network\r\n"
                   "This will slowdown the connection\r\n"
                   "WARNING: proxy is not enabled for Internet Explorer\r\n",
         false, false},
        {"no account", {"", false, true}, "", false, false},
        {"through ssh", {"alpha", false, true, false, false, false, 0, false, 0, "", true},
         opening + "The browser's traffic goes through SSH itself: the server resolves the "
                   "names, and needs no proxy.\r\n",
         false, false},
        {"established", {"alpha", false, true, false, true, false, 0, false, 7},
         opening + "Connection esthablished \r\nThis window will close in 7 seconds", false, true},
        {"dropped", {"alpha", false, true, false, true, true, 4, true}, opening + kDropped, true,
         false},
        {"reconnecting", {"alpha", true, true, false, false, true}, reconnecting, false, false},
        {"retry", {"alpha", true, true, false, false, true, 10},
         reconnecting + "Reconnection retry no.: 10\r\n", false, false},
        {"back", {"alpha", true, true, false, true, true, 10, false, 10},
         reconnecting + "Reconnection retry no.: 10\r\n"
                        "Connection esthablished \r\nThis window will close in 10 seconds",
         false, true},
        {"maximum", {"alpha", true, true, false, true, true, 10, true},
         reconnecting + "Reconnection retry no.: 10\r\n" + kMaximum, true, false},
        {"hopeless", {"alpha", true, true, false, false, true, 3, false, 0, "Refused."},
         reconnecting + "Reconnection retry no.: 3\r\nRefused.\r\nRetrying cannot mend this.\r\n"
                        "Aborting retry sequence\r\n",
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusComposition composed = ComposeStatusText(c.state);
        EXPECT_EQ(composed.text, c.text);
        EXPECT_EQ(composed.stopRefresh, c.stopRefresh);
        EXPECT_EQ(composed.runCountdown, c.runCountdown);
    }
}

} // namespace
