#pragma once
// Module-wide values of the add-in: the resource library handle for code that holds no add-in
// object, and the five shared user-interface texts loaded at connection.
#include <windows.h>
#include <string>

namespace vrz {

extern HMODULE ResourceInstance;
extern std::wstring PublishText;      // 205
extern std::wstring PublishMailText;  // 206
extern std::wstring MenuTitleText;    // 101
extern std::wstring ToolbarNameText;  // 211
extern std::wstring HelpText;         // 212

}  // namespace vrz
