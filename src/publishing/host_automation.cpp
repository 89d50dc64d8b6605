// The add-in's one road into the host's object model: late-bound calls on the Application and
// the active project.
#include "addin/project_addin_obj.h"
#include "com/com_error.h"
#include "com/dispatch_call.h"
#include "com/query.h"

namespace vrz {
namespace {

// Queries a result object for a host interface. No object, or E_NOINTERFACE, raises E_POINTER;
// any other failure raises its own HRESULT.
template <class T>
ComPtr<T> RequireInterface(IUnknown* object, const IID& iid) {
    ComPtr<T> result;
    HRESULT hr = object ? QueryAs(object, iid, result) : E_NOINTERFACE;
    if (hr == E_NOINTERFACE) throw ComError(E_POINTER, object, iid);
    ThrowIfFailed(hr, object, iid);
    return result;
}

// The 32-bit value that the counter interfaces give through the third method after the seven
// they inherit from IDispatch. The call goes through OLE Automation's DispCallFunc, only on an
// object that has answered the interface's IID; its HRESULT is not looked at.
LONG ReadCounter(IUnknown* counter) {
    constexpr ULONG_PTR kThirdOwnMethod = 7 + 2;
    LONG value = 0;
    VARIANT argument;
    V_VT(&argument) = VT_BYREF | VT_I4;
    V_I4REF(&argument) = &value;
    VARIANTARG* arguments[] = {&argument};
    VARTYPE types[] = {VT_BYREF | VT_I4};
    VARIANT result;
    VariantInit(&result);
    DispCallFunc(counter, kThirdOwnMethod * sizeof(void*), CC_STDCALL, VT_I4, 1, types, arguments, &result);
    return value;
}

// Reads project property `dispId` and the counter behind it; a failed read returns its HRESULT.
HRESULT ReadProjectCounter(HostProject* project, DISPID dispId, const IID& counterIid, LONG& value) {
    Variant result;
    ExcepInfo exceptionInfo;
    UINT argError = 0;
    HRESULT hr = InvokeMember(project, dispId, DISPATCH_PROPERTYGET, {}, result.Get(), &exceptionInfo, &argError);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> counter = RequireInterface<IDispatch>(ResultObject(*result.Get()), counterIid);
    value = ReadCounter(counter.Get());
    return S_OK;
}

}  // namespace

int ProjectAddinObj::CallFilePrint(ComPtr<HostApplication> application) {
    DISPID id = 0;
    if (FAILED(ResolveName(application.Get(), L"FilePrint", &id))) return 0;
    Variant argument = Variant::Int32(1);
    Variant result;
    if (FAILED(InvokeMember(application.Get(), id, DISPATCH_METHOD, {&argument, 1}, result.Get()))) return 0;
    Variant converted;
    if (FAILED(VariantChangeType(converted.Get(), result.Get(), 0, VT_BOOL))) return 0;
    return V_BOOL(converted.Get());
}

HRESULT ProjectAddinObj::CallFilePrintSetup(const std::wstring& printerName) {
    DISPID id = 0;
    HRESULT hr = ResolveName(HostApp.Get(), L"FilePrintSetup", &id);
    if (FAILED(hr)) return hr;
    Variant argument = Variant::String(printerName);
    Variant result;
    ExcepInfo exceptionInfo;
    return InvokeMember(HostApp.Get(), id, DISPATCH_METHOD, {&argument, 1}, result.Get(), &exceptionInfo);
}

HRESULT ProjectAddinObj::GetHostVersion(ComPtr<HostApplication> application, std::wstring& text) {
    DISPID id = 0;
    HRESULT hr = ResolveName(application.Get(), L"Version", &id);
    if (FAILED(hr)) return hr;
    Variant result;
    hr = InvokeMember(application.Get(), id, DISPATCH_PROPERTYGET, {}, result.Get());
    if (SUCCEEDED(hr)) ResultText(*result.Get(), text);
    return hr;
}

HRESULT ProjectAddinObj::GetCommandBars(ComPtr<HostApplication> application, ComPtr<CommandBars>& bars) {
    bars.Reset();
    if (!application) return E_POINTER;
    DISPID id = 0;
    HRESULT hr = ResolveName(application.Get(), L"CommandBars", &id);
    if (FAILED(hr)) return hr;
    Variant result;
    InvokeMember(application.Get(), id, DISPATCH_METHOD, {}, result.Get());  // judged by the object it yields
    IUnknown* object = ResultObject(*result.Get());
    if (!object) return E_POINTER;
    return QueryAs(object, IID_CommandBars, bars);
}

HRESULT ProjectAddinObj::QueryActiveDocument(int& flag) {
    Variant result;
    HRESULT hr = InvokeMember(HostApp.Get(), kDispidActiveDocument, DISPATCH_PROPERTYGET, {}, result.Get());
    if (hr != S_OK) return hr;
    const VARIANT& value = *result.Get();
    bool pointerType = V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN;
    bool somethingCameBack = pointerType ? ResultObject(value) != nullptr : V_I4(&value) != 0;
    if (somethingCameBack) flag = 0;
    return hr;
}

HRESULT ProjectAddinObj::GetActiveProjectName(std::wstring& text) {
    DISPID id = 0;
    HRESULT hr = ResolveName(HostApp.Get(), L"ActiveProject", &id);
    if (FAILED(hr)) return hr;
    Variant active;
    InvokeMember(HostApp.Get(), id, DISPATCH_PROPERTYGET, {}, active.Get());  // a failure counts as no object
    ComPtr<HostProject> project = RequireInterface<HostProject>(ResultObject(*active.Get()), IID_HostProject);
    Variant name;
    hr = InvokeMember(project.Get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {}, name.Get());
    if (SUCCEEDED(hr)) ResultText(*name.Get(), text);
    return hr;
}

int ProjectAddinObj::HasActiveProjectContent() {
    DISPID id = 0;
    HRESULT hr = ResolveName(HostApp.Get(), L"ActiveProject", &id);
    if (FAILED(hr)) return hr;
    Variant active;
    ExcepInfo exceptionInfo;
    UINT argError = 0;
    hr = InvokeMember(HostApp.Get(), id, DISPATCH_PROPERTYGET, {}, active.Get(), &exceptionInfo, &argError);
    if (FAILED(hr)) return hr;
    IUnknown* object = ResultObject(*active.Get());
    if (!object) return 0;
    ComPtr<HostProject> project = RequireInterface<HostProject>(object, IID_HostProject);
    LONG countA = 0, countB = 0;
    hr = ReadProjectCounter(project.Get(), kDispidProjectCounterA, IID_ProjectCounterA, countA);
    if (FAILED(hr)) return hr;
    hr = ReadProjectCounter(project.Get(), kDispidProjectCounterB, IID_ProjectCounterB, countB);
    if (FAILED(hr)) return hr;
    return (countA != 0 || countB != 0) ? 1 : 0;
}

}  // namespace vrz
