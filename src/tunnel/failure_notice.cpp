// The main window's memory of why the client's run failed; see failure_notice.h.
#include "tunnel/failure_notice.h"

#include <cstring>

bool FailureNotice::OnCopyData(std::uintptr_t tag, const void* data, size_t size) {
    if (tag != kFailureReasonTag)
        return false;
    reason_.clear();
    if (!data)
        return true;
    // The sender's zero byte is not trusted to be there.
    const char* text = static_cast<const char*>(data);
    const char* end = static_cast<const char*>(std::memchr(text, '\0', size));
    reason_.assign(text, end ? end : text + size);
    return true;
}

std::string FailureNotice::TakeOnEnd() {
    std::string reason;
    reason.swap(reason_);
    return reason;
}
