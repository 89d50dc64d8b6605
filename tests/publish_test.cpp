// Publish in both variants, the writer printer probe, the completion worker and the mail step,
// with a fake clock, spooler, shell and mail library, against the real registry and files.
#include <windows.h>
#include <mapi.h>

#include "addin/resource_library.h"
#include "addin_host.h"
#include "fake_mail.h"
#include "delivery/completion_worker.h"
#include "delivery/mail_sender.h"
#include "publishing/publish_job.h"
#include "writer/printer_detection.h"
#include "zip_writer.h"

using namespace vrz;
using test::AddinHost;

namespace {

using test::mails;

const std::wstring kWriter = kWriterDriverName;

// A host whose machine has an office printer (the default) and the writer's printer, a local
// application-data folder in scratch space, and a mail client.
class PublishHost : public AddinHost {
public:
    PublishHost() {
        mails.clear();
        test::mailResult = SUCCESS_SUCCESS;
        PublishJob.jobBusy = 0;
        platform.defaultPrinter = L"Office";
        platform.printers = {{L"Office", L"Laser"}, {L"VRZ Writer", kWriter}};
        test::AddPrinter(L"Office", L"Laser");
        test::AddPrinter(L"VRZ Writer", kWriter);
        root = test::ScratchFolder();
        platform.localAppData = root + L"\\Users\\u\\AppData\\Local";
        jobFolder = root + L"\\Users\\u\\AppData\\Temp\\VRZ_Project";
        platform.mailExports = test::MailExports();
        platform.runWorkerInline = false;
        EXPECT_EQ(Connect(), S_OK);
        sim::Journal::Get().Clear();
    }
    ~PublishHost() { PublishJob.jobBusy = 0; }

    // Runs the workers Publish started, on this thread, with the fake clock.
    void RunWorkers() {
        auto workers = std::move(platform.pendingWorkers);
        for (auto& work : workers) work();
    }
    std::vector<unsigned> MessageIds() const {
        std::vector<unsigned> ids;
        for (const test::Message& m : platform.messages)
            for (unsigned id : {501u, 503u, 504u, 505u, 506u, 509u, 510u})
                if (m.text == LoadResString(Object().ResourceLibrary, id)) ids.push_back(id);
        return ids;
    }
    std::wstring Setting(const wchar_t* name) { return ReadString(kWriterKey, 3, name); }

    const vrz::ProjectAddinObj& Object() const { return *static_cast<vrz::ProjectAddinObj*>(addin.Get()); }
    using AddinHost::Object;

    std::wstring root, jobFolder;
};

}  // namespace

TEST(Publish, NoDocumentEndsSilently) {
    PublishHost host;
    for (bool withMail : {false, true}) {
        EXPECT_EQ(host.Object().Publish(withMail), 0);
        EXPECT_TRUE(host.platform.messages.empty());
        EXPECT_EQ(host.app->printCount, 0);
        EXPECT_TRUE(host.platform.pendingWorkers.empty());
    }
}

TEST(Publish, EmptyProjectShows509AndNeverTouchesThePrinter) {
    PublishHost host;
    host.OpenProject(L"Empty.mpp", {});
    for (bool withMail : {false, true}) {
        host.platform.messages.clear();
        EXPECT_EQ(host.Object().Publish(withMail), 1);
        EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{509});
        EXPECT_EQ(host.platform.messages[0].caption, L"VRZ Writer");
        EXPECT_EQ(host.platform.messages[0].owner, nullptr);
        EXPECT_EQ(host.platform.messages[0].style, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(test::CountCalls("FilePrint"), 0u);
    EXPECT_TRUE(host.platform.defaultPrinterSets.empty());
}

TEST(Publish, ProjectWithoutItsInterfaceEndsQuietly) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    // The active project does not answer the project interface: 5002 get, GetIDsOfNames,
    // ActiveProject get, then the project query fails.
    sim::Journal::Get().FailAt(3);
    EXPECT_EQ(host.Object().Publish(false), 0);
    EXPECT_TRUE(host.platform.messages.empty());
    EXPECT_EQ(host.app->printCount, 0);
}

TEST(Publish, PlainPublishPrintsToTheWriterAndRestoresTheDefault) {
    PublishHost host;
    host.OpenProject(L"Schedule.mpp");
    EXPECT_EQ(host.Object().Publish(false), 0);
    EXPECT_EQ(host.app->selectedPrinter, L"VRZ Writer");
    EXPECT_EQ(host.app->printCount, 1);
    EXPECT_EQ(host.platform.defaultPrinterSets, std::vector<std::wstring>{L"Office"});
    EXPECT_TRUE(host.platform.messages.empty());
    EXPECT_EQ(host.Setting(kPublishAndEmailValue), L"") << "no settings written";
    EXPECT_FALSE(test::FileExists(host.jobFolder)) << "no folder made";
    EXPECT_TRUE(host.platform.pendingWorkers.empty());
    EXPECT_EQ(mailOwnerWindow.load(), host.platform.activeWindow);
    EXPECT_TRUE(host.platform.sleeps.empty()) << "the plain publish never waits";
}

TEST(Publish, PrinterProbeRows) {
    struct Case {
        const char* situation;
        std::function<void(PublishHost&)> arrange;
        int result;
        std::vector<unsigned> messages;
        std::wstring selected;
        std::wstring saved;
    } cases[] = {
        {"writer is the default",
         [](PublishHost& h) {
             h.platform.defaultPrinter = L"VRZ Writer";
             h.platform.enumFails = true;  // not enumerated at all
             h.Object().SavedDefaultPrinter = L"Earlier";
         },
         0, {}, L"VRZ Writer", L""},
        {"first of two writer printers",
         [](PublishHost& h) {
             h.platform.printers = {{L"Office", L"Laser"}, {L"W1", kWriter}, {L"W2", kWriter}};
         },
         0, {}, L"W1", L"Office"},
        {"driver differs in case only",
         [](PublishHost& h) {
             h.platform.printers = {{L"Office", L"Laser"}, {L"W", L"nimbrova VRZ Writer for 2D Virtual Printer Driver"}};
         },
         1, {503}, L"", L"Office"},
        {"network default without a local key",
         [](PublishHost& h) { h.platform.defaultPrinter = L"\\\\server\\queue"; }, 0, {}, L"VRZ Writer",
         L"\\\\server\\queue"},
        {"no default printer", [](PublishHost& h) { h.platform.defaultPrinter.clear(); }, NoUsableDefaultPrinter::kCode,
         {}, L"", L""},
        {"default does not open", [](PublishHost& h) { h.platform.defaultPrinterOpens = false; },
         NoUsableDefaultPrinter::kCode, {}, L"", L""},
        {"enumeration fails", [](PublishHost& h) { h.platform.enumFails = true; }, 0, {}, L"", L"Office"},
        {"no writer printer", [](PublishHost& h) { h.platform.printers = {{L"Office", L"Laser"}}; }, 1, {503}, L"",
         L"Office"},
    };
    for (const Case& c : cases) {
        PublishHost host;
        c.arrange(host);
        int result;
        try {
            result = host.Object().CheckWriterPrinter();
        } catch (const NoUsableDefaultPrinter&) {
            result = NoUsableDefaultPrinter::kCode;
        }
        EXPECT_EQ(result, c.result) << c.situation;
        EXPECT_EQ(host.MessageIds(), c.messages) << c.situation;
        EXPECT_EQ(host.app->selectedPrinter, c.selected) << c.situation;
        EXPECT_EQ(host.Object().SavedDefaultPrinter, c.saved) << c.situation;
    }
}

TEST(Publish, PrinterProblemsEndThePublish) {
    struct Case {
        std::function<void(PublishHost&)> arrange;
        std::vector<unsigned> messages;
    } cases[] = {
        {[](PublishHost& h) { h.platform.defaultPrinter.clear(); }, {510}},
        {[](PublishHost& h) { h.platform.defaultPrinterOpens = false; }, {510}},
        {[](PublishHost& h) { h.platform.printers = {{L"Office", L"Laser"}}; }, {503}},
    };
    for (const Case& c : cases) {
        for (bool withMail : {false, true}) {
            PublishHost host;
            host.OpenProject(L"Plan.mpp");
            c.arrange(host);
            EXPECT_EQ(host.Object().Publish(withMail), 1);
            EXPECT_EQ(host.MessageIds(), c.messages);
            for (const test::Message& m : host.platform.messages) EXPECT_EQ(m.owner, nullptr);
            EXPECT_EQ(host.app->printCount, 0);
            EXPECT_TRUE(host.platform.pendingWorkers.empty());
        }
    }
}

TEST(Publish, RestoresOnlyThePrinterThisPublishFound) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    ASSERT_EQ(host.Object().Publish(false), 0);
    EXPECT_EQ(host.platform.defaultPrinterSets, std::vector<std::wstring>{L"Office"});
    host.platform.defaultPrinter = L"VRZ Writer";  // the user made the writer the default meanwhile
    host.platform.defaultPrinterSets.clear();
    ASSERT_EQ(host.Object().Publish(false), 0);
    EXPECT_TRUE(host.platform.defaultPrinterSets.empty()) << "no stale printer is made the default";
}

TEST(Publish, MailPublishWaitsTenSecondsForABusyJob) {
    PublishHost host;
    PublishJob.jobBusy = 1;
    EXPECT_EQ(host.Object().Publish(true), 0);  // no document: ends after the wait
    EXPECT_EQ(host.platform.sleeps, std::vector<DWORD>(10, 1000));
    host.platform.sleeps.clear();
    EXPECT_EQ(host.Object().Publish(false), 0);
    EXPECT_TRUE(host.platform.sleeps.empty());
    // A job that ends during the wait ends it.
    host.platform.onSleep = [](size_t count) {
        if (count == 3) PublishJob.jobBusy = 0;
    };
    PublishJob.jobBusy = 1;
    host.Object().Publish(true);
    EXPECT_EQ(host.platform.sleeps.size(), 3u);
}

TEST(Publish, MailPublishHandsTheJobOver) {
    PublishHost host;
    host.OpenProject(L"Schedule.mpp");
    wchar_t currentBefore[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, currentBefore);
    EXPECT_EQ(host.Object().Publish(true), 0);
    wchar_t currentAfter[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, currentAfter);
    EXPECT_STREQ(currentAfter, currentBefore) << "the host's current folder is left alone";

    std::wstring path = host.jobFolder + L"\\Schedule.vrz";
    EXPECT_EQ(PublishJob.jobFolder, host.jobFolder);
    EXPECT_EQ(PublishJob.jobFilePath, path);
    EXPECT_EQ(PublishJob.jobBaseName, L"Schedule");
    EXPECT_EQ(PublishJob.jobBusy, 1);
    std::wstring token = PublishJob.jobToken;
    ASSERT_EQ(token.size(), 38u);
    EXPECT_EQ(token.front(), L'{');
    EXPECT_EQ(token.back(), L'}');
    for (wchar_t ch : token) EXPECT_FALSE(ch >= L'a' && ch <= L'f') << "upper-case hexadecimal";
    EXPECT_EQ(host.Setting(kPublishAndEmailValue), token);
    EXPECT_EQ(host.Setting(kPublishPathNameValue), path);
    EXPECT_TRUE(test::FileExists(path)) << "the printer wrote the agreed path (missing parents created)";
    EXPECT_TRUE(host.platform.sleeps.empty()) << "no earlier token: no wait before the writes";
    EXPECT_EQ(host.platform.pendingWorkers.size(), 1u);

    host.RunWorkers();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(PublishJob.jobBusy, 0);
    EXPECT_EQ(host.Setting(kPublishAndEmailValue), L"");
    EXPECT_EQ(host.Setting(kPublishPathNameValue), L"");
    EXPECT_FALSE(test::FileExists(path));
    EXPECT_FALSE(test::FileExists(host.jobFolder));
    EXPECT_EQ(host.platform.sleeps, std::vector<DWORD>{1000}) << "one poll found the file";
}

TEST(Publish, EarlierTokenCostsOneSecond) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    test::SetMachineString(kWriterKey, kPublishAndEmailValue, L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(host.Object().Publish(true), 0);
    EXPECT_EQ(host.platform.sleeps, std::vector<DWORD>{1000});
}

TEST(Publish, BaseNames) {
    struct Case {
        const wchar_t* project;
        const wchar_t* file;
    } cases[] = {{L"Schedule.mpp", L"Schedule.vrz"}, {L"Plan.backup", L"Plan.vrz"}, {L"NoDot", L"NoDot.vrz"},
                 {L"a.b.c", L"a.b.vrz"}, {L"", L".vrz"}};
    for (const Case& c : cases) {
        PublishHost host;
        host.OpenProject(c.project);
        EXPECT_EQ(host.Object().Publish(true), 0);
        EXPECT_EQ(PublishJob.jobFilePath, host.jobFolder + L"\\" + c.file) << sim::Narrow(c.project);
    }
}

TEST(Publish, FailedPrintCallsTheMailJobOff) {
    for (bool unknownName : {false, true}) {
        PublishHost host;
        host.OpenProject(L"Plan.mpp");
        if (unknownName) host.app->FailMember(L"FilePrint", S_OK, true);
        else host.app->printSucceeds = false;
        EXPECT_EQ(host.Object().Publish(true), 1);
        EXPECT_EQ(PublishJob.jobBusy, 0);
        EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{504});
        EXPECT_EQ(host.platform.defaultPrinterSets, std::vector<std::wstring>{L"Office"}) << "then restored";
        host.RunWorkers();
        EXPECT_TRUE(mails.empty());
        EXPECT_TRUE(host.platform.sleeps.empty()) << "a called-off worker never polls";
        EXPECT_FALSE(test::FileExists(host.jobFolder));
        EXPECT_FALSE(host.Setting(kPublishAndEmailValue).empty()) << "the hand-over stays as written";
        // The plain variant says nothing about a failed print.
        host.platform.messages.clear();
        EXPECT_EQ(host.Object().Publish(false), 0);
        EXPECT_TRUE(host.platform.messages.empty());
    }
}

TEST(Publish, HandOverThatCannotBeWrittenIsReported) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    // The writer key as a non-elevated user sees it: readable, not writable.
    test::RestrictMachineKey(kWriterKey, KEY_READ | WRITE_DAC | READ_CONTROL | DELETE);
    if (WriteString(L"Probe", L"x")) GTEST_SKIP() << "this registry does not enforce key security";

    EXPECT_EQ(host.Object().Publish(true), 1);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{504});
    EXPECT_TRUE(host.platform.pendingWorkers.empty()) << "no worker waits for a file that never comes";
    EXPECT_EQ(PublishJob.jobBusy, 0);
    EXPECT_EQ(host.app->printCount, 0);
}

TEST(Publish, UnknownLocalAppDataFolderStartsNoJob) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    host.platform.localAppData.clear();
    EXPECT_EQ(host.Object().Publish(true), 1);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{504});
    EXPECT_TRUE(host.platform.pendingWorkers.empty());
}

TEST(Publish, JobFolderThatCannotBeMadeStartsNoJob) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    // A file where the "Temp" folder should be.
    CreateDirectoryW((host.root + L"\\Users").c_str(), nullptr);
    CreateDirectoryW((host.root + L"\\Users\\u").c_str(), nullptr);
    CreateDirectoryW((host.root + L"\\Users\\u\\AppData").c_str(), nullptr);
    sim::WriteFileBytes(host.root + L"\\Users\\u\\AppData\\Temp", "not a folder");
    EXPECT_EQ(host.Object().Publish(true), 1);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{504});
    EXPECT_TRUE(host.platform.pendingWorkers.empty());
    EXPECT_EQ(host.Setting(kPublishAndEmailValue), L"") << "nothing handed over";
}

TEST(Publish, WorkerThatCannotStartIsReported) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    host.platform.workerStarts = false;
    EXPECT_EQ(host.Object().Publish(true), 1);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{504});
    EXPECT_EQ(PublishJob.jobBusy, 0);
    EXPECT_EQ(host.app->printCount, 0);
}

TEST(Publish, WorkerOutlivesTheConnection) {
    PublishHost host;
    host.OpenProject(L"Plan.mpp");
    host.app->Printer().behaviour = sim::PrinterBehaviour::NoStoredData;
    ASSERT_EQ(host.Object().Publish(true), 0);
    ASSERT_EQ(host.platform.pendingWorkers.size(), 1u);
    // The host disconnects and releases the add-in while the worker waits.
    ASSERT_EQ(host.Disconnect(), S_OK);
    host.addin.Reset();
    host.RunWorkers();
    ASSERT_EQ(host.platform.messages.size(), 1u);
    EXPECT_EQ(host.platform.messages[0].text, L"The VRZ document could not be created.")
        << "the worker's own resource library still answers";
    EXPECT_FALSE(test::FileExists(host.jobFolder));
}
