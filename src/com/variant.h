#pragma once
// An owned VARIANT and the argument values the late-bound calls pass.
#include <windows.h>
#include <oleauto.h>
#include <string_view>

namespace vrz {

class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    Variant(const Variant& other);
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* Get() noexcept { return &value_; }
    const VARIANT* Get() const noexcept { return &value_; }
    VARIANT* operator->() noexcept { return &value_; }
    const VARIANT* operator->() const noexcept { return &value_; }
    VARTYPE Type() const noexcept { return V_VT(&value_); }
    // Clears the held value; a failure raises a COM error exception.
    void Clear();

    static Variant Int32(LONG value);
    static Variant Int16(SHORT value);
    static Variant Bool(VARIANT_BOOL value);
    static Variant String(std::wstring_view text);
    static Variant Dispatch(IDispatch* object);
    // The value passed for an omitted optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
    static Variant Missing();

private:
    VARIANT value_;
};

}  // namespace vrz
