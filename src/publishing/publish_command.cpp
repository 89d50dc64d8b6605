// Publish: prints the active project to the writer's virtual printer; the e-mail variant also
// agrees an output path with the printer and starts the completion worker.
#include <objbase.h>

#include <memory>

#include "addin/project_addin_obj.h"
#include "addin/resource_ids.h"
#include "addin/resource_library.h"
#include "com/unique_handle.h"
#include "delivery/completion_worker.h"
#include "module/module_lock.h"
#include "platform/platform.h"
#include "publishing/publish_job.h"
#include "writer/printer_detection.h"
#include "writer/writer_settings.h"

namespace vrz {

PublishJobRecord PublishJob;
std::atomic<HWND> mailOwnerWindow{nullptr};

namespace {

constexpr DWORD kBusyWaitMs = 1000;
constexpr int kBusyWaitRounds = 10;

// The job folder: "Temp\VRZ_Project" beside the user's local application-data folder; empty when
// that folder is unknown (never a folder relative to the current drive).
std::wstring JobFolder() {
    std::wstring path;
    if (!CurrentPlatform().GetLocalAppDataFolder(path) || !IsAbsolutePath(path)) return {};
    size_t backslash = path.rfind(L'\\');
    if (backslash != std::wstring::npos) path.erase(backslash);
    return path + L"\\Temp\\VRZ_Project";
}

// Creates every missing folder of the path, without touching the process's current folder.
// True when the folder exists afterwards.
bool CreateFolders(const std::wstring& path) {
    for (size_t separator = path.find(L'\\', 3); ; separator = path.find(L'\\', separator + 1)) {
        std::wstring prefix = path.substr(0, separator);
        if (!prefix.empty()) CreateDirectoryW(prefix.c_str(), nullptr);
        if (separator == std::wstring::npos) break;
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The project's name without its extension: everything from the last dot on goes.
std::wstring BaseName(std::wstring name) {
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

std::wstring NewToken() {
    GUID guid{};
    wchar_t text[39] = {};
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, 39) == 0) return {};
    return text;
}

// Makes the default printer that the probe found the default again, however the command ends.
class DefaultPrinterRestore {
public:
    explicit DefaultPrinterRestore(const std::wstring& printer) : printer_(printer) {}
    ~DefaultPrinterRestore() {
        if (!printer_.empty()) CurrentPlatform().MakeDefaultPrinter(printer_);
    }

private:
    const std::wstring& printer_;
};

// What a running worker holds: its own resource library handle and a module lock.
struct WorkerHold {
    Library resources;
    ModuleLockGuard moduleLock;
};

}  // namespace

int ProjectAddinObj::Publish(bool withMail) {
    try {
        Platform& platform = CurrentPlatform();
        if (withMail) {
            for (int round = 0; round < kBusyWaitRounds && PublishJob.jobBusy == 1; ++round) platform.Sleep(kBusyWaitMs);
        }

        int noDocument = 1;
        try {
            QueryActiveDocument(noDocument);
        } catch (...) {
        }
        if (noDocument) return 0;

        if (HasActiveProjectContent() != 1) {
            ShowResMessage(ResourceLibrary, nullptr, res::NoProjectContent, res::MessageCaption);
            return 1;
        }

        try {
            if (CheckWriterPrinter() == 1) return 1;
        } catch (const NoUsableDefaultPrinter&) {
            ShowResMessage(ResourceLibrary, nullptr, res::NoDefaultPrinter, res::MessageCaption);
            return 1;
        }
        DefaultPrinterRestore restore(SavedDefaultPrinter);

        if (withMail) {
            // The name first: a host that cannot give it ends the command before any folder exists.
            std::wstring name;
            GetActiveProjectName(name);
            std::wstring baseName = BaseName(name);
            // Without its folder the printer can never write the file: that is said now too.
            std::wstring folder = JobFolder();
            if (!folder.empty() && !CreateFolders(folder)) folder.clear();
            std::wstring filePath = folder + L"\\" + baseName + L".vrz";
            std::wstring token = NewToken();

            if (!ReadString(kWriterKey, kRootLocalMachine, kPublishAndEmailValue).empty()) platform.Sleep(kBusyWaitMs);
            // Without the hand-over the printer never writes the file: say so now rather than wait.
            if (folder.empty() || token.empty() || !WriteString(kPublishAndEmailValue, token) ||
                !WriteString(kPublishPathNameValue, filePath)) {
                ShowResMessage(ResourceLibrary, nullptr, res::PublishFailed, res::MessageCaption);
                return 1;
            }
            PublishJob.jobFolder = folder;
            PublishJob.jobBaseName = baseName;
            PublishJob.jobFilePath = filePath;
            PublishJob.jobToken = token;

            auto hold = std::make_shared<WorkerHold>();
            hold->resources.Reset(LoadResourceLibrary(ReadString(kWriterKey, kRootLocalMachine, kInstallDirValue)));
            CompletionJob job{filePath, token, folder, baseName};
            PublishJob.jobBusy = 1;
            if (!platform.StartWorker([job, hold] { RunCompletionWorker(job, hold->resources.Get()); })) {
                PublishJob.jobBusy = 0;
                ShowResMessage(ResourceLibrary, nullptr, res::PublishFailed, res::MessageCaption);
                return 1;
            }
        }

        mailOwnerWindow = platform.ActiveWindow();
        if (CallFilePrint(HostApp) == 0 && withMail) {
            PublishJob.jobBusy = 0;  // the worker ends and cleans up
            ShowResMessage(ResourceLibrary, nullptr, res::PublishFailed, res::MessageCaption);
            return 1;
        }
        return 0;
    } catch (...) {
        // A host object that lacks an interface the command needs: end the command quietly.
        return 0;
    }
}

}  // namespace vrz
