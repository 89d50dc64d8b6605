#include "delivery/mail_sender.h"

#include <mapi.h>

#include <optional>
#include <string>

#include "addin/resource_ids.h"
#include "addin/resource_library.h"
#include "delivery/mapi_unicode.h"
#include "delivery/package_directory.h"
#include "platform/platform.h"
#include "publishing/publish_job.h"

namespace vrz {
namespace {

constexpr size_t kAnsiLimit = 259;  // Simple MAPI texts are handed over in 260-byte buffers
constexpr FLAGS kSendFlags = MAPI_LOGON_UI | MAPI_DIALOG;

// The ANSI form of a text; characters the code page lacks become its default character.
std::string AnsiForm(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), result.data(),
                            size, nullptr, nullptr);
    return result;
}

// The longest ANSI form of a prefix of the text that fits the limit, cut between characters.
std::string AnsiFormCut(const std::wstring& text) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        size_t units = (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size()) ? 2 : 1;
        std::string piece = AnsiForm(text.substr(i, units));
        if (result.size() + piece.size() > kAnsiLimit) break;
        result += piece;
        i += units;
    }
    return result;
}

std::wstring NoteText(HMODULE resources) {
    return L"\n\n\n\n\n" + LoadResString(resources, res::NoteLine1) + L"\n" + LoadResString(resources, res::NoteLine2) +
           L"\n" + LoadResString(resources, res::NoteLine3);
}

std::string AnsiNoteText(HMODULE resources) {
    return "\n\n\n\n\n" + AnsiFormCut(LoadResString(resources, res::NoteLine1)) + "\n" +
           AnsiFormCut(LoadResString(resources, res::NoteLine2)) + "\n" +
           AnsiFormCut(LoadResString(resources, res::NoteLine3));
}

ULONG SendUnicode(MapiSendMailW send, const std::wstring& filePath, const std::wstring& baseName, HMODULE resources) {
    std::wstring path = filePath, subject = baseName, note = NoteText(resources);
    MapiFileDescW attachment{};
    attachment.nPosition = 0xFFFFFFFF;
    attachment.lpszPathName = path.data();
    attachment.lpszFileName = path.data();
    MapiMessageW message{};
    message.lpszSubject = subject.empty() ? nullptr : subject.data();
    message.lpszNoteText = note.data();
    message.nFileCount = 1;
    message.lpFiles = &attachment;
    return send(0, reinterpret_cast<ULONG_PTR>(mailOwnerWindow.load()), &message, kSendFlags, 0);
}

// Nothing when the path does not fit the ANSI buffer: a cut path would name another file.
std::optional<ULONG> SendAnsi(LPMAPISENDMAIL send, const std::wstring& filePath, const std::wstring& baseName,
                              HMODULE resources) {
    std::string path = AnsiForm(filePath);
    if (path.size() > kAnsiLimit) return std::nullopt;
    std::string subject = AnsiFormCut(baseName), note = AnsiNoteText(resources);
    MapiFileDesc attachment{};
    attachment.nPosition = 0xFFFFFFFF;
    attachment.lpszPathName = path.data();
    attachment.lpszFileName = path.data();
    MapiMessage message{};
    message.lpszSubject = subject.empty() ? nullptr : subject.data();
    message.lpszNoteText = note.data();
    message.nFileCount = 1;
    message.lpFiles = &attachment;
    return send(0, reinterpret_cast<ULONG_PTR>(mailOwnerWindow.load()), &message, kSendFlags, 0);
}

// A library export as the function type it has (GetProcAddress knows no types).
template <class Function>
Function ExportAs(MailLibrary& library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(library.Export(name)));
}

}  // namespace

MailOutcome SendPackageMail(const std::wstring& filePath, const std::wstring& baseName, HMODULE resources,
                            bool finalAttempt) {
    if (PublishJob.jobBusy == 0) return MailOutcome::Finished;  // called off
    Platform& platform = CurrentPlatform();
    if (!CheckPackageContent(filePath)) {
        if (!finalAttempt) return MailOutcome::PackageNotReady;
        ShowResMessage(resources, nullptr, res::PublishFailed, res::MessageCaption);
        return MailOutcome::Finished;
    }
    try {
        std::unique_ptr<MailLibrary> library = platform.LoadMailLibrary();
        if (!library) return MailOutcome::Finished;  // no mail client: nothing to say
        std::optional<ULONG> result;
        if (auto sendW = ExportAs<MapiSendMailW>(*library, "MAPISendMailW")) {
            result = SendUnicode(sendW, filePath, baseName, resources);
        } else if (auto send = ExportAs<LPMAPISENDMAIL>(*library, "MAPISendMail")) {
            result = SendAnsi(send, filePath, baseName, resources);
        } else {
            return MailOutcome::Finished;
        }
        if (!result || *result >= 2)  // 0 sent, 1 discarded by the user
            ShowResMessage(resources, mailOwnerWindow.load(), res::MailFailed, res::MailFailedCaption);
    } catch (...) {
        // The worker goes on with its clean-up.
    }
    return MailOutcome::Finished;
}

}  // namespace vrz
