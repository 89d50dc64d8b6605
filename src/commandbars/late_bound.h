#pragma once
// Calls on the published Office command bar interfaces. The members are reached through each
// interface's IDispatch side: a member name is resolved once per interface, then invoked by
// DISPID. Every failure raises a COM error exception carrying the HRESULT, the object and the
// interface called.
#include <windows.h>
#include <oaidl.h>
#include <initializer_list>
#include <string>

#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/dispatch_call.h"
#include "com/query.h"
#include "com/variant.h"

namespace vrz {

class OfficeObject {
public:
    OfficeObject(IDispatch* object, const IID& iid) noexcept : object_(object), iid_(iid) {}

    // Invokes a method or reads a property; HRESULT-returning form for the lookups whose failure
    // is an answer rather than an error.
    HRESULT TryGet(const wchar_t* name, Variant& result, std::initializer_list<Variant> args = {}) const;
    Variant Get(const wchar_t* name, std::initializer_list<Variant> args = {}) const;
    Variant Call(const wchar_t* name, std::initializer_list<Variant> args = {}) const;
    void Put(const wchar_t* name, Variant value) const;

    LONG GetInt(const wchar_t* name) const;

private:
    HRESULT Invoke(const wchar_t* name, WORD flags, std::initializer_list<Variant> args, Variant* result) const;

    IDispatch* object_;
    const IID& iid_;
};

// The object queried for `iid`; a failure raises a COM error exception.
template <class T>
ComPtr<T> QueryOrThrow(IUnknown* object, const IID& iid) {
    ComPtr<T> typed;
    ThrowIfFailed(QueryAs(object, iid, typed), object, iid);
    return typed;
}

// The object a call returned, queried for `iid`; null when the call returned no object.
// A returned object that lacks the interface raises a COM error exception.
template <class T>
ComPtr<T> ResultAs(const Variant& result, const IID& iid) {
    IUnknown* object = ResultObject(*result.Get());
    return object ? QueryOrThrow<T>(object, iid) : nullptr;
}

// As ResultAs, but no object is an error too (E_POINTER).
template <class T>
ComPtr<T> RequireResultAs(const Variant& result, const IID& iid) {
    ComPtr<T> typed = ResultAs<T>(result, iid);
    if (!typed) throw ComError(E_POINTER, nullptr, iid);
    return typed;
}

}  // namespace vrz
