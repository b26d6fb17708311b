// KnownHostsFile: Marrowin's own known-hosts file, "known_hosts" in the app folder beside the
// settings file. plink.exe has ssh read and write only this file; Marrowin forgets a server's
// keys when its account goes or the user trusts a changed key, and moves them when the account
// is renamed (an account's name is its server's name). No window here.
#pragma once

#include <string>

class KnownHostsFile {
public:
    explicit KnownHostsFile(const std::string& folder) : path_(folder + "\\known_hosts") {}
    const std::string& Path() const { return path_; }

    // Each rewrites the file whole, through a new file that then takes its place, so that a
    // failure leaves the old one as it was; false then. A missing file has nothing to change.
    bool Forget(const std::string& host) const;
    bool Rename(const std::string& oldHost, const std::string& newHost) const;

    // plink.exe has ssh's question about a new key of this file open now.
    bool QuestionOpen() const;

private:
    bool Rewrite(const std::string& text) const;

    std::string path_;
};
