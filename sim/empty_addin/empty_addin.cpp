// An add-in that does nothing: OnConnection returns S_OK at once. The simulator loads it the same
// way as the real add-in, as the baseline for the connection time.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

#include <initguid.h>  // defines the interface IIDs the header declares
#include "VRZProjectAddin_h.h"

namespace {

// {6C1B3F2A-9D4E-4B7A-8E15-2F0C7A9D3B61}
const CLSID CLSID_EmptyAddin = {0x6C1B3F2A, 0x9D4E, 0x4B7A, {0x8E, 0x15, 0x2F, 0x0C, 0x7A, 0x9D, 0x3B, 0x61}};
constexpr wchar_t kClsid[] = L"{6C1B3F2A-9D4E-4B7A-8E15-2F0C7A9D3B61}";
constexpr wchar_t kProgId[] = L"VRZSim.EmptyAddin";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\MS Project\\Addins\\VRZSim.EmptyAddin";

volatile LONG locks = 0;
HMODULE self = nullptr;

class EmptyAddin : public _IDTExtensibility2 {
public:
    EmptyAddin() { InterlockedIncrement(&locks); }
    virtual ~EmptyAddin() { InterlockedDecrement(&locks); }
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__IDTExtensibility2) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

private:
    ULONG references_ = 0;
};

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = (riid == IID_IUnknown || riid == IID_IClassFactory) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* addin = new (std::nothrow) EmptyAddin;
        if (!addin) return E_OUTOFMEMORY;
        addin->AddRef();
        HRESULT hr = addin->QueryInterface(riid, object);
        addin->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? InterlockedIncrement(&locks) : InterlockedDecrement(&locks);
        return S_OK;
    }
};
Factory factory;

LONG SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return clsid == CLSID_EmptyAddin ? factory.QueryInterface(riid, object) : CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return locks > 0 ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsid;
    DWORD three = 3;
    LONG status = SetString(HKEY_CLASSES_ROOT, clsidKey, nullptr, L"Empty add-in (simulator baseline)");
    if (!status) status = SetString(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, path);
    if (!status) status = SetString(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (!status) status = SetString(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr, kClsid);
    if (!status) status = RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAddinKey, L"LoadBehavior", REG_DWORD, &three, sizeof(three));
    return HRESULT_FROM_WIN32(status);
}

STDAPI DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsid).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsid).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAddinKey);
    return S_OK;
}
