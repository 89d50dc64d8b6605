#pragma once
// The writer's settings key, shared with the VRZ Writer: stateless routines that never report
// an error (a failed read yields the value's default, a failed write does nothing).
#include <windows.h>
#include <string>

namespace vrz {

inline constexpr wchar_t kWriterKey[] = L"Software\\Nimbrova\\VRZWriter\\3";
inline constexpr int kRootLocalMachine = 3;  // root selectors 1..4: HKCR, HKCU, HKLM, HKU

inline constexpr wchar_t kInstallDirValue[] = L"InstallDir";
inline constexpr wchar_t kVisibleValue[] = L"Visible";
inline constexpr wchar_t kProjectBarIndexValue[] = L"ProjectBarIndex";
inline constexpr wchar_t kPublishAndEmailValue[] = L"PublishAndEmail";
inline constexpr wchar_t kPublishPathNameValue[] = L"PublishPathName";

// A value of up to 129 characters, of any registry type; empty when the root selector is not
// 1..4, the key does not open for reading, or the value is missing or longer.
std::wstring ReadString(const wchar_t* keyPath, int rootSelector, const wchar_t* valueName);
// Stores a REG_SZ value of the writer key, creating the key when needed. False when the value
// could not be written; most callers have nothing to do about that and ignore it.
bool WriteString(const wchar_t* valueName, const std::wstring& text);
// Bit 0x10 of "Visible": hidden when the key is absent, shown when only the value is absent.
VARIANT_BOOL ReadToolbarVisible();
// Sets or clears bit 0x10 of "Visible" (clearing also drops bits 5..7), keeping the upper bytes.
void WriteToolbarVisible(VARIANT_BOOL visible);

// Splits "first,second" into two integers. Status 0 when both were read, else 1; first is
// always stored (0 without a comma), second only when text follows the comma.
int ParseIntPair(int& first, int& second, const std::wstring& text);
// The text in the ANSI code page, up to the first character the code page cannot represent.
// Leaves the process's C runtime locale alone.
std::string ToAnsi(const std::wstring& text);

}  // namespace vrz
