// The module's entry points.
#include <windows.h>

#include "module/class_factory.h"
#include "module/module_lock.h"
#include "module/registration.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // At process exit (reserved set) other modules may be gone already: leave the class object.
    if (reason == DLL_PROCESS_DETACH && !reserved) vrz::ShutDownClassTable();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return vrz::GetClassObject(clsid, riid, object);
}

STDAPI DllCanUnloadNow() { return vrz::ModuleLockCount() > 0 ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return vrz::RegisterServer(vrz::ThisModule()); }

STDAPI DllUnregisterServer() { return vrz::UnregisterServer(vrz::ThisModule()); }

STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    return vrz::InstallServer(vrz::ThisModule(), install != FALSE, commandLine);
}
