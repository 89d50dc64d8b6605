#include "delivery/completion_worker.h"

#include "com/unique_handle.h"
#include "delivery/mail_sender.h"
#include "platform/platform.h"
#include "publishing/publish_job.h"
#include "writer/writer_settings.h"

namespace vrz {
namespace {

// The file's size, 0 when it is absent.
ULONGLONG PolledFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    FindHandle search(FindFirstFileW(path.c_str(), &data));
    if (!search) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The printer has the file: the hand-over values go back to empty, unless another job owns them.
void ReleaseHandOver(const std::wstring& token) {
    if (ReadString(kWriterKey, kRootLocalMachine, kPublishAndEmailValue) != token) return;
    WriteString(kPublishAndEmailValue, L"");
    WriteString(kPublishPathNameValue, L"");
}

}  // namespace

void RunCompletionWorker(const CompletionJob& job, HMODULE resources) {
    Platform& platform = CurrentPlatform();
    unsigned failedPolls = 0;
    ULONGLONG previousSize = 0;
    while (PublishJob.jobBusy != 0) {
        platform.Sleep(kPollIntervalMs);
        ULONGLONG size = PolledFileSize(job.filePath);
        if (size != 0 && PublishJob.jobBusy != 0) {
            ReleaseHandOver(job.token);
            // A package that fails its check while it is still growing is looked at again at the
            // next poll; one whose size has settled is judged for good.
            if (SendPackageMail(job.filePath, job.baseName, resources, size == previousSize) == MailOutcome::Finished) {
                PublishJob.jobBusy = 0;
                break;
            }
        }
        previousSize = size;
        if (++failedPolls > kMaxFailedPolls) break;
    }
    DeleteFileW(job.filePath.c_str());
    RemoveDirectoryW(job.folder.c_str());
}

}  // namespace vrz
