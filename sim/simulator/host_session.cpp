#include "host_session.h"

#include <cstdio>

#include "sim_object.h"

namespace simulator {
namespace {

std::string Hr(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

HostSession::HostSession(Transcript& transcript, std::wstring printerOutput)
    : transcript_(transcript), printerOutput_(std::move(printerOutput)) {}

HostSession::~HostSession() { Stop(); }

void HostSession::Start() {
    if (Running()) return;
    app_ = sim::Make<sim::SimApplication>(printerOutput_);
    connectMs_.clear();
    // The process's first activation sets COM up; done here so that no add-in's time includes it.
    IUnknown* warmUp = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&warmUp))))
        warmUp->Release();
    LoadFrom(HKEY_LOCAL_MACHINE, L"HKLM");
    LoadFrom(HKEY_CURRENT_USER, L"HKCU");
    if (addins_.empty()) transcript_.Add("host", "no add-in is registered to load at start-up");
}

void HostSession::LoadFrom(HKEY root, const wchar_t* rootName) {
    HKEY key;
    if (RegOpenKeyExW(root, kAddinsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DWORD behaviour = 0, size = sizeof(behaviour);
        if (RegGetValueW(key, name, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &behaviour, &size) != ERROR_SUCCESS ||
            behaviour != 3)
            continue;
        std::string where = sim::Narrow(std::wstring(rootName) + L"\\" + kAddinsKey + L"\\" + name);
        double started = NowMs();
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(name, &clsid);
        if (FAILED(hr)) {
            transcript_.Add("error", "add-in " + where + ": its ProgID is not registered (CLSIDFromProgID " + Hr(hr) + ")");
            continue;
        }
        LoadedAddin addin{name, nullptr, 0, {}};
        wchar_t clsidText[40] = {};
        StringFromGUID2(clsid, clsidText, 40);
        wchar_t module[MAX_PATH] = {};
        DWORD moduleSize = sizeof(module);
        RegGetValueW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + clsidText + L"\\InprocServer32").c_str(), nullptr,
                     RRF_RT_REG_SZ, nullptr, module, &moduleSize);
        addin.modulePath = module;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__IDTExtensibility2,
                              reinterpret_cast<void**>(addin.object.GetAddressOf()));
        if (FAILED(hr)) {
            transcript_.Add("error", "add-in " + where + ": could not be created (CoCreateInstance " + Hr(hr) + ")");
            continue;
        }
        SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
        hr = addin.object->OnConnection(app_.Get(), ext_cm_Startup, nullptr, &custom);
        SafeArrayDestroy(custom);
        addin.loadToConnectedMs = NowMs() - started;
        connectMs_.emplace_back(name, addin.loadToConnectedMs);
        transcript_.Add(FAILED(hr) ? "error" : "host",
                        "add-in " + sim::Narrow(name) + " connected: OnConnection returned " + Hr(hr));
        addins_.push_back(std::move(addin));
    }
    RegCloseKey(key);
}

void HostSession::Stop() {
    if (!Running()) return;
    disconnectMs_.clear();
    stillLoaded_.clear();
    std::vector<std::wstring> modules;
    for (LoadedAddin& addin : addins_) {
        modules.push_back(addin.modulePath);
        SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
        double started = NowMs();
        HRESULT hr = addin.object->OnDisconnection(ext_dm_HostShutdown, &custom);
        disconnectMs_.emplace_back(addin.progId, NowMs() - started);
        SafeArrayDestroy(custom);
        transcript_.Add(FAILED(hr) ? "error" : "host",
                        "add-in " + sim::Narrow(addin.progId) + " disconnected: OnDisconnection returned " + Hr(hr));
        addin.object.Reset();
    }
    addins_.clear();
    app_.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    for (const std::wstring& module : modules) {
        bool loaded = !module.empty() && GetModuleHandleW(module.c_str()) != nullptr;
        if (loaded) stillLoaded_.push_back(module);
        transcript_.Add("host", sim::Narrow(module) + (loaded ? " is still loaded (DllCanUnloadNow: not yet)"
                                                               : " was unloaded"));
    }
}

std::vector<std::wstring> HostSession::LastProgIds() const {
    std::vector<std::wstring> ids;
    for (const auto& [name, ms] : connectMs_) ids.push_back(name);
    return ids;
}

double HostSession::ConnectMs(const std::wstring& progId) const {
    for (auto& [name, ms] : connectMs_)
        if (name == progId) return ms;
    return -1;
}

double HostSession::DisconnectMs(const std::wstring& progId) const {
    for (auto& [name, ms] : disconnectMs_)
        if (name == progId) return ms;
    return -1;
}

}  // namespace simulator
