#pragma once
// One move-only owner for every kind of OS handle, in the shape of
// unique_any<T, decltype(&::Fn), ::Fn>: the close function's exact type
// (calling convention included) is part of the owner's type.
#include <windows.h>

#include <utility>

#include "platform/Types.h"

namespace ql::win32 {

template <typename T>
struct NullIsInvalid {
    static T Invalid() noexcept { return T{}; }
};

struct MinusOneIsInvalid {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};

template <typename T, typename CloseFn, CloseFn Close, typename Policy = NullIsInvalid<T>>
class UniqueAny {
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : m_value(value) {}
    ~UniqueAny() { reset(); }

    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : m_value(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Policy::Invalid(); }

    T release() noexcept { return std::exchange(m_value, Policy::Invalid()); }
    void reset(T value = Policy::Invalid()) noexcept {
        T old = std::exchange(m_value, value);
        if (old != Policy::Invalid()) Close(old);
    }

private:
    T m_value = Policy::Invalid();
};

using UniqueHandle = UniqueAny<HANDLE, decltype(&::CloseHandle), ::CloseHandle>;
using UniqueFileHandle = UniqueAny<HANDLE, decltype(&::CloseHandle), ::CloseHandle, MinusOneIsInvalid>;
using UniqueHook = UniqueAny<HHOOK, decltype(&::UnhookWindowsHookEx), ::UnhookWindowsHookEx>;
using UniqueWindow = UniqueAny<HWND, decltype(&::DestroyWindow), ::DestroyWindow>;
using UniqueIcon = UniqueAny<HICON, decltype(&::DestroyIcon), ::DestroyIcon>;
using UniqueMenu = UniqueAny<HMENU, decltype(&::DestroyMenu), ::DestroyMenu>;
using UniqueModule = UniqueAny<HMODULE, decltype(&::FreeLibrary), ::FreeLibrary>;
using UniqueKey = UniqueAny<HKEY, decltype(&::RegCloseKey), ::RegCloseKey>;
template <typename GdiObject>
using UniqueGdi = UniqueAny<GdiObject, decltype(&::DeleteObject), ::DeleteObject>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
// A memory device context for drawing off screen.
using UniqueMemoryDC = UniqueAny<HDC, decltype(&::DeleteDC), ::DeleteDC>;

// Selects a GDI object into a device context and puts the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~ScopedSelect() { ::SelectObject(m_dc, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Handles of the portable layer are the OS handles as integers.
inline HWND ToHwnd(WindowId window) noexcept { return reinterpret_cast<HWND>(window); }
inline WindowId ToWindowId(HWND window) noexcept { return reinterpret_cast<WindowId>(window); }

}  // namespace ql::win32
