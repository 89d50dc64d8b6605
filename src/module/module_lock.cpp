#include "module/module_lock.h"

namespace vrz {
namespace {
volatile LONG lockCount = 0;
}

void LockModule() noexcept { InterlockedIncrement(&lockCount); }
void UnlockModule() noexcept { InterlockedDecrement(&lockCount); }
LONG ModuleLockCount() noexcept { return InterlockedCompareExchange(&lockCount, 0, 0); }

HMODULE ThisModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace vrz
