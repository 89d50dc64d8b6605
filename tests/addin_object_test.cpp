// The add-in object: its interfaces, its connection and disconnection sequences.
#include "addin/addin_globals.h"
#include "addin_host.h"
#include "publishing/publish_job.h"

using namespace vrz;
using test::AddinHost;

namespace {

IUnknown* Part(IUnknown* object, REFIID iid) {
    IUnknown* part = nullptr;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&part)))) return nullptr;
    part->Release();
    return part;
}

// A folder holding a "VRZAddinsRes.dll" without the strings the add-in needs.
std::wstring FolderWithStringlessLibrary() {
    std::wstring folder = test::ScratchFolder();
    CopyFileW((test::ProgramFolder() + L"\\unit_tests.exe").c_str(), (folder + L"\\VRZAddinsRes.dll").c_str(), FALSE);
    return folder;
}

}  // namespace

TEST(AddinObject, QueryInterfaceTable) {
    AddinHost host;
    IUnknown* object = host.addin.Get();
    IUnknown* addinPart = Part(object, IID_IProjectAddinObj);
    IUnknown* extensibilityPart = Part(object, IID__IDTExtensibility2);
    ASSERT_NE(addinPart, nullptr);
    ASSERT_NE(extensibilityPart, nullptr);
    EXPECT_NE(addinPart, extensibilityPart);
    EXPECT_EQ(Part(object, IID_IUnknown), addinPart);
    EXPECT_EQ(Part(object, IID_IDispatch), extensibilityPart);
    EXPECT_NE(Part(object, IID_ISupportErrorInfo), nullptr);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_CommandBarButtonEvents, &none), E_NOINTERFACE) << "sinks answer it, not the object";
}

TEST(AddinObject, ErrorInfoAndUnimplementedMethods) {
    AddinHost host;
    ComPtr<ISupportErrorInfo> errorInfo;
    ASSERT_EQ(host.addin.As(&errorInfo), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IProjectAddinObj), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID__IDTExtensibility2), S_FALSE);
    for (int connected = 0; connected < 2; ++connected) {
        EXPECT_EQ(host.addin->OnAddInsUpdate(nullptr), E_NOTIMPL);
        EXPECT_EQ(host.addin->OnStartupComplete(nullptr), E_NOTIMPL);
        EXPECT_EQ(host.addin->OnBeginShutdown(nullptr), E_NOTIMPL);
        if (!connected) ASSERT_EQ(host.Connect(), S_OK);
    }
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(AddinObject, DispatchServedFromTypeInformation) {
    AddinHost host;
    ComPtr<IProjectAddinObj> addinPart;
    ASSERT_EQ(host.addin.As(&addinPart), S_OK);
    UINT count = 0;
    EXPECT_EQ(addinPart->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(addinPart->GetTypeInfoCount(nullptr), E_POINTER);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(addinPart->GetTypeInfo(0, 0, info.GetAddressOf()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, IID_IProjectAddinObj);
    info->ReleaseTypeAttr(attributes);
    // The extensibility library is not registered in the test prefix: a clean failure.
    ComPtr<ITypeInfo> missing;
    EXPECT_TRUE(FAILED(host.addin->GetTypeInfo(0, 0, missing.GetAddressOf())));
    EXPECT_EQ(missing.Get(), nullptr);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"OnConnection");
    EXPECT_TRUE(FAILED(host.addin->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)));
}

TEST(AddinObject, ConnectionBuildsUserInterfaceAndResetsJobBusy) {
    AddinHost host;
    PublishJob.jobBusy = 1;
    EXPECT_EQ(host.Connect(), S_OK);
    EXPECT_EQ(PublishJob.jobBusy, 0);
    vrz::ProjectAddinObj& object = host.Object();
    EXPECT_NE(object.ResourceLibrary, nullptr);
    EXPECT_EQ(ResourceInstance, object.ResourceLibrary);
    EXPECT_NE(object.HostApp.Get(), nullptr);
    EXPECT_EQ(PublishText, L"Publish to VRZ");
    for (size_t i = 0; i < vrz::ProjectAddinObj::kSinkCount; ++i)
        EXPECT_NE(object.Sink(i).Cookie(), ButtonClickSink::kNotConnected) << i;
    EXPECT_NE(host.Bars().Find(ToolbarNameText), nullptr);
    EXPECT_EQ(host.Disconnect(), S_OK);
    for (size_t i = 0; i < vrz::ProjectAddinObj::kSinkCount; ++i)
        EXPECT_EQ(object.Sink(i).Cookie(), ButtonClickSink::kNotConnected) << i;
}

TEST(AddinObject, ConnectionFailureRows) {
    struct Case {
        const char* situation;
        std::function<void(AddinHost&)> arrange;
        bool nullApplication;
        HRESULT expected;
        bool libraryLoaded;
        bool hostAppSet;
    } cases[] = {
        {"no InstallDir", [](AddinHost& h) { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kWriterKey, kInstallDirValue); },
         false, S_OK, false, false},
        {"relative InstallDir", [](AddinHost&) { test::SetMachineString(kWriterKey, kInstallDirValue, L"bin"); }, false,
         S_OK, false, false},
        {"empty InstallDir", [](AddinHost&) { test::SetMachineString(kWriterKey, kInstallDirValue, L""); }, false, S_OK,
         false, false},
        {"library absent", [](AddinHost&) { test::SetMachineString(kWriterKey, kInstallDirValue, L"C:\\nowhere"); },
         false, S_OK, false, false},
        {"null Application", [](AddinHost&) {}, true, E_FAIL, true, false},
        {"no Version", [](AddinHost& h) { h.app->FailMember(L"Version", S_OK, true); }, false, S_FALSE, true, true},
        {"Version fails", [](AddinHost& h) { h.app->FailMember(L"Version", E_FAIL); }, false, S_FALSE, true, true},
        {"strings missing",
         [](AddinHost&) { test::SetMachineString(kWriterKey, kInstallDirValue, FolderWithStringlessLibrary()); }, false,
         S_OK, true, true},
    };
    for (const Case& c : cases) {
        AddinHost host;
        c.arrange(host);
        HRESULT hr = c.nullApplication ? host.addin->OnConnection(nullptr, ext_cm_Startup, nullptr, nullptr)
                                       : host.Connect();
        EXPECT_EQ(hr, c.expected) << c.situation;
        EXPECT_EQ(host.Object().ResourceLibrary != nullptr, c.libraryLoaded) << c.situation;
        EXPECT_EQ(host.Object().HostApp.Get() != nullptr, c.hostAppSet) << c.situation;
        EXPECT_EQ(test::CountCalls("CommandBars."), 0u) << c.situation << ": nothing is built";
        EXPECT_TRUE(host.platform.messages.empty()) << c.situation;
        size_t callsBefore = sim::Journal::Get().Count();
        EXPECT_EQ(host.Disconnect(), c.libraryLoaded && c.hostAppSet ? S_OK : (c.libraryLoaded ? E_POINTER : S_OK))
            << c.situation;
        if (!c.libraryLoaded) EXPECT_EQ(sim::Journal::Get().Count(), callsBefore) << c.situation << ": inert";
        EXPECT_EQ(host.Object().ResourceLibrary, nullptr) << c.situation;
    }
}

TEST(AddinObject, ReadOnlyWriterKeyStillLoadsTheAddin) {
    AddinHost host;
    // The writer key as a user without write access to HKEY_LOCAL_MACHINE sees it.
    test::RestrictMachineKey(kWriterKey, KEY_READ);
    ASSERT_FALSE(WriteString(L"Probe", L"x")) << "the key must refuse writes for this test";

    EXPECT_EQ(host.Connect(), S_OK);
    EXPECT_NE(host.Object().ResourceLibrary, nullptr) << "reads need read access only";
    EXPECT_NE(host.Bars().Find(L"VRZ Writer"), nullptr);
    EXPECT_EQ(host.Disconnect(), S_OK) << "the placement write fails silently";
}

TEST(AddinObject, InstallDirWithTrailingBackslashStillLoads) {
    AddinHost host;
    test::SetMachineString(kWriterKey, kInstallDirValue, test::ProgramFolder() + L"\\");
    EXPECT_EQ(host.Connect(), S_OK);
    EXPECT_NE(host.Object().ResourceLibrary, nullptr);
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(AddinObject, ErrorInBuildToolbarKeepsVersionResultAndSkipsMenu) {
    AddinHost host;
    host.Bars().FailMember(L"Add", E_ACCESSDENIED);
    EXPECT_EQ(host.Connect(), S_OK);  // Version's success code
    EXPECT_EQ(test::CountCalls("ActiveMenuBar"), 0u);
    EXPECT_EQ(host.Object().ToolbarPublishButton.Get(), nullptr);
    EXPECT_EQ(host.Object().Sink(0).Cookie(), ButtonClickSink::kNotConnected);
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(AddinObject, ErrorInBuildMenuReturnsToolbarResult) {
    AddinHost host;
    host.Bars().MenuBar()->FailMember(L"FindControl", E_FAIL);
    EXPECT_EQ(host.Connect(), S_FALSE);  // no saved placement
    EXPECT_EQ(host.Object().MenuPublishItem.Get(), nullptr);
    EXPECT_NE(host.Object().Sink(1).Cookie(), ButtonClickSink::kNotConnected) << "toolbar sinks still connected";
    EXPECT_EQ(host.Object().Sink(2).Cookie(), ButtonClickSink::kNotConnected);
    // RemoveMenu then raises too: disconnection returns S_OK and still disconnects the sinks.
    EXPECT_EQ(host.Disconnect(), S_OK);
    EXPECT_EQ(host.Object().Sink(1).Cookie(), ButtonClickSink::kNotConnected);
}

TEST(AddinObject, AggregationAndNoExceptionAcrossBoundary) {
    test::PrivateLocalMachine machine;
    IUnknown* fakeOuter = reinterpret_cast<IUnknown*>(0x1);
    void* none = nullptr;
    EXPECT_EQ(vrz::ProjectAddinObj::CreateInstance(fakeOuter, IID_IDispatch, &none), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(vrz::ProjectAddinObj::CreateInstance(nullptr, IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(vrz::ProjectAddinObj::CreateInstance(nullptr, IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}
