// The completion worker and the mail step, with a fake clock and mail library, against real
// files and the real registry.
#include <windows.h>
#include <mapi.h>

#include "addin/resource_library.h"
#include "delivery/completion_worker.h"
#include "delivery/mail_sender.h"
#include "publishing/publish_job.h"
#include "fake_mail.h"
#include "test_support.h"
#include "virtual_printer.h"
#include "writer/writer_settings.h"
#include "zip_writer.h"

using namespace vrz;

namespace {

using test::Mail;
using test::mails;
using test::mailResult;

const std::string kPackage = sim::BuildZip({{"manifest.xml", "<vrz/>"}, {"pages/page001.txt", "Task 1"}});

class Delivery : public ::testing::Test {
protected:
    void SetUp() override {
        mails.clear();
        mailResult = SUCCESS_SUCCESS;
        folder = test::ScratchFolder() + L"\\VRZ_Project";
        CreateDirectoryW(folder.c_str(), nullptr);
        job = {folder + L"\\Plan.vrz", L"{11111111-2222-3333-4444-555555555555}", folder, L"Plan"};
        resources = LoadResourceLibrary(test::ProgramFolder());
        ASSERT_NE(resources, nullptr);
        platform.mailExports = test::MailExports();
        mailOwnerWindow = reinterpret_cast<HWND>(0x4321);
        WriteString(kPublishAndEmailValue, job.token);
        WriteString(kPublishPathNameValue, job.filePath);
        PublishJob.jobBusy = 1;
    }
    void TearDown() override {
        PublishJob.jobBusy = 0;
        FreeLibrary(resources);
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const test::Message& m : platform.messages) texts.push_back(m.text + L" | " + m.caption);
        return texts;
    }
    std::wstring Res(unsigned id) const { return LoadResString(resources, id); }
    std::wstring Message(unsigned text, unsigned caption) const { return Res(text) + L" | " + Res(caption); }

    test::PrivateLocalMachine machine;
    test::FakePlatform platform;
    std::wstring folder;
    CompletionJob job;
    HMODULE resources = nullptr;
};

}  // namespace

TEST_F(Delivery, FileFoundIsMailedAndRemoved) {
    sim::WriteFileBytes(job.filePath, kPackage);
    RunCompletionWorker(job, resources);
    ASSERT_EQ(mails.size(), 1u);
    const Mail& mail = mails[0];
    EXPECT_EQ(mail.api, "W") << "the Unicode call when the library has it";
    EXPECT_EQ(mail.subject, "Plan");
    EXPECT_EQ(mail.path, sim::Narrow(job.filePath));
    EXPECT_EQ(mail.fileName, mail.path) << "the full path as file name too";
    EXPECT_EQ(mail.files, 1u);
    EXPECT_EQ(mail.recipients, 0u);
    EXPECT_EQ(mail.position, 0xFFFFFFFFu);
    EXPECT_EQ(mail.flags, 9u);
    EXPECT_EQ(mail.owner, 0x4321u);
    EXPECT_EQ(mail.note, "\n\n\n\n\n" + sim::Narrow(Res(601)) + "\n" + sim::Narrow(Res(603)) + "\n" + sim::Narrow(Res(602)));
    EXPECT_EQ(PublishJob.jobBusy, 0);
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishAndEmailValue), L"");
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishPathNameValue), L"");
    EXPECT_FALSE(test::FileExists(job.filePath));
    EXPECT_FALSE(test::FileExists(folder));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Delivery, AnsiMailClient) {
    platform.mailExports.erase("MAPISendMailW");
    sim::WriteFileBytes(job.filePath, kPackage);
    RunCompletionWorker(job, resources);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].api, "A");
    EXPECT_EQ(mails[0].note, "\n\n\n\n\n" + sim::Narrow(Res(601)) + "\n" + sim::Narrow(Res(603)) + "\n" + sim::Narrow(Res(602)));
    EXPECT_EQ(mails[0].path, sim::Narrow(job.filePath));
    EXPECT_EQ(mails[0].flags, 9u);
}

TEST_F(Delivery, EmptyBaseNameSendsNoSubject) {
    for (bool unicode : {true, false}) {
        if (!unicode) platform.mailExports.erase("MAPISendMailW");
        mails.clear();
        PublishJob.jobBusy = 1;
        job.baseName.clear();
        sim::WriteFileBytes(job.filePath, kPackage);
        CreateDirectoryW(folder.c_str(), nullptr);
        sim::WriteFileBytes(job.filePath, kPackage);
        RunCompletionWorker(job, resources);
        ASSERT_EQ(mails.size(), 1u);
        EXPECT_TRUE(mails[0].subjectNull) << "a null subject, not an empty one";
    }
}

TEST_F(Delivery, AnsiLimits) {
    platform.mailExports.erase("MAPISendMailW");
    // A subject that does not fit 259 bytes is cut between characters.
    job.baseName = std::wstring(300, L'x');
    sim::WriteFileBytes(job.filePath, kPackage);
    RunCompletionWorker(job, resources);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].subject, std::string(259, 'x'));
    // A path that does not fit is refused with message 505 rather than cut to another file's name.
    mails.clear();
    PublishJob.jobBusy = 1;
    std::wstring deep = folder;
    CreateDirectoryW(deep.c_str(), nullptr);
    job.filePath = L"\\\\?\\" + folder + L"\\" + std::wstring(240, L'p') + L".vrz";
    job.baseName = L"Plan";
    if (!sim::WriteFileBytes(job.filePath, kPackage)) GTEST_SKIP() << "long paths unavailable";
    RunCompletionWorker(job, resources);
    EXPECT_TRUE(mails.empty());
    ASSERT_EQ(Texts(), std::vector<std::wstring>{Message(505, 506)});
    EXPECT_EQ(platform.messages[0].owner, mailOwnerWindow.load());
}

TEST_F(Delivery, MailClientResults) {
    struct Case {
        ULONG result;
        bool message;
    } cases[] = {{SUCCESS_SUCCESS, false}, {MAPI_USER_ABORT, false}, {MAPI_E_FAILURE, true}, {MAPI_E_LOGIN_FAILURE, true}};
    for (const Case& c : cases) {
        platform.messages.clear();
        mailResult = c.result;
        PublishJob.jobBusy = 1;
        CreateDirectoryW(folder.c_str(), nullptr);
        sim::WriteFileBytes(job.filePath, kPackage);
        RunCompletionWorker(job, resources);
        ASSERT_EQ(platform.messages.size(), c.message ? 1u : 0u) << c.result;
        if (c.message) {
            EXPECT_EQ(Texts()[0], Message(505, 506));
            EXPECT_EQ(platform.messages[0].owner, mailOwnerWindow.load());
        }
        EXPECT_FALSE(test::FileExists(job.filePath)) << "removed whatever the mail client said";
    }
}

TEST_F(Delivery, NoMailClient) {
    for (int variant = 0; variant < 2; ++variant) {
        platform.mailExports.clear();
        if (variant == 1) platform.mailExports["OtherExport"] = test::MailExports()["MAPISendMail"];
        PublishJob.jobBusy = 1;
        CreateDirectoryW(folder.c_str(), nullptr);
        sim::WriteFileBytes(job.filePath, kPackage);
        RunCompletionWorker(job, resources);
        EXPECT_TRUE(platform.messages.empty());
        EXPECT_TRUE(mails.empty());
        EXPECT_FALSE(test::FileExists(job.filePath));
    }
}

TEST_F(Delivery, PackageWithoutStoredDataShows504WithoutLoadingMapi) {
    sim::WriteFileBytes(job.filePath, sim::BuildZip({{"manifest.xml", ""}, {"pages/", ""}}));
    RunCompletionWorker(job, resources);
    ASSERT_EQ(Texts(), std::vector<std::wstring>{Message(504, 501)});
    EXPECT_EQ(platform.messages[0].owner, nullptr);
    EXPECT_EQ(platform.mailLibraryLoads, 0);
    EXPECT_EQ(platform.sleeps.size(), 2u) << "judged once its size had settled";
    EXPECT_FALSE(test::FileExists(job.filePath));
}

TEST_F(Delivery, PackageStillBeingWrittenIsLookedAtAgain) {
    // The printer has written half the package at the first poll and finishes before the next.
    sim::WriteFileBytes(job.filePath, kPackage.substr(0, kPackage.size() / 2));
    platform.onSleep = [&](size_t count) {
        if (count == 2) sim::WriteFileBytes(job.filePath, kPackage);
    };
    RunCompletionWorker(job, resources);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(mails.size(), 1u);
}

TEST_F(Delivery, EmptyFileFirstThenFilled) {
    sim::WriteFileBytes(job.filePath, "");
    platform.onSleep = [&](size_t count) {
        if (count == 4) sim::WriteFileBytes(job.filePath, kPackage);
    };
    RunCompletionWorker(job, resources);
    EXPECT_EQ(mails.size(), 1u);
    EXPECT_EQ(platform.sleeps.size(), 4u);
}

TEST_F(Delivery, FileNeverWrittenGivesUpAfter5001Polls) {
    RunCompletionWorker(job, resources);
    EXPECT_EQ(platform.sleeps, std::vector<DWORD>(5001, 1000));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(mails.empty());
    EXPECT_EQ(PublishJob.jobBusy, 1) << "nothing clears it then";
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishAndEmailValue), job.token) << "the hand-over stays";
    EXPECT_FALSE(test::FileExists(folder));
}

TEST_F(Delivery, CalledOffWhileWaiting) {
    platform.onSleep = [&](size_t count) {
        if (count == 2) PublishJob.jobBusy = 0;
    };
    RunCompletionWorker(job, resources);
    EXPECT_EQ(platform.sleeps.size(), 2u) << "ends within one poll interval";
    EXPECT_TRUE(mails.empty());
    EXPECT_FALSE(test::FileExists(folder));
}

TEST_F(Delivery, NotBusyAtStartCleansUpAtOnce) {
    PublishJob.jobBusy = 0;
    sim::WriteFileBytes(job.filePath, kPackage);
    RunCompletionWorker(job, resources);
    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_TRUE(mails.empty());
    EXPECT_FALSE(test::FileExists(job.filePath));
}

TEST_F(Delivery, AnotherJobsTokenKeepsTheSettings) {
    WriteString(kPublishAndEmailValue, L"{99999999-2222-3333-4444-555555555555}");
    sim::WriteFileBytes(job.filePath, kPackage);
    RunCompletionWorker(job, resources);
    EXPECT_EQ(mails.size(), 1u);
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishAndEmailValue), L"{99999999-2222-3333-4444-555555555555}");
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishPathNameValue), job.filePath);
    EXPECT_FALSE(test::FileExists(job.filePath));
}

TEST_F(Delivery, FolderWithAnotherFileStays) {
    sim::WriteFileBytes(job.filePath, kPackage);
    sim::WriteFileBytes(folder + L"\\other.txt", "x");
    RunCompletionWorker(job, resources);
    EXPECT_FALSE(test::FileExists(job.filePath));
    EXPECT_TRUE(test::FileExists(folder + L"\\other.txt"));
}

TEST_F(Delivery, CalledOffBeforeTheMailStep) {
    PublishJob.jobBusy = 0;
    sim::WriteFileBytes(job.filePath, kPackage);
    EXPECT_EQ(SendPackageMail(job.filePath, job.baseName, resources, true), MailOutcome::Finished);
    EXPECT_TRUE(mails.empty());
    EXPECT_EQ(platform.mailLibraryLoads, 0);
    EXPECT_TRUE(platform.messages.empty());
}
