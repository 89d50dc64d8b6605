// The DLL's entry points and class object, loaded from the built module itself.
#include "VRZProjectAddin_h.h"
#include "com/com_ptr.h"
#include "test_support.h"

using vrz::ComPtr;

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

class Module : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW((test::ProgramFolder() + L"\\VRZProjectAddin.dll").c_str());
        ASSERT_NE(module, nullptr);
        getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
        canUnload = reinterpret_cast<CanUnloadFn>(GetProcAddress(module, "DllCanUnloadNow"));
        ASSERT_NE(getClassObject, nullptr);
        ASSERT_NE(canUnload, nullptr);
        ASSERT_NE(GetProcAddress(module, "DllRegisterServer"), nullptr);
        ASSERT_NE(GetProcAddress(module, "DllUnregisterServer"), nullptr);
    }
    void TearDown() override { FreeLibrary(module); }

    ComPtr<IClassFactory> Factory() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(getClassObject(CLSID_ProjectAddinObj, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
        return factory;
    }

    HMODULE module = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    CanUnloadFn canUnload = nullptr;
};

// A controlling object that aggregates the add-in.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    ULONG references = 1;
    ComPtr<IUnknown> inner;
};

}  // namespace

TEST_F(Module, GetClassObjectRows) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(CLSID_ProjectAddinObj, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(CLSID_ProjectAddinObj, IID_IDispatch, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    ComPtr<IClassFactory> first = Factory(), second = Factory();
    EXPECT_EQ(first.Get(), second.Get()) << "one class object";
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(getClassObject(CLSID_ProjectAddinObj, IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())), S_OK);
}

TEST_F(Module, UnloadAnswerFollowsTheLocks) {
    EXPECT_EQ(canUnload(), S_OK) << "right after load";
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(canUnload(), S_FALSE) << "a client holds the class object";
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE) << "LockServer(TRUE) outstanding";
    factory = Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    ComPtr<_IDTExtensibility2> addin;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__IDTExtensibility2, reinterpret_cast<void**>(addin.GetAddressOf())), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE) << "an add-in object lives";
    addin.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(Module, CreateInstanceRows) {
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    void* object = reinterpret_cast<void*>(1);
    Outer outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_OK) << "no object survives a failed creation";
}

TEST_F(Module, AggregatedObjectDelegatesToTheOuter) {
    ComPtr<IClassFactory> factory = Factory();
    Outer outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(outer.inner.GetAddressOf())), S_OK);
    factory.Reset();
    ComPtr<_IDTExtensibility2> part;
    ASSERT_EQ(outer.QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(part.GetAddressOf())), S_OK);
    EXPECT_EQ(outer.references, 2u) << "the part's reference counts on the outer";
    IUnknown* identity = nullptr;
    ASSERT_EQ(part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    EXPECT_NE(outer.inner.Get(), static_cast<IUnknown*>(part.Get())) << "the inner IUnknown is its own";
    part.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    outer.inner.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}
