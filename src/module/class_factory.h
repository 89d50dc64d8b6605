#pragma once
// The class table of the module: one class, ProjectAddinObj, with its lazily made class object.
#include <windows.h>

namespace vrz {

// DllGetClassObject's work.
HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept;
// Gives back the table's reference to the class object; later requests find no class.
void ShutDownClassTable() noexcept;

}  // namespace vrz
