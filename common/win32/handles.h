// Owning wrappers for the Win32 handles the program uses, so that every
// handle, view, atom and GDI object is released exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace orvex::win32 {

// Generic owner: Traits::invalid() is the empty value, Traits::close(h)
// releases a held one.
template <class Traits>
class UniqueResource {
public:
    using value_type = typename Traits::value_type;

    UniqueResource() noexcept : value_(Traits::invalid()) {}
    explicit UniqueResource(value_type v) noexcept : value_(v) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    value_type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    value_type release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(value_type v = Traits::invalid()) noexcept {
        value_type old = std::exchange(value_, v);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    value_type value_;
};

struct HandleTraits {  // kernel objects where 0 means "none"
    using value_type = HANDLE;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile results, where INVALID_HANDLE_VALUE means "none"
    using value_type = HANDLE;
    static value_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(value_type h) noexcept { ::CloseHandle(h); }
};
struct ViewTraits {
    using value_type = void*;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type p) noexcept { ::UnmapViewOfFile(p); }
};
struct AtomTraits {
    using value_type = ATOM;
    static value_type invalid() noexcept { return 0; }
    static void close(value_type a) noexcept { ::GlobalDeleteAtom(a); }
};
struct GdiTraits {
    using value_type = HGDIOBJ;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::DeleteObject(h); }
};
struct WindowTraits {
    using value_type = HWND;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::DestroyWindow(h); }
};

struct IconTraits {
    using value_type = HICON;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::DestroyIcon(h); }
};
struct DcTraits {  // memory device contexts (CreateCompatibleDC)
    using value_type = HDC;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::DeleteDC(h); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueDc = UniqueResource<DcTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueView = UniqueResource<ViewTraits>;
using UniqueAtom = UniqueResource<AtomTraits>;
using UniqueGdi = UniqueResource<GdiTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;

// Selects a GDI object into a device context for the life of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace orvex::win32
