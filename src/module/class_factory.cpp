#include "module/class_factory.h"

#include <new>

#include "VRZProjectAddin_h.h"
#include "addin/project_addin_obj.h"
#include "module/module_lock.h"

namespace vrz {
namespace {

// A critical section that lives as long as the module.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Lock {
public:
    explicit Lock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~Lock() { section_.Leave(); }

private:
    CriticalSection& section_;
};

// The class object. The class table holds the first reference; any reference beyond it holds
// the module, so a client that keeps the class object keeps the module loaded.
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        Lock lock(section_);
        LONG count = InterlockedIncrement(&references_);
        if (count == 2) LockModule();
        return count;
    }
    STDMETHODIMP_(ULONG) Release() override {
        LONG count;
        {
            Lock lock(section_);
            count = InterlockedDecrement(&references_);
            if (count == 1) UnlockModule();
        }
        if (count == 0) delete this;
        return count;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        return ProjectAddinObj::CreateInstance(outer, riid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) LockModule();
        else UnlockModule();
        return S_OK;
    }

private:
    CriticalSection section_;
    volatile LONG references_ = 0;
};

CriticalSection tableLock;
ClassFactory* classObject = nullptr;
bool tableShutDown = false;

}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_ProjectAddinObj) return CLASS_E_CLASSNOTAVAILABLE;
    ClassFactory* factory = nullptr;
    {
        Lock lock(tableLock);
        if (tableShutDown) return CLASS_E_CLASSNOTAVAILABLE;
        if (!classObject) {
            classObject = new (std::nothrow) ClassFactory;
            if (!classObject) return CLASS_E_CLASSNOTAVAILABLE;
            classObject->AddRef();  // the table's own reference
        }
        factory = classObject;
    }
    if (FAILED(factory->QueryInterface(riid, object))) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return S_OK;
}

void ShutDownClassTable() noexcept {
    ClassFactory* factory = nullptr;
    {
        Lock lock(tableLock);
        tableShutDown = true;
        factory = classObject;
        classObject = nullptr;
    }
    if (factory) factory->Release();
}

}  // namespace vrz
