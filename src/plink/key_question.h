// ssh's yes/no question about the key of a server it does not know, put to the user. ssh runs
// plink.exe as its askpass program with the question as the one argument; that plink.exe shows
// a box owned by no window, in front of the others, captioned "Marrowin", with the server's name
// and the key's fingerprint, No being the default, and prints ssh's answer. One question about
// a known-hosts file is open at a time: a second waits until the first is answered, and
// Marrowin's reconnect sequence sees the lock and waits too.
#pragma once

#include <string>

// Answers ssh's confirmation: "yes" when the user trusts the key, "no" otherwise, also for any
// yes/no question that is not one about a server's key. Returns the exit code.
int AnswerConfirmation(const std::string& prompt);
