// The name list "servers" of the settings file: every account name followed by a comma, in
// order of creation. Edits work on whole entries, so that removing "alpha" never touches
// "xalpha".
#pragma once

#include <string>
#include <vector>

// The names in the list, in order; text after the last comma is not a complete entry.
std::vector<std::string> ServerNames(const std::string& servers);

// A hand-edited list may end in text without a comma, which is no name: the new entry goes
// before it, so that the text stays ignored.
std::string AppendServerEntry(const std::string& servers, const std::string& name);
std::string RemoveServerEntry(const std::string& servers, const std::string& name);
// The entry keeps its place.
std::string ReplaceServerEntry(const std::string& servers, const std::string& oldName,
                               const std::string& newName);
