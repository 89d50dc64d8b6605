#pragma once
// The resource library "VRZAddinsRes.dll" in the writer's installation folder.
#include <windows.h>
#include <string>

namespace vrz {

inline constexpr wchar_t kResourceLibraryName[] = L"\\VRZAddinsRes.dll";

// True for "X:\..." and "\\server\..." paths: the only folders the add-in loads files from.
bool IsAbsolutePath(const std::wstring& path);
// Maps the library from an absolute installation folder as resources only (none of its code
// runs); null when the folder is not absolute or the file does not load.
HMODULE LoadResourceLibrary(const std::wstring& installDir);
// Text of a string resource; empty when the library or the id is missing.
std::wstring LoadResString(HMODULE library, unsigned id);
// Shows message `textId` with caption `captionId`, both from the library, with MB_OK.
void ShowResMessage(HMODULE library, HWND owner, unsigned textId, unsigned captionId);

}  // namespace vrz
