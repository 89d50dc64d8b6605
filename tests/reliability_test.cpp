// Reliability: every call the add-in makes into the host fails in turn; nothing may crash, no
// exception may cross a COM boundary, and everything the add-in took must be given back.
// Also the completion worker racing the host's disconnection, and odd settings and host answers.
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <set>

#include "addin_host.h"
#include "fake_mail.h"
#include "module/module_lock.h"
#include "publishing/publish_job.h"
#include "virtual_printer.h"

using namespace vrz;

namespace {

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
        platform.mailExports = test::MailExports();
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

namespace {

// A connected add-in whose completion workers run on threads of their own.
class ThreadedHost : public test::AddinHost {
public:
    ThreadedHost() {
        PublishJob.jobBusy = 0;
        platform.realThreads = true;
        platform.defaultPrinter = L"VRZ Writer";
        test::AddPrinter(L"VRZ Writer", L"Nimbrova VRZ Writer for 2D Virtual Printer Driver");
        platform.localAppData = test::ScratchFolder() + L"\\AppData\\Local";
        platform.mailExports = test::MailExports();
        EXPECT_EQ(Connect(), S_OK);
        OpenProject(L"Plan.mpp");
    }
    std::wstring JobFolder() const {
        std::wstring local = platform.localAppData;
        return local.substr(0, local.rfind(L'\\')) + L"\\Temp\\VRZ_Project";
    }
};

}  // namespace

TEST(Concurrency, WorkerOutlivesDisconnectionAndRelease) {
    for (int round = 0; round < 20; ++round) {
        ThreadedHost host;
        host.app->Printer().behaviour = sim::PrinterBehaviour::Late;
        // The worker's first poll waits until the host has let the add-in go.
        HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        host.platform.onSleep = [&](size_t) { WaitForSingleObject(released, INFINITE); };
        ASSERT_EQ(host.Object().Publish(true), 0);
        EXPECT_GT(ModuleLockCount(), 0) << "the module may not unload under a running worker";
        ASSERT_EQ(host.Disconnect(), S_OK);
        host.addin.Reset();  // the host releases the add-in while the worker waits
        EXPECT_GT(ModuleLockCount(), 0);
        host.app->Printer().CompletePending();
        SetEvent(released);
        host.platform.JoinWorkers();
        CloseHandle(released);
        EXPECT_EQ(ModuleLockCount(), 0) << round;
        EXPECT_EQ(PublishJob.jobBusy, 0) << round;
        EXPECT_EQ(ReadString(kWriterKey, 3, kPublishAndEmailValue), L"") << round;
        EXPECT_EQ(ReadString(kWriterKey, 3, kPublishPathNameValue), L"") << round;
        EXPECT_FALSE(test::FileExists(host.JobFolder())) << round;
        EXPECT_TRUE(host.platform.messages.empty()) << round;
    }
}

TEST(Concurrency, TwoMailPublishesBackToBack) {
    for (int round = 0; round < 20; ++round) {
        ThreadedHost host;
        ASSERT_EQ(host.Object().Publish(true), 0);
        // The jobs share one folder: when the first worker removes it under the second publish,
        // the second says so (504) instead of waiting for a file that cannot be written.
        int second = host.Object().Publish(true);
        EXPECT_TRUE(second == 0 || (second == 1 && host.platform.messages.size() == 1)) << round;
        std::wstring lastToken = PublishJob.jobToken;
        host.platform.JoinWorkers();
        // One flag serves both jobs: the hand-over ends empty, or with the last job's token when
        // its worker gave up because the first one removed the shared file.
        std::wstring token = ReadString(kWriterKey, 3, kPublishAndEmailValue);
        EXPECT_TRUE(token.empty() || token == lastToken) << round;
        // When the first worker clears the shared flag between the second publish's start of its
        // worker and its print, the second worker ends before the file exists, and the file
        // printed after it stays until the next job: nothing else may be left.
        bool leftover = test::FileExists(host.JobFolder());
        EXPECT_TRUE(!leftover || test::FileExists(host.JobFolder() + L"\\Plan.vrz")) << round;
        EXPECT_EQ(ModuleLockCount(), 1) << "only the add-in object itself";
        EXPECT_EQ(host.Disconnect(), S_OK);
    }
}

TEST(BadInputs, VisibleOfOddSizes) {
    struct Case {
        std::vector<BYTE> data;
        VARIANT_BOOL read;
        DWORD afterHiding;
    } cases[] = {
        {{0x10}, VARIANT_TRUE, 0x00},
        {{0x1F, 0xAB}, VARIANT_TRUE, 0xAB0F},
        {{0x08, 0x01, 0x02, 0x03}, VARIANT_FALSE, 0x03020108},
        {{0x30, 1, 2, 3, 4, 5, 6, 7}, VARIANT_TRUE, 0x03020100},
    };
    for (const Case& c : cases) {
        test::PrivateLocalMachine machine;
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
        RegSetValueExW(key, kVisibleValue, 0, REG_BINARY, c.data.data(), static_cast<DWORD>(c.data.size()));
        RegCloseKey(key);
        EXPECT_EQ(ReadToolbarVisible(), c.read) << c.data.size();
        WriteToolbarVisible(VARIANT_FALSE);
        DWORD type = 0;
        std::vector<BYTE> stored;
        ASSERT_TRUE(test::GetMachineValue(kWriterKey, kVisibleValue, type, stored));
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        ASSERT_EQ(stored.size(), 4u);
        EXPECT_EQ(*reinterpret_cast<DWORD*>(stored.data()), c.afterHiding) << c.data.size();
    }
}

TEST(BadInputs, InstallDirOfOtherTypes) {
    struct Case {
        DWORD type;
        bool loads;
    } cases[] = {{REG_DWORD, false}, {REG_BINARY, false}, {REG_EXPAND_SZ, true}, {REG_MULTI_SZ, true}};
    for (const Case& c : cases) {
        test::AddinHost host;
        std::wstring folder = test::ProgramFolder();
        HKEY key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, KEY_ALL_ACCESS, &key), 0);
        if (c.type == REG_DWORD || c.type == REG_BINARY) {
            DWORD junk = 0x12345678;
            RegSetValueExW(key, kInstallDirValue, 0, c.type, reinterpret_cast<BYTE*>(&junk), sizeof(junk));
        } else {
            RegSetValueExW(key, kInstallDirValue, 0, c.type, reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
        EXPECT_EQ(host.Connect(), S_OK) << c.type;
        EXPECT_EQ(host.Object().ResourceLibrary != nullptr, c.loads) << c.type;
        EXPECT_EQ(host.Disconnect(), S_OK);
    }
}

TEST(BadInputs, ResourceLibraryWithoutFaces) {
    test::AddinHost host;
    test::SetMachineString(kWriterKey, kInstallDirValue, test::ProgramFolder() + L"\\nofaces");
    EXPECT_EQ(host.Connect(), S_OK);
    ASSERT_NE(host.Object().ResourceLibrary, nullptr);
    ASSERT_NE(host.Object().ToolbarPublishButton.Get(), nullptr) << "the commands are there, without faces";
    ASSERT_NE(host.Object().MenuPublishItem.Get(), nullptr);
    for (sim::SimControl* button : host.Bars().AllButtons()) EXPECT_EQ(button->picture, nullptr);
    EXPECT_EQ(test::CountCalls("CommandBarButton.Picture put(null)"), 4u) << "a face that cannot be made is null";
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(BadInputs, HostMembersAnsweringOddTypes) {
    using Handler = sim::SimObject::Handler;
    auto returns = [](VARTYPE type, LONG value) -> Handler {
        return [type, value](sim::Call& call) {
            if (call.result) {
                if (type == VT_BSTR) {
                    V_VT(call.result) = VT_BSTR;
                    V_BSTR(call.result) = SysAllocString(L"not what was asked");
                } else {
                    V_VT(call.result) = type;
                    V_I4(call.result) = value;
                }
            }
            return S_OK;
        };
    };
    struct Case {
        const char* what;
        DISPID id;
        const wchar_t* member;
        Handler handler;
        HRESULT connect;
        int publish;        // Publish(true)
        size_t messages;
    } cases[] = {
        {"Version as a number", 1, L"Version", returns(VT_I4, 11), S_OK, 0, 0},
        {"CommandBars as text", 2, L"CommandBars", returns(VT_BSTR, 0), E_POINTER, 0, 0},
        {"ActiveProject as a number", 3, L"ActiveProject", returns(VT_I4, 7), S_OK, 1, 1},
        {"FilePrint as text", 4, L"FilePrint", returns(VT_BSTR, 0), S_OK, 1, 1},
        {"document as a boolean", kDispidActiveDocument, L"ActiveWindowDocument", returns(VT_BOOL, 0), S_OK, 0, 0},
        {"document as empty", kDispidActiveDocument, L"ActiveWindowDocument", returns(VT_EMPTY, 0), S_OK, 0, 0},
    };
    for (const Case& c : cases) {
        test::AddinHost host;
        PublishJob.jobBusy = 0;
        host.platform.defaultPrinter = L"VRZ Writer";
        test::AddPrinter(L"VRZ Writer", L"Nimbrova VRZ Writer for 2D Virtual Printer Driver");
        host.platform.localAppData = test::ScratchFolder() + L"\\AppData\\Local";
        host.platform.runWorkerInline = false;
        host.OpenProject(L"Plan.mpp");
        host.app->Member(c.id, c.member, c.handler);
        EXPECT_EQ(host.Connect(), c.connect) << c.what;
        EXPECT_EQ(host.Object().Publish(true), c.publish) << c.what;
        EXPECT_EQ(host.platform.messages.size(), c.messages) << c.what;
        PublishJob.jobBusy = 0;
        host.platform.pendingWorkers.clear();
        host.Disconnect();
    }
}
