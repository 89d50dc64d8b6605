#pragma once
// The module lock count that decides when the module may be unloaded, and the module's handle.
#include <windows.h>

namespace vrz {

void LockModule() noexcept;
void UnlockModule() noexcept;
LONG ModuleLockCount() noexcept;

// Holds one module lock for its lifetime.
class ModuleLockGuard {
public:
    ModuleLockGuard() noexcept { LockModule(); }
    ~ModuleLockGuard() { UnlockModule(); }
    ModuleLockGuard(const ModuleLockGuard&) = delete;
    ModuleLockGuard& operator=(const ModuleLockGuard&) = delete;
};

// The module that holds this code (the DLL, or a test program linking the same code).
HMODULE ThisModule() noexcept;

}  // namespace vrz
