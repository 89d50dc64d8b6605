#pragma once
// A simulated host with the add-in installed: writer settings in a private HKEY_LOCAL_MACHINE,
// the resource library in the test program's folder, a fake platform, and one add-in object.
#include "VRZProjectAddin_h.h"
#include "addin/project_addin_obj.h"
#include "com/com_ptr.h"
#include "test_support.h"
#include "writer/writer_settings.h"

namespace test {

class AddinHost {
public:
    AddinHost() : output(ScratchFolder()), app(sim::Make<sim::SimApplication>(output)) {
        SetMachineString(vrz::kWriterKey, vrz::kInstallDirValue, ProgramFolder());
        sim::Journal::Get().Clear();
        EXPECT_EQ(vrz::ProjectAddinObj::CreateInstance(nullptr, IID__IDTExtensibility2,
                                                       reinterpret_cast<void**>(addin.GetAddressOf())),
                  S_OK);
    }
    ~AddinHost() {
        addin.Reset();
        app.Reset();
    }
    vrz::ProjectAddinObj& Object() { return *static_cast<vrz::ProjectAddinObj*>(addin.Get()); }
    HRESULT Connect() { return addin->OnConnection(app.Get(), ext_cm_Startup, nullptr, nullptr); }
    HRESULT Disconnect() { return addin->OnDisconnection(ext_dm_HostShutdown, nullptr); }
    sim::SimCommandBars& Bars() { return *app->CommandBars(); }
    void OpenProject(const std::wstring& name, std::vector<std::wstring> tasks = {L"Design", L"Build"}) {
        app->SetActiveProject(sim::Make<sim::SimProject>(name, std::move(tasks)));
    }

    PrivateLocalMachine machine;
    FakePlatform platform;
    std::wstring output;
    sim::Ref<sim::SimApplication> app;
    vrz::ComPtr<_IDTExtensibility2> addin;
};

// Journal entries that contain `text`.
size_t CountCalls(const std::string& text);

}  // namespace test
