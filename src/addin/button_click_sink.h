#pragma once
// One button's sink for _CommandBarButtonEvents: a part of the add-in object with its own
// IDispatch identity, whose references count on the add-in object.
#include <windows.h>
#include <oaidl.h>

#include "addin/click_handlers.h"

namespace vrz {

class ButtonClickSink final : public IDispatch {
public:
    static constexpr DWORD kNotConnected = 0xFEFEFEFE;

    // `id` is the sink's row in the sink table (1..4 publish buttons, 8 Help).
    ButtonClickSink(IUnknown& owner, ClickHandlers& handlers, int id) noexcept
        : owner_(owner), handlers_(handlers), id_(id) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispId, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exceptionInfo, UINT* argError) override;

    // Advises the button's _CommandBarButtonEvents connection point; E_INVALIDARG for no button.
    HRESULT Connect(IUnknown* button) noexcept;
    // Unadvises with the stored cookie (also the not-connected marker) and resets the cookie.
    HRESULT Disconnect(IUnknown* button) noexcept;
    DWORD Cookie() const noexcept { return cookie_; }

private:
    IUnknown& owner_;
    ClickHandlers& handlers_;
    int id_;
    DWORD cookie_ = kNotConnected;
};

}  // namespace vrz
