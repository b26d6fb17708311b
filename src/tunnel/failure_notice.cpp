// The main window's memory of why the client's run failed; see failure_notice.h.
#include "tunnel/failure_notice.h"

#include <cstring>

bool FailureNotice::OnCopyData(std::uintptr_t tag, const void* data, size_t size) {
    if (tag != kFailureReasonTag && tag != kChangedKeyTag)
        return false;
    std::string& text = tag == kFailureReasonTag ? reason_ : changedKey_;
    text.clear();
    if (!data)
        return true;
    // The sender's zero byte is not trusted to be there.
    const char* begin = static_cast<const char*>(data);
    const char* end = static_cast<const char*>(std::memchr(begin, '\0', size));
    text.assign(begin, end ? end : begin + size);
    return true;
}

std::string FailureNotice::TakeOnEnd() {
    std::string reason;
    reason.swap(reason_);
    return reason;
}

std::string FailureNotice::TakeChangedKey() {
    std::string key;
    key.swap(changedKey_);
    return key;
}
