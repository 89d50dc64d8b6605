#pragma once
// One run of the simulated host: loads the add-ins registered for it, as Microsoft Project does
// at start-up, connects them, and at the end disconnects and releases them.
#include <windows.h>

#include <string>
#include <vector>

#include "VRZProjectAddin_h.h"
#include "application.h"
#include "com/com_ptr.h"
#include "transcript.h"

namespace simulator {

inline constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\MS Project\\Addins";

struct LoadedAddin {
    std::wstring progId;
    vrz::ComPtr<_IDTExtensibility2> object;
    double loadToConnectedMs = 0;
    std::wstring modulePath;  // InprocServer32 of its class
};

class HostSession {
public:
    HostSession(Transcript& transcript, std::wstring printerOutput);
    ~HostSession();
    void Start();
    void Stop();
    bool Running() const { return app_.Get() != nullptr; }
    sim::SimApplication* App() const { return app_.Get(); }
    // Milliseconds from module load to the end of OnConnection, per ProgID, of the last start;
    // and of OnDisconnection, of the last stop.
    double ConnectMs(const std::wstring& progId) const;
    double DisconnectMs(const std::wstring& progId) const;
    // ProgIDs of the add-ins loaded at the last start.
    std::vector<std::wstring> LastProgIds() const;
    // Modules of the add-ins of the last stop that COM could not unload.
    const std::vector<std::wstring>& ModulesStillLoaded() const { return stillLoaded_; }

private:
    void LoadFrom(HKEY root, const wchar_t* rootName);
    Transcript& transcript_;
    std::wstring printerOutput_;
    sim::Ref<sim::SimApplication> app_;
    std::vector<LoadedAddin> addins_;
    std::vector<std::pair<std::wstring, double>> connectMs_, disconnectMs_;
    std::vector<std::wstring> stillLoaded_;
};

double NowMs();
// Writes a REG_SZ value, creating the key (the machine set-up the simulator makes).
void SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);

}  // namespace simulator
