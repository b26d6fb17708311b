// Owners of the handles both programs hold (Marrowin.exe and plink.exe): each releases its
// handle when it goes out of scope, so that no path through the code has to close it by hand.
// Not copyable; movable, except the window DC, which holds its window as well.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// One handle and the function that releases it.
template <typename Handle, typename Traits> class Owner {
public:
    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    operator Handle() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }
    // For functions that return the handle through a pointer; releases any held one first.
    Handle* Receive() {
        Reset();
        return &handle_;
    }
    Handle Release() { return std::exchange(handle_, Traits::Empty()); }
    void Reset(Handle handle = Traits::Empty()) {
        if (Traits::IsValid(handle_))
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Empty();
};

struct RegKeyTraits {
    static HKEY Empty() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};

// Kernel handles (process, thread, event, pipe, file ...). Empty is null; INVALID_HANDLE_VALUE,
// which the file and pipe functions return on failure, holds nothing either.
struct KernelHandleTraits {
    static HANDLE Empty() { return nullptr; }
    static bool IsValid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

template <typename Object> struct GdiObjectTraits {
    static Object Empty() { return nullptr; }
    static bool IsValid(Object object) { return object != nullptr; }
    static void Close(Object object) { ::DeleteObject(object); }
};

// A memory device context, from CreateCompatibleDC.
struct MemoryDcTraits {
    static HDC Empty() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};

// A menu that no window holds, such as one loaded for a popup.
struct MenuTraits {
    static HMENU Empty() { return nullptr; }
    static bool IsValid(HMENU menu) { return menu != nullptr; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};

// An icon loaded at a size of the program's choosing (LoadImage without LR_SHARED).
struct IconTraits {
    static HICON Empty() { return nullptr; }
    static bool IsValid(HICON icon) { return icon != nullptr; }
    static void Close(HICON icon) { ::DestroyIcon(icon); }
};

// Memory the system allocated for the caller with LocalAlloc (a security descriptor, say).
struct LocalMemoryTraits {
    static HLOCAL Empty() { return nullptr; }
    static bool IsValid(HLOCAL memory) { return memory != nullptr; }
    static void Close(HLOCAL memory) { ::LocalFree(memory); }
};

using RegKey = Owner<HKEY, RegKeyTraits>;
using KernelHandle = Owner<HANDLE, KernelHandleTraits>;
using Font = Owner<HFONT, GdiObjectTraits<HFONT>>;
using Brush = Owner<HBRUSH, GdiObjectTraits<HBRUSH>>;
using Bitmap = Owner<HBITMAP, GdiObjectTraits<HBITMAP>>;
using Region = Owner<HRGN, GdiObjectTraits<HRGN>>;
using MemoryDc = Owner<HDC, MemoryDcTraits>;
using Menu = Owner<HMENU, MenuTraits>;
using Icon = Owner<HICON, IconTraits>;
using LocalMemory = Owner<HLOCAL, LocalMemoryTraits>;

// A window's device context (the screen's for a null window), from GetDC; released with
// ReleaseDC, which needs the window too.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    operator HDC() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A started process: its process and main-thread handles, closed together, and its ids.
class ProcessHandles {
public:
    ProcessHandles() = default;
    // Takes over the handles that CreateProcess returned.
    explicit ProcessHandles(const PROCESS_INFORMATION& started)
        : process_(started.hProcess), thread_(started.hThread), processId_(started.dwProcessId),
          threadId_(started.dwThreadId) {}
    ProcessHandles(ProcessHandles&&) noexcept = default;
    ProcessHandles& operator=(ProcessHandles&&) noexcept = default;

    HANDLE Process() const { return process_; }
    HANDLE Thread() const { return thread_; }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    explicit operator bool() const { return static_cast<bool>(process_); }
    void Reset() { *this = ProcessHandles(); }

private:
    KernelHandle process_;
    KernelHandle thread_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

} // namespace fw
