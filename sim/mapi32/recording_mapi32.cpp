// A stand-in mail library for end-to-end runs: exports MAPISendMail and MAPISendMailW, writes
// what it received to the file named by VRZ_MAPI_RECORD, and answers VRZ_MAPI_RESULT (0 when
// unset). With VRZ_MAPI_ABSENT set it refuses to load, like a machine without a mail client.
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <string>

#include "delivery/mapi_unicode.h"
#include "delivery/package_directory.h"

namespace {

std::string Environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) text += {digits[c >> 4], digits[c & 15]};
    return text;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring Wide(const char* text) {
    if (!text) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring result(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), size);
    return result;
}

// The attachment as the mail client sees it: its size and the entries of the package.
void DescribeAttachment(FILE* record, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        std::fprintf(record, "attachment_size=missing\n");
        return;
    }
    std::fprintf(record, "attachment_size=%lu\n", data.nFileSizeLow);
    auto package = vrz::PackageDirectory::Open(path);
    if (!package) return;
    vrz::PackageEntryInfo info;
    char name[260];
    for (int status = package->GoToFirstEntry(); status == vrz::kPackageOk; status = package->GoToNextEntry()) {
        if (package->GetCurrentEntryInfo(&info, name, sizeof(name)) == vrz::kPackageOk)
            std::fprintf(record, "entry=%s %u\n", name, info.uncompressedSize);
    }
}

ULONG Record(const char* api, ULONG_PTR uiParam, const std::string& subjectHex, bool subjectNull,
             const std::string& note, ULONG recipients, ULONG files, const std::wstring& path,
             const std::wstring& fileName, FLAGS flags) {
    std::string file = Environment("VRZ_MAPI_RECORD");
    if (!file.empty()) {
        if (FILE* record = std::fopen(file.c_str(), "ab")) {
            LARGE_INTEGER now, frequency;
            QueryPerformanceCounter(&now);
            QueryPerformanceFrequency(&frequency);
            std::fprintf(record, "api=%s\nowner=%llx\n", api, static_cast<unsigned long long>(uiParam));
            std::fprintf(record, "called_ms=%.1f\n", 1000.0 * now.QuadPart / frequency.QuadPart);
            std::fprintf(record, "subject=%s\n", subjectNull ? "(null)" : subjectHex.c_str());
            std::fprintf(record, "note=%s\nrecipients=%lu\nfiles=%lu\n", Hex(note).c_str(), recipients, files);
            std::fprintf(record, "path=%s\nfile_name=%s\nflags=%lu\n", Utf8(path).c_str(), Utf8(fileName).c_str(), flags);
            DescribeAttachment(record, path);
            std::fprintf(record, "end\n");
            std::fclose(record);
        }
    }
    std::string result = Environment("VRZ_MAPI_RESULT");
    return result.empty() ? SUCCESS_SUCCESS : std::strtoul(result.c_str(), nullptr, 10);
}

}  // namespace

extern "C" ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG) {
    if (!message) return MAPI_E_FAILURE;
    std::wstring path, name;
    if (message->nFileCount > 0 && message->lpFiles) {
        path = Wide(message->lpFiles[0].lpszPathName);
        name = Wide(message->lpFiles[0].lpszFileName);
    }
    std::string subject = message->lpszSubject ? Hex(message->lpszSubject) : "";
    return Record("MAPISendMail", uiParam, subject, !message->lpszSubject,
                  message->lpszNoteText ? message->lpszNoteText : "", message->nRecipCount, message->nFileCount, path,
                  name, flags);
}

extern "C" ULONG WINAPI MAPISendMailW(LHANDLE, ULONG_PTR uiParam, vrz::MapiMessageW* message, FLAGS flags, ULONG) {
    if (!message) return MAPI_E_FAILURE;
    std::wstring path, name;
    if (message->nFileCount > 0 && message->lpFiles) {
        path = message->lpFiles[0].lpszPathName ? message->lpFiles[0].lpszPathName : L"";
        name = message->lpFiles[0].lpszFileName ? message->lpFiles[0].lpszFileName : L"";
    }
    std::string subject = message->lpszSubject ? Hex(Utf8(message->lpszSubject)) : "";
    return Record("MAPISendMailW", uiParam, subject, !message->lpszSubject,
                  Utf8(message->lpszNoteText ? message->lpszNoteText : L""), message->nRecipCount,
                  message->nFileCount, path, name, flags);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return reason == DLL_PROCESS_ATTACH && !Environment("VRZ_MAPI_ABSENT").empty() ? FALSE : TRUE;
}
