// Owners for Windows handles: each closes its handle on every path out of scope.
#pragma once
#include <windows.h>

template <typename T, typename Traits>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(T h) : h_(h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }

    T Get() const { return h_; }
    bool Valid() const { return h_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    T Release() {
        T h = h_;
        h_ = Traits::Invalid();
        return h;
    }
    void Reset(T h = Traits::Invalid()) {
        if (Valid()) Traits::Close(h_);
        h_ = h;
    }
    // For calls that hand a new handle back through a pointer.
    T* Out() {
        Reset();
        return &h_;
    }

private:
    T h_ = Traits::Invalid();
};

// CreateFileW and FindFirstFileW fail with INVALID_HANDLE_VALUE, the rest with null.
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
template <typename T>
struct GdiTraits {
    static T Invalid() { return nullptr; }
    static void Close(T h) { DeleteObject(h); }
};

using FileHandle = ScopedHandle<HANDLE, FileHandleTraits>;        // files, from CreateFileW
using KernelHandle = ScopedHandle<HANDLE, KernelHandleTraits>;    // processes, threads, pipes, events
using FindHandle = ScopedHandle<HANDLE, FindHandleTraits>;        // FindFirstFileW
using RegKeyHandle = ScopedHandle<HKEY, RegKeyTraits>;
using ModuleHandle = ScopedHandle<HMODULE, ModuleTraits>;         // LoadLibraryExW
template <typename T>
using GdiHandle = ScopedHandle<T, GdiTraits<T>>;                  // fonts, brushes, pens, bitmaps

// The DC of a window's client area, or of the screen for a null window; released on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC, and the one it replaced back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Keeps a DC's selected objects, colours and modes, and puts them back on scope exit.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};
