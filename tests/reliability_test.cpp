// Reliability: every call the add-in makes into the host fails in turn; nothing may crash, no
// exception may cross a COM boundary, and everything the add-in took must be given back.
// Also the completion worker racing the host's disconnection, and odd settings and host answers.
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <set>

#include "addin_host.h"
#include "module/module_lock.h"
#include "publishing/publish_job.h"
#include "virtual_printer.h"

using namespace vrz;

namespace {

ULONG WINAPI AcceptMail(LHANDLE, ULONG_PTR, lpMapiMessage, FLAGS, ULONG) { return SUCCESS_SUCCESS; }

struct Outcome {
    HRESULT connect = S_OK, disconnect = S_OK;
    int publish = 0, publishMail = 0;
    std::vector<std::string> journal;
};

// A user's session: connect, publish, publish and e-mail (the worker runs to its end), Help,
// disconnect, release. `failAt` is the journal position of the host call that fails (-1: none).
// Checks that the add-in gave back everything it took.
Outcome RunSession(long failAt) {
    Outcome outcome;
    std::vector<HBITMAP> faces;
    std::wstring jobFolder;
    {
        test::PrivateLocalMachine machine;
        test::FakePlatform platform;
        platform.runWorkerInline = false;
        platform.defaultPrinter = L"Office";
        platform.printers = {{L"Office", L"Laser"}, {L"VRZ Writer", L"Nimbrova VRZ Writer for 2D Virtual Printer Driver"}};
        test::AddPrinter(L"Office", L"Laser");
        test::AddPrinter(L"VRZ Writer", L"Nimbrova VRZ Writer for 2D Virtual Printer Driver");
        std::wstring root = test::ScratchFolder();
        platform.localAppData = root + L"\\AppData\\Local";
        jobFolder = root + L"\\AppData\\Temp\\VRZ_Project";
        platform.mailExports["MAPISendMail"] = reinterpret_cast<FARPROC>(&AcceptMail);
        test::SetMachineString(kWriterKey, kInstallDirValue, test::ProgramFolder());
        PublishJob.jobBusy = 0;

        auto app = sim::Make<sim::SimApplication>(test::ScratchFolder());
        app->SetActiveProject(sim::Make<sim::SimProject>(L"Plan.mpp", std::vector<std::wstring>{L"Design"}));
        ComPtr<_IDTExtensibility2> addin;
        EXPECT_EQ(vrz::ProjectAddinObj::CreateInstance(nullptr, IID__IDTExtensibility2, reinterpret_cast<void**>(addin.GetAddressOf())), S_OK);
        auto& object = *static_cast<vrz::ProjectAddinObj*>(addin.Get());

        sim::Journal::Get().Clear();
        sim::Journal::Get().FailAt(failAt);
        outcome.connect = addin->OnConnection(app.Get(), ext_cm_Startup, nullptr, nullptr);
        auto click = [&](const wchar_t* tag) {
            for (sim::SimControl* button : app->CommandBars()->AllButtons())
                if (button->tag == tag) return button->Click(VARIANT_FALSE) == VARIANT_FALSE;
            return true;
        };
        outcome.publish = object.Publish(false);
        outcome.publishMail = object.Publish(true);
        for (auto& work : platform.pendingWorkers) work();
        EXPECT_TRUE(click(L"Nimbrova VRZ Menu Help")) << "CancelDefault stays";
        outcome.disconnect = addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
        for (sim::SimControl* button : app->CommandBars()->AllButtons())
            faces.insert(faces.end(), button->assignedFaces.begin(), button->assignedFaces.end());
        outcome.journal = sim::Journal::Get().Entries();
        addin.Reset();
        app.Reset();
        PublishJob.jobBusy = 0;
    }
    EXPECT_EQ(sim::SimObject::LiveObjects(), 0) << "every host object the add-in took was given back";
    EXPECT_EQ(ModuleLockCount(), 0) << "the module could unload";
    for (HBITMAP face : faces) EXPECT_EQ(GetObjectType(face), 0u) << "face bitmap freed";
    EXPECT_FALSE(test::FileExists(jobFolder)) << "the job folder is removed";
    return outcome;
}

void ExpectSoundResults(const Outcome& outcome, long position) {
    static const std::set<HRESULT> allowed = {S_OK, S_FALSE, E_FAIL, E_POINTER, E_NOINTERFACE, DISP_E_UNKNOWNNAME};
    const std::string failed = position >= 0 && position < static_cast<long>(outcome.journal.size())
                                   ? outcome.journal[position]
                                   : "nothing";
    EXPECT_TRUE(allowed.count(outcome.connect)) << std::hex << outcome.connect << " when failing " << failed;
    EXPECT_TRUE(allowed.count(outcome.disconnect)) << std::hex << outcome.disconnect << " when failing " << failed;
    EXPECT_TRUE(outcome.publish == 0 || outcome.publish == 1) << failed;
    EXPECT_TRUE(outcome.publishMail == 0 || outcome.publishMail == 1) << failed;
}

}  // namespace

TEST(Reliability, EveryHostCallFailsInTurn) {
    Outcome clean = RunSession(-1);  // also fills the member cache, so positions stay put
    clean = RunSession(-1);
    ASSERT_EQ(clean.connect, S_OK);
    ASSERT_EQ(clean.publish, 0);
    ASSERT_EQ(clean.publishMail, 0);
    const long positions = static_cast<long>(clean.journal.size());
    for (long position = 0; position < positions; ++position) {
        Outcome outcome = RunSession(position);
        ExpectSoundResults(outcome, position);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "stopped at position " << position << ": " << clean.journal[position];
            break;
        }
    }
    std::printf("fault sweep: %ld call positions tried, each in its own session\n", positions);
}

// The first session of a process resolves the command bar members by name; each of those lookups
// fails in a process of its own.
TEST(Reliability, EveryFirstLookupFailsInTurn) {
    wchar_t position[16];
    if (GetEnvironmentVariableW(L"VRZ_SWEEP_POSITION", position, 16)) {  // the child
        ExpectSoundResults(RunSession(_wtol(position)), _wtol(position));
        return;
    }
    Outcome cold = RunSession(-1);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    int tried = 0;
    for (size_t i = 0; i < cold.journal.size(); ++i) {
        if (cold.journal[i].find(".GetIDsOfNames(") == std::string::npos || cold.journal[i].rfind("CommandBar", 0) != 0)
            continue;
        SetEnvironmentVariableW(L"VRZ_SWEEP_POSITION", std::to_wstring(i).c_str());
        std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=Reliability.EveryFirstLookupFailsInTurn";
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        WaitForSingleObject(process.hProcess, 60000);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(exitCode, 0u) << "failing " << cold.journal[i];
        ++tried;
    }
    SetEnvironmentVariableW(L"VRZ_SWEEP_POSITION", nullptr);
    EXPECT_GT(tried, 10);
    std::printf("first-lookup sweep: %d command bar lookups failed in turn, each in its own process\n", tried);
}
