// How often another program has taken a connection away from the tunnel: the guard points it
// back, until the same connection is taken a third time within a minute; then it gives up on
// that connection for the rest of the run. Plain logic, no Win32: times come in as milliseconds
// of any steady clock.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>

class ProxyTakes {
public:
    static const int kTakesToGiveUp = 3;
    static const unsigned long long kWindowMs = 60 * 1000;

    // Counts a take of the connection; true when the guard is to give it up now.
    bool GiveUpAfter(const std::string& connectionName, unsigned long long nowMs);
    bool GaveUp(const std::string& connectionName) const {
        return givenUp_.count(connectionName) != 0;
    }

private:
    std::map<std::string, std::deque<unsigned long long>> takes_;
    std::set<std::string> givenUp_;
};
