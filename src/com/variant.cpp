#include "com/variant.h"

#include "com/bstr.h"
#include "com/com_error.h"

namespace vrz {

Variant::Variant(const Variant& other) {
    VariantInit(&value_);
    ThrowIfFailed(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)));
}

void Variant::Clear() { ThrowIfFailed(VariantClear(&value_)); }

Variant Variant::Int32(LONG value) {
    Variant v;
    V_VT(v.Get()) = VT_I4;
    V_I4(v.Get()) = value;
    return v;
}

Variant Variant::Int16(SHORT value) {
    Variant v;
    V_VT(v.Get()) = VT_I2;
    V_I2(v.Get()) = value;
    return v;
}

Variant Variant::Bool(VARIANT_BOOL value) {
    Variant v;
    V_VT(v.Get()) = VT_BOOL;
    V_BOOL(v.Get()) = value;
    return v;
}

Variant Variant::String(std::wstring_view text) {
    Variant v;
    V_BSTR(v.Get()) = Bstr(text).Detach();
    V_VT(v.Get()) = VT_BSTR;
    return v;
}

Variant Variant::Dispatch(IDispatch* object) {
    Variant v;
    V_VT(v.Get()) = VT_DISPATCH;
    V_DISPATCH(v.Get()) = object;
    if (object) object->AddRef();
    return v;
}

Variant Variant::Missing() {
    Variant v;
    V_VT(v.Get()) = VT_ERROR;
    V_ERROR(v.Get()) = DISP_E_PARAMNOTFOUND;
    return v;
}

}  // namespace vrz
