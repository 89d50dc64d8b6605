#include "addin/addin_globals.h"

namespace vrz {

HMODULE ResourceInstance = nullptr;
std::wstring PublishText;
std::wstring PublishMailText;
std::wstring MenuTitleText;
std::wstring ToolbarNameText;
std::wstring HelpText;

}  // namespace vrz
