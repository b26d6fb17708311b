// Fuzzes the settings file's form of an account's forwardings ("local:server:port:description,"
// per entry): reading it, the edits the accounts editor makes to it, and a new account's
// defaults. Input: the stored value, a port text, another port text, one per line.
#include "fuzz_support.h"

#include "logic/forwarding_text.h"

namespace {

bool Same(const std::vector<Forwarding>& a, const std::vector<Forwarding>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].localPort != b[i].localPort || a[i].targetServer != b[i].targetServer ||
            a[i].targetPort != b[i].targetPort || a[i].description != b[i].description)
            return false;
    }
    return true;
}

bool CanBeAPortField(const std::string& text) {
    return text.find_first_of(":,") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> in = Fields(data, size, 3);
    const std::string& text = in[0];
    const std::string& oldPort = in[1];
    const std::string& newPort = in[2];
    const std::vector<Forwarding> entries = ParseSettingsForwardings(text);

    // What is read and written back reads the same.
    std::string written;
    for (const Forwarding& entry : entries)
        written += SettingsEntry(entry);
    FUZZ_CHECK(Same(ParseSettingsForwardings(written), entries));

    if (!entries.empty()) {
        // An added entry comes last, whatever unclosed text the value ends in.
        std::vector<Forwarding> more = entries;
        more.push_back(entries.front());
        FUZZ_CHECK(Same(
            ParseSettingsForwardings(AppendSettingsEntry(text, SettingsEntry(entries.front()))),
            more));
        // A removal takes the first entry equal to the one removed, and only that.
        const Forwarding& gone = entries[entries.size() / 2];
        std::vector<Forwarding> fewer;
        bool removed = false;
        for (const Forwarding& entry : entries) {
            if (!removed && Same({entry}, {gone}))
                removed = true;
            else
                fewer.push_back(entry);
        }
        FUZZ_CHECK(
            Same(ParseSettingsForwardings(RemoveSettingsEntry(text, SettingsEntry(gone))), fewer));
    }

    if (CanBeAPortField(oldPort) && CanBeAPortField(newPort)) {
        // A server port change moves exactly the entries aimed at the old port.
        std::vector<Forwarding> changed = entries;
        for (Forwarding& entry : changed) {
            if (entry.targetPort == oldPort)
                entry.targetPort = newPort;
        }
        FUZZ_CHECK(Same(ParseSettingsForwardings(ChangeSettingsTargetPort(text, oldPort, newPort)),
                        changed));

        // A new account's defaults read back as they were meant, in both forms.
        const std::vector<Forwarding> defaults = DefaultForwardings(oldPort);
        FUZZ_CHECK(Same(ParseSettingsForwardings(DefaultSettingsForwardings(oldPort)), defaults));
        std::string session;
        for (const Forwarding& entry : defaults)
            session += SessionEntry(entry);
        FUZZ_CHECK(session == DefaultSessionForwardings(oldPort));
    }

    return 0;
}
