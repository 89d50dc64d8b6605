#pragma once
// Self-registration: the AppID, the class with its ProgIDs, the type library, and the host's
// add-in key, from the registry scripts embedded in the module.
#include <windows.h>

namespace vrz {

inline constexpr UINT kAppIdScript = 4000;
inline constexpr UINT kClassScript = 4001;  // script 4002, for another class, is carried but never applied

// Applies one embedded script (register or unregister) of `module`.
HRESULT ApplyRegistryScript(HMODULE module, UINT scriptId, bool registering);
HRESULT RegisterServer(HMODULE module);
HRESULT UnregisterServer(HMODULE module);
// DllInstall: with the command line "user", registers (or removes) the class, its ProgIDs, the
// type library and the host's add-in key for the current user only.
HRESULT InstallServer(HMODULE module, bool install, const wchar_t* commandLine);

}  // namespace vrz
