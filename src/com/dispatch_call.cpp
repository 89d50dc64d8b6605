#include "com/dispatch_call.h"

#include <cstring>
#include <vector>

namespace vrz {

HRESULT ResolveName(IDispatch* object, const wchar_t* name, DISPID* id) noexcept {
    if (!object) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, id);
}

IUnknown* ResultObject(const VARIANT& result) noexcept {
    if (V_VT(&result) == VT_DISPATCH) return V_DISPATCH(&result);
    if (V_VT(&result) == VT_UNKNOWN) return V_UNKNOWN(&result);
    return nullptr;
}

bool ResultText(const VARIANT& result, std::wstring& text) {
    Variant converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&result), 0, VT_BSTR))) return false;
    BSTR value = V_BSTR(converted.Get());
    text.append(value ? value : L"", value ? SysStringLen(value) : 0);
    return true;
}

HRESULT InvokeMember(IDispatch* object, DISPID id, WORD flags, std::span<Variant> args, VARIANT* result,
                     EXCEPINFO* exceptionInfo, UINT* argError) noexcept {
    if (!object) return E_POINTER;
    VARIANT reversed[8];
    if (args.size() > std::size(reversed)) return E_INVALIDARG;
    // DISPPARAMS lists positional arguments last parameter first.
    for (size_t i = 0; i < args.size(); ++i) reversed[i] = *args[args.size() - 1 - i].Get();
    DISPID putName = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : reversed;
    params.cArgs = static_cast<UINT>(args.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putName;
        params.cNamedArgs = 1;
    }
    if (result) {
        VariantClear(result);
        std::memset(result, 0, sizeof(*result));
    }
    return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, result, exceptionInfo, argError);
}

}  // namespace vrz
