#pragma once
// Owning holders for Win32 handles: one template, one traits struct per kind of handle.
#include <windows.h>
#include <utility>

namespace vrz {

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Type Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }
    Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // For out-parameters of Win32 calls: frees what is held first.
    Type* Put() noexcept {
        Reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
struct PrinterTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h);  // ClosePrinter, defined where winspool is used
};

using RegKey = UniqueHandle<RegKeyTraits>;
using Library = UniqueHandle<LibraryTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using PrinterHandle = UniqueHandle<PrinterTraits>;

}  // namespace vrz
