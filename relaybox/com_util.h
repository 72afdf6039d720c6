// Small owners for COM interface pointers, BSTRs and VARIANTs, and the
// ANSI/wide conversions that the automation interface needs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace orvex::com {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* p) noexcept {
        if (p) p->AddRef();
        return Attach(p);
    }
    ComPtr(const ComPtr& o) noexcept : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    T* Detach() noexcept { return std::exchange(p_, nullptr); }

    template <class U>
    HRESULT As(const IID& iid, ComPtr<U>& out) const noexcept {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.PutVoid());
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(const std::string& text) : b_(Make(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        std::swap(b_, o.b_);
        return *this;
    }
    ~Bstr() { ::SysFreeString(b_); }

    BSTR Get() const noexcept { return b_; }
    BSTR* Put() noexcept {
        ::SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    BSTR Detach() noexcept { return std::exchange(b_, nullptr); }
    std::string Text() const { return ToString(b_); }

    // A new BSTR holding the text (the caller owns it); nullptr for "".
    static BSTR Make(const std::string& text) {
        if (text.empty()) return nullptr;
        int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        BSTR b = ::SysAllocStringLen(nullptr, static_cast<UINT>(n));
        if (b) ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), b, n);
        return b;
    }
    static std::string ToString(const wchar_t* w) {
        if (!w) return {};
        int len = static_cast<int>(::wcslen(w));
        if (len == 0) return {};
        int n = ::WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, w, len, s.data(), n, nullptr, nullptr);
        return s;
    }

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { ::VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v_); }
    VARIANT* operator&() noexcept { return &v_; }
    VARIANT& Get() noexcept { return v_; }

private:
    VARIANT v_;
};

// Wide text of an ANSI text (for the wide-only COM and OLE functions).
inline std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return w;
}

// "{xxxxxxxx-xxxx-...}" in upper case, as the registry holds GUIDs.
inline std::string GuidText(const GUID& g) {
    wchar_t buffer[40] = {};
    ::StringFromGUID2(g, buffer, 40);
    return Bstr::ToString(buffer);
}

// Initialises COM on the current thread for the life of the object.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : hr_(::CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    HRESULT Result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

} // namespace orvex::com
