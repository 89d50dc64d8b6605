#pragma once
// Late-bound calls through IDispatch: one way to resolve a member and one way to invoke it.
#include <windows.h>
#include <oleauto.h>
#include <span>
#include <string>
#include "com/variant.h"

namespace vrz {

// GetIDsOfNames with IID_NULL, one name and LOCALE_SYSTEM_DEFAULT.
HRESULT ResolveName(IDispatch* object, const wchar_t* name, DISPID* id) noexcept;

// Invoke with IID_NULL and LOCALE_SYSTEM_DEFAULT. Arguments are positional, given in parameter
// order (the first parameter first); a property put adds the DISPID_PROPERTYPUT name itself.
// The result, when supplied, is cleared and zeroed before the call.
// An EXCEPINFO whose strings are freed when it goes out of scope.
struct ExcepInfo : EXCEPINFO {
    ExcepInfo() noexcept : EXCEPINFO{} {}
    ~ExcepInfo() {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
};

// The object a result VARIANT holds, or null when it holds none.
IUnknown* ResultObject(const VARIANT& result) noexcept;
// The result as text: a string, or any value that converts to one; false when it cannot.
bool ResultText(const VARIANT& result, std::wstring& text);

HRESULT InvokeMember(IDispatch* object, DISPID id, WORD flags, std::span<Variant> args, VARIANT* result,
                     EXCEPINFO* exceptionInfo = nullptr, UINT* argError = nullptr) noexcept;

}  // namespace vrz
