#pragma once
// IDispatch of a dual interface served from its type information.
#include <windows.h>
#include <oaidl.h>
#include <mutex>

#include "com/com_ptr.h"

namespace vrz {

// The type information of one interface in one type library: loaded from the registration on
// first use (the add-in's own library falls back to the copy embedded in this module) and kept
// for the module's life.
class TypeInfoSource {
public:
    TypeInfoSource(const GUID& libid, const IID& iid, bool embeddedFallback) noexcept
        : libid_(libid), iid_(iid), embeddedFallback_(embeddedFallback) {}
    HRESULT Get(ComPtr<ITypeInfo>& info);

private:
    const GUID libid_;
    const IID iid_;
    const bool embeddedFallback_;
    std::mutex lock_;
    ComPtr<ITypeInfo> cached_;
};

template <class Interface>
class DispatchPart : public Interface {
public:
    explicit DispatchPart(TypeInfoSource& source) noexcept : source_(source) {}

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ComPtr<ITypeInfo> typeInfo;
        HRESULT hr = source_.Get(typeInfo);
        if (SUCCEEDED(hr)) *info = typeInfo.Detach();
        return hr;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ComPtr<ITypeInfo> typeInfo;
        HRESULT hr = source_.Get(typeInfo);
        return FAILED(hr) ? hr : typeInfo->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exceptionInfo, UINT* argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> typeInfo;
        HRESULT hr = source_.Get(typeInfo);
        if (FAILED(hr)) return hr;
        return typeInfo->Invoke(static_cast<Interface*>(this), id, flags, params, result, exceptionInfo, argError);
    }

private:
    TypeInfoSource& source_;
};

}  // namespace vrz
