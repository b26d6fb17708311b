#include "tunnel/passphrase_cache.h"

#include <windows.h>

namespace {

void Wipe(std::string& secret) {
    if (!secret.empty())
        ::SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

} // namespace

PassphraseCache::~PassphraseCache() {
    for (auto& entry : kept_)
        Wipe(entry.second);
}

void PassphraseCache::Keep(const std::string& account, const std::string& keyFile,
                           const std::string& passphrase) {
    std::string& kept = kept_[Key(account, keyFile)];
    Wipe(kept);
    // Reserved first, so that the text is copied once, into a buffer of its own.
    kept.reserve(passphrase.size());
    kept.assign(passphrase);
}

const std::string* PassphraseCache::Find(const std::string& account,
                                         const std::string& keyFile) const {
    auto found = kept_.find(Key(account, keyFile));
    return found == kept_.end() ? nullptr : &found->second;
}

void PassphraseCache::Drop(const std::string& account, const std::string& keyFile) {
    auto found = kept_.find(Key(account, keyFile));
    if (found == kept_.end())
        return;
    Wipe(found->second);
    kept_.erase(found);
}
