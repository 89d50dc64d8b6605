#include "addin/dispatch_part.h"

#include "module/module_lock.h"

namespace vrz {
namespace {

HRESULT LoadEmbeddedLibrary(ComPtr<ITypeLib>& library) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    return LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf());
}

}  // namespace

HRESULT TypeInfoSource::Get(ComPtr<ITypeInfo>& info) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!cached_) {
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(libid_, 1, 0, LOCALE_NEUTRAL, library.GetAddressOf());
        if (FAILED(hr) && embeddedFallback_) hr = LoadEmbeddedLibrary(library);
        if (FAILED(hr)) return hr;
        hr = library->GetTypeInfoOfGuid(iid_, cached_.GetAddressOf());
        if (FAILED(hr)) return hr;
    }
    info = cached_;
    return S_OK;
}

}  // namespace vrz
