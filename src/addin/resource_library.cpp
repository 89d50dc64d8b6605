#include "addin/resource_library.h"

#include <cwctype>

#include "platform/platform.h"

namespace vrz {

bool IsAbsolutePath(const std::wstring& path) {
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && separator(path[2])) return true;
    return path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}

HMODULE LoadResourceLibrary(const std::wstring& installDir) {
    if (!IsAbsolutePath(installDir)) return nullptr;
    std::wstring path = installDir + kResourceLibraryName;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}

std::wstring LoadResString(HMODULE library, unsigned id) {
    if (!library) return {};
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    int length = LoadStringW(library, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

void ShowResMessage(HMODULE library, HWND owner, unsigned textId, unsigned captionId) {
    CurrentPlatform().ShowMessage(owner, LoadResString(library, textId), LoadResString(library, captionId), MB_OK);
}

}  // namespace vrz
