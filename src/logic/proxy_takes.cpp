#include "logic/proxy_takes.h"

bool ProxyTakes::GiveUpAfter(const std::string& connectionName, unsigned long long nowMs) {
    if (GaveUp(connectionName))
        return false;
    std::deque<unsigned long long>& times = takes_[connectionName];
    times.push_back(nowMs);
    while (nowMs - times.front() >= kWindowMs)
        times.pop_front();
    if (static_cast<int>(times.size()) < kTakesToGiveUp)
        return false;
    givenUp_.insert(connectionName);
    return true;
}
