// PassphraseCache: the passphrases of encrypted key files the user typed in this run, kept in
// memory only, one for each account and key file, so that a reconnect or a later Start does not
// ask again. Nothing of it is ever written anywhere; a passphrase dropped, and all of them when
// the cache ends, are wiped first.
#pragma once

#include <map>
#include <string>
#include <utility>

class PassphraseCache {
public:
    PassphraseCache() = default;
    PassphraseCache(const PassphraseCache&) = delete;
    PassphraseCache& operator=(const PassphraseCache&) = delete;
    ~PassphraseCache();

    void Keep(const std::string& account, const std::string& keyFile,
              const std::string& passphrase);
    // The kept passphrase, or null when none is.
    const std::string* Find(const std::string& account, const std::string& keyFile) const;
    void Drop(const std::string& account, const std::string& keyFile);

private:
    using Key = std::pair<std::string, std::string>;
    // Nodes of a map never move, so no copy of a passphrase is left behind in freed memory.
    std::map<Key, std::string> kept_;
};
