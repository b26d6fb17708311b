// Named pipes that only this user can open, under names nobody can guess: the password goes to
// the askpass instance through one, and ssh's verbose output comes back through another.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <optional>
#include <string>

// "\\.\pipe\marrowin-<purpose>-<process id>-<32 random hex digits>"; empty when the system
// gives no random numbers.
std::string UniquePipeName(const std::string& purpose);

// A security descriptor whose only entry gives the current user full access. The default one
// of a named pipe would let everyone read.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    bool IsValid() const { return static_cast<bool>(descriptor_); }
    // For a handle that is not inherited.
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

private:
    fw::LocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_ = {};
};

// One pipe for a child's output: `reader` is ours, opened for overlapped reads; `writer` is
// the inheritable end to hand to the child. The system's error code when it failed.
std::optional<DWORD> CreateOutputPipe(fw::KernelHandle& reader, fw::KernelHandle& writer);
