// Move-only owners for every kind of Windows handle the program holds.
// One template, one small traits struct per kind: the traits name the empty
// value and how the handle is given back. Copies are deleted, so a handle has
// exactly one owner and is released exactly once on every path.
#pragma once

#include "core/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace vx {

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::empty(); }

    // For APIs that return a handle through an out parameter.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

    Handle release() noexcept { return std::exchange(handle_, Traits::empty()); }
    void reset(Handle handle = Traits::empty()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::empty()) Traits::close(old);
    }

private:
    Handle handle_ = Traits::empty();
};

// Traits for the many handle kinds whose empty value is null and that one
// function gives back.
template <typename HandleType, auto CloseFunction> struct NullHandleTraits {
    using Handle = HandleType;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { CloseFunction(h); }
};

using RegKeyTraits = NullHandleTraits<HKEY, &RegCloseKey>;
// Kernel handles whose empty value is null (tokens, processes, threads, events).
using KernelHandleTraits = NullHandleTraits<HANDLE, &CloseHandle>;
template <typename GdiHandle> using GdiObjectTraits = NullHandleTraits<GdiHandle, &DeleteObject>;
using ModuleTraits = NullHandleTraits<HMODULE, &FreeLibrary>;
// A device context made with CreateCompatibleDC or CreateDC.
using OwnedDcTraits = NullHandleTraits<HDC, &DeleteDC>;
using IconTraits = NullHandleTraits<HICON, &DestroyIcon>;
using MenuTraits = NullHandleTraits<HMENU, &DestroyMenu>;
using ImageListTraits = NullHandleTraits<HIMAGELIST, &DestroyImageList>;
// A mutex this thread owns: given up, then closed.
struct OwnedMutexTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept {
        ReleaseMutex(h);
        CloseHandle(h);
    }
};
// A COM interface pointer: the one reference it holds is released once.
template <typename Interface> struct ComTraits {
    using Handle = Interface*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { h->Release(); }
};

using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueOwnedDc = UniqueHandle<OwnedDcTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using OwnedMutex = UniqueHandle<OwnedMutexTraits>;
template <typename Interface> using UniqueCom = UniqueHandle<ComTraits<Interface>>;

// A device context borrowed with GetDC; given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A GDI object selected into a device context for one scope; the previous
// object is selected back when the scope ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    SelectedObject(SelectedObject&& other) noexcept
        : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
    SelectedObject& operator=(SelectedObject&&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace vx
