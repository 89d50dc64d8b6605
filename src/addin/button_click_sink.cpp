#include "addin/button_click_sink.h"

#include <ocidl.h>

#include <array>

#include "com/com_ptr.h"
#include "com/query.h"
#include "commandbars/office_interfaces.h"

namespace vrz {
namespace {

constexpr UINT kMaxParams = 8;

struct HandlerDescription {
    CALLCONV callConvention;
    VARTYPE returnType;
    UINT paramCount;
    VARTYPE paramTypes[kMaxParams];
};

struct SinkRow {
    int sinkId;
    const IID* eventInterface;
    DISPID dispId;
    ClickHandlerSlot handler;
    HandlerDescription description;
};

constexpr HandlerDescription kClickDescription = {CC_STDCALL, VT_EMPTY, 2, {VT_DISPATCH, VT_BYREF | VT_BOOL}};

// Which sink's Click runs which handler. Rows 5 and 6 (host events) are not built: nothing
// connects them.
const std::array<SinkRow, 5> kSinkTable = {{
    {1, &IID_CommandBarButtonEvents, kDispidClick, ClickHandlerSlot::ToolbarPublish, kClickDescription},
    {2, &IID_CommandBarButtonEvents, kDispidClick, ClickHandlerSlot::ToolbarPublishMail, kClickDescription},
    {3, &IID_CommandBarButtonEvents, kDispidClick, ClickHandlerSlot::MenuPublish, kClickDescription},
    {4, &IID_CommandBarButtonEvents, kDispidClick, ClickHandlerSlot::MenuPublishMail, kClickDescription},
    {8, &IID_CommandBarButtonEvents, kDispidClick, ClickHandlerSlot::Help, kClickDescription},
}};

HRESULT FindEventsPoint(IUnknown* button, ComPtr<IConnectionPoint>& point) {
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = QueryAs(button, IID_IConnectionPointContainer, container);
    if (FAILED(hr)) return hr;
    return container->FindConnectionPoint(IID_CommandBarButtonEvents, point.ReleaseAndGetAddressOf());
}

}  // namespace

STDMETHODIMP ButtonClickSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_CommandBarButtonEvents || riid == IID_IDispatch || riid == IID_IUnknown) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ButtonClickSink::Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) {
    const SinkRow* row = nullptr;
    for (const SinkRow& candidate : kSinkTable) {
        if (candidate.sinkId == id_ && candidate.dispId == dispId &&
            *candidate.eventInterface == IID_CommandBarButtonEvents) {
            row = &candidate;
            break;
        }
    }
    if (!row) return S_OK;  // every other event of the button is accepted and ignored
    const HandlerDescription& description = row->description;
    if (description.paramCount > kMaxParams) return E_FAIL;

    // Every declared parameter must be filled exactly once, so the handler never sees an unset one.
    const UINT count = description.paramCount;
    if (!params || params->cArgs != count || params->cNamedArgs > params->cArgs) return DISP_E_BADPARAMCOUNT;
    VARIANTARG* args[kMaxParams] = {};
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
        DISPID position = params->rgdispidNamedArgs[i];
        if (position < 0 || static_cast<UINT>(position) >= count || args[position]) return DISP_E_PARAMNOTFOUND;
        args[position] = &params->rgvarg[i];
    }
    for (UINT i = params->cNamedArgs; i < params->cArgs; ++i) {
        UINT position = count - 1 - i;
        if (args[position]) return DISP_E_BADPARAMCOUNT;
        args[position] = &params->rgvarg[i];
    }

    VARIANT scratch;
    VariantInit(&scratch);
    HRESULT hr = DispCallFunc(&handlers_, static_cast<ULONG_PTR>(row->handler) * sizeof(void*),
                              description.callConvention, description.returnType, count,
                              const_cast<VARTYPE*>(description.paramTypes), args, result ? result : &scratch);
    VariantClear(&scratch);
    return hr;
}

HRESULT ButtonClickSink::Connect(IUnknown* button) noexcept {
    if (!button) return E_INVALIDARG;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = FindEventsPoint(button, point);
    if (FAILED(hr)) return hr;
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
    if (SUCCEEDED(hr)) cookie_ = cookie;
    return hr;
}

HRESULT ButtonClickSink::Disconnect(IUnknown* button) noexcept {
    if (!button) return E_INVALIDARG;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = FindEventsPoint(button, point);
    if (SUCCEEDED(hr)) hr = point->Unadvise(cookie_);
    cookie_ = kNotConnected;
    return hr;
}

}  // namespace vrz
