#include "module/registration.h"

#include <oleauto.h>

#include <string>

#include "com/com_ptr.h"
#include "com/unique_handle.h"
#include "module/registrar.h"

// Exported by oleaut32 (Windows Vista on) but not declared by the MinGW headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDir);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

namespace vrz {
namespace {

constexpr wchar_t kAppId[] = L"{5E2A7C41-0B93-4F6D-8A1E-3C7D9B2F6A04}";

// The module's full path; a path that fills the whole buffer is refused as too long.
HRESULT ModulePath(HMODULE module, std::wstring& path) {
    wchar_t buffer[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);  // 0x8007007A
    path.assign(buffer, length);
    return S_OK;
}

HRESULT LoadScript(HMODULE module, UINT scriptId, std::wstring& script) {
    HRSRC resource = FindResourceExW(module, L"REGISTRY", MAKEINTRESOURCEW(scriptId),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    int bytes = static_cast<int>(SizeofResource(module, resource));
    int size = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    script.assign(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, bytes, script.data(), size);
    return S_OK;
}

// The module's embedded type library, or the ".tlb" beside the module.
HRESULT LoadModuleTypeLibrary(const std::wstring& modulePath, ComPtr<ITypeLib>& library) {
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) return hr;
    std::wstring tlb = modulePath;
    size_t dot = tlb.rfind(L'.');
    size_t slash = tlb.rfind(L'\\');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) tlb.erase(dot);
    return LoadTypeLibEx((tlb + L".tlb").c_str(), REGKIND_NONE, library.ReleaseAndGetAddressOf());
}

}  // namespace

HRESULT ApplyRegistryScript(HMODULE module, UINT scriptId, bool registering) {
    std::wstring path, script;
    HRESULT hr = ModulePath(module, path);
    if (FAILED(hr)) return hr;
    hr = LoadScript(module, scriptId, script);
    if (FAILED(hr)) return hr;
    Registrar registrar;
    registrar.AddReplacement(L"APPID", kAppId);
    registrar.AddReplacement(L"Module", QuoteForScript(path));
    registrar.AddReplacement(L"Module_Raw", path);
    return registering ? registrar.Register(script) : registrar.Unregister(script);
}

namespace {

// Registers with the type library either for the machine or for the current user.
HRESULT Register(HMODULE module, bool forUser) {
    ApplyRegistryScript(module, kAppIdScript, true);
    HRESULT hr = ApplyRegistryScript(module, kClassScript, true);
    if (FAILED(hr)) return hr;
    std::wstring path;
    hr = ModulePath(module, path);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeLib> library;
    hr = LoadModuleTypeLibrary(path, library);
    if (FAILED(hr)) return hr;
    std::wstring folder = path.substr(0, path.rfind(L'\\'));
    return forUser ? RegisterTypeLibForUser(library.Get(), path.data(), folder.data())
                   : RegisterTypeLib(library.Get(), path.data(), folder.data());
}

HRESULT Unregister(HMODULE module, bool forUser) {
    ApplyRegistryScript(module, kAppIdScript, false);
    if (SUCCEEDED(ApplyRegistryScript(module, kClassScript, false))) {
        std::wstring path;
        ComPtr<ITypeLib> library;
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(ModulePath(module, path)) && SUCCEEDED(LoadModuleTypeLibrary(path, library)) &&
            SUCCEEDED(library->GetLibAttr(&attributes))) {
            auto unregister = forUser ? UnRegisterTypeLibForUser : UnRegisterTypeLib;
            unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                       attributes->syskind);
            library->ReleaseTLibAttr(attributes);
        }
    }
    return S_OK;
}

}  // namespace

HRESULT RegisterServer(HMODULE module) { return Register(module, false); }

HRESULT UnregisterServer(HMODULE module) { return Unregister(module, false); }

HRESULT InstallServer(HMODULE module, bool install, const wchar_t* commandLine) {
    if (!commandLine || _wcsicmp(commandLine, L"user") != 0) return E_INVALIDARG;
    // The scripts name HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE; for one user they are pointed at
    // HKEY_CURRENT_USER\Software\Classes and HKEY_CURRENT_USER for the duration of the call.
    RegKey classes, user;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, classes.Put(),
                        nullptr) != ERROR_SUCCESS ||
        RegOpenCurrentUser(KEY_ALL_ACCESS, user.Put()) != ERROR_SUCCESS)
        return E_ACCESSDENIED;
    RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.Get());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, user.Get());
    HRESULT hr = install ? Register(module, true) : Unregister(module, true);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    return hr;
}

}  // namespace vrz
