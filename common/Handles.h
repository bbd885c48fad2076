#pragma once
// Move-only owners of Win32 handles.

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle(std::exchange(other.handle, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle, Traits::Invalid()));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle; }
    explicit operator bool() const { return handle != Traits::Invalid(); }
    Handle release() { return std::exchange(handle, Traits::Invalid()); }
    void reset(Handle newHandle = Traits::Invalid()) {
        if (handle != Traits::Invalid()) Traits::Close(handle);
        handle = newHandle;
    }

private:
    Handle handle = Traits::Invalid();
};

struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};
struct KernelHandleTraits {   // CreateProcess, CreateEvent ...: null when absent
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FileHandleTraits {     // CreateFile: INVALID_HANDLE_VALUE when absent
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};
struct RegistryKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
template <typename Object>    // HGDIOBJ, or one kind of it (HBITMAP, HBRUSH, HRGN ...)
struct GdiObjectTraits {
    static Object Invalid() { return nullptr; }
    static void Close(Object object) { DeleteObject(object); }
};

struct MenuTraits {           // menus loaded or created, not one attached to a window
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct IconTraits {           // icons made or extracted, not shared resource icons
    static HICON Invalid() { return nullptr; }
    static void Close(HICON icon) { DestroyIcon(icon); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST images) { ImageList_Destroy(images); }
};
struct MemoryDCTraits {       // CreateCompatibleDC, CreateDC
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};

using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using RegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits<HGDIOBJ>>;
// Typed, so that a bitmap or a brush goes where one is wanted without a cast.
using BitmapHandle = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using MenuHandle = UniqueHandle<HMENU, MenuTraits>;
using IconHandle = UniqueHandle<HICON, IconTraits>;
using ImageListHandle = UniqueHandle<HIMAGELIST, ImageListTraits>;
using MemoryDC = UniqueHandle<HDC, MemoryDCTraits>;

// A device context borrowed from a window (GetDC, GetWindowDC; null window = the screen),
// given back with ReleaseDC.
class WindowDC {
public:
    WindowDC() = default;
    WindowDC(HWND window, HDC dc) : window(window), dc(dc) {}
    static WindowDC Client(HWND window) { return WindowDC(window, GetDC(window)); }
    static WindowDC Whole(HWND window) { return WindowDC(window, GetWindowDC(window)); }
    WindowDC(WindowDC&& other) noexcept
        : window(std::exchange(other.window, nullptr)), dc(std::exchange(other.dc, nullptr)) {}
    WindowDC& operator=(WindowDC&& other) noexcept {
        if (this != &other) {
            reset();
            window = std::exchange(other.window, nullptr);
            dc = std::exchange(other.dc, nullptr);
        }
        return *this;
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { reset(); }

    HDC get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }
    void reset() {
        if (dc != nullptr) ReleaseDC(window, dc);
        window = nullptr;
        dc = nullptr;
    }

private:
    HWND window = nullptr;
    HDC dc = nullptr;
};

// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction,
// so the two always pair. Neither copied nor moved: it lives in the handler's scope.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window(window), dc(BeginPaint(window, &paint)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(window, &paint); }

    HDC get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }
    const RECT& Invalid() const { return paint.rcPaint; }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};

// An object selected into a device context for this scope; the one it displaced goes back
// in on destruction, so the object can be deleted afterwards and the DC is left as found.
class SelectedObject {
public:
    SelectedObject() = default;
    SelectedObject(HDC dc, HGDIOBJ object) : dc(dc), previous(dc != nullptr ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(SelectedObject&& other) noexcept
        : dc(std::exchange(other.dc, nullptr)), previous(std::exchange(other.previous, nullptr)) {}
    SelectedObject& operator=(SelectedObject&& other) noexcept {
        if (this != &other) {
            reset();
            dc = std::exchange(other.dc, nullptr);
            previous = std::exchange(other.previous, nullptr);
        }
        return *this;
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { reset(); }

    explicit operator bool() const { return previous != nullptr && previous != HGDI_ERROR; }
    void reset() {
        if (dc != nullptr && previous != nullptr && previous != HGDI_ERROR) SelectObject(dc, previous);
        dc = nullptr;
        previous = nullptr;
    }

private:
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
};
