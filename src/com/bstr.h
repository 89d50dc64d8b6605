#pragma once
// An owned BSTR.
#include <windows.h>
#include <oleauto.h>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace vrz {

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!value_) throw std::bad_alloc();
    }
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(value_);
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }

    BSTR Get() const noexcept { return value_; }
    BSTR Detach() noexcept { return std::exchange(value_, nullptr); }
    BSTR* Put() noexcept {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring Text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

}  // namespace vrz
