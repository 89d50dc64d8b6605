// The late-bound calls into the host's Application and active project.
#include "addin_host.h"
#include "com/com_error.h"
#include "com/query.h"

using namespace vrz;
using test::AddinHost;

namespace {

// Connected far enough to hold HostApp, without building any user interface.
void HoldHost(AddinHost& host) {
    ASSERT_EQ(QueryAs(host.app.Get(), IID_HostApplication, host.Object().HostApp), S_OK);
    sim::Journal::Get().Clear();
}

}  // namespace

TEST(HostAutomation, QueryActiveDocumentClearsFlagOnlyForAnObject) {
    AddinHost host;
    HoldHost(host);
    int flag = 1;
    EXPECT_EQ(host.Object().QueryActiveDocument(flag), S_OK);
    EXPECT_EQ(flag, 1) << "no document: Nothing";
    host.OpenProject(L"Plan.mpp");
    EXPECT_EQ(host.Object().QueryActiveDocument(flag), S_OK);
    EXPECT_EQ(flag, 0);
    flag = 1;
    host.app->FailMember(L"ActiveWindowDocument", E_FAIL);
    EXPECT_EQ(host.Object().QueryActiveDocument(flag), E_FAIL);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(test::CountCalls("Application.ActiveWindowDocument get()"), 3u);
}

TEST(HostAutomation, HasActiveProjectContent) {
    struct Case {
        bool open;
        size_t tasks;
        LONG resources;
        int expected;
    } cases[] = {{false, 0, 0, 0}, {true, 0, 0, 0}, {true, 2, 0, 1}, {true, 0, 3, 1}, {true, 1, 1, 1}};
    for (const Case& c : cases) {
        AddinHost host;
        HoldHost(host);
        if (c.open)
            host.app->SetActiveProject(
                sim::Make<sim::SimProject>(L"P", std::vector<std::wstring>(c.tasks, L"t"), c.resources));
        EXPECT_EQ(host.Object().HasActiveProjectContent(), c.expected) << c.tasks << "/" << c.resources;
    }
}

TEST(HostAutomation, HasActiveProjectContentFailures) {
    AddinHost host;
    HoldHost(host);
    host.OpenProject(L"P");
    host.app->FailMember(L"ActiveProject", S_OK, true);
    EXPECT_EQ(host.Object().HasActiveProjectContent(), DISP_E_UNKNOWNNAME);
    host.app->ClearFailures();
    host.app->FailMember(L"ActiveProject", E_ACCESSDENIED);
    EXPECT_EQ(host.Object().HasActiveProjectContent(), E_ACCESSDENIED);
    host.app->ClearFailures();
    host.app->ActiveProject()->FailMember(L"Tasks", E_OUTOFMEMORY);
    EXPECT_EQ(host.Object().HasActiveProjectContent(), E_OUTOFMEMORY);
}

TEST(HostAutomation, ProjectWithoutItsInterfaceRaises) {
    AddinHost host;
    HoldHost(host);
    host.OpenProject(L"P");
    sim::Journal::Get().FailAt(2);  // [0] GetIDsOfNames, [1] ActiveProject get, [2] QueryInterface(project)
    std::wstring name;
    try {
        host.Object().GetActiveProjectName(name);
        FAIL() << "expected a COM error";
    } catch (const ComError& e) {
        EXPECT_EQ(e.Result(), E_POINTER);
        EXPECT_EQ(e.Interface(), IID_HostProject);
    }
}

TEST(HostAutomation, ActiveProjectNameAndVersion) {
    AddinHost host;
    HoldHost(host);
    host.OpenProject(L"Schedule.mpp");
    std::wstring name = L">";
    EXPECT_EQ(host.Object().GetActiveProjectName(name), S_OK);
    EXPECT_EQ(name, L">Schedule.mpp") << "appended";
    std::wstring version;
    EXPECT_EQ(host.Object().GetHostVersion(host.Object().HostApp, version), S_OK);
    EXPECT_EQ(version, L"11.0");
}

TEST(HostAutomation, CallsReleaseTheHandedOverReference) {
    AddinHost host;
    HoldHost(host);
    host.app->FailMember(L"Version", S_OK, true);
    host.app->FailMember(L"CommandBars", S_OK, true);
    host.app->FailMember(L"FilePrint", S_OK, true);
    ULONG before = host.app->RefCount();
    std::wstring version;
    ComPtr<CommandBars> bars;
    EXPECT_EQ(host.Object().GetHostVersion(host.Object().HostApp, version), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(host.Object().GetCommandBars(host.Object().HostApp, bars), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(host.Object().CallFilePrint(host.Object().HostApp), 0) << "FilePrint unknown is a failed print";
    EXPECT_EQ(host.app->RefCount(), before);
    EXPECT_EQ(host.Object().GetCommandBars(nullptr, bars), E_POINTER);
    EXPECT_EQ(bars.Get(), nullptr);
}

TEST(HostAutomation, CommandBarsWithoutObjectHandsOutNothing) {
    AddinHost host;
    HoldHost(host);
    host.app->FailMember(L"CommandBars", E_FAIL);
    ComPtr<CommandBars> bars;
    EXPECT_EQ(host.Object().GetCommandBars(host.Object().HostApp, bars), E_POINTER);
    EXPECT_EQ(bars.Get(), nullptr);
}

TEST(HostAutomation, FilePrintAndFilePrintSetup) {
    AddinHost host;
    HoldHost(host);
    host.OpenProject(L"P");
    EXPECT_EQ(host.Object().CallFilePrint(host.Object().HostApp), -1);
    EXPECT_EQ(test::CountCalls("Application.FilePrint call(i4:1)"), 1u);
    host.app->printSucceeds = false;
    EXPECT_EQ(host.Object().CallFilePrint(host.Object().HostApp), 0);
    host.app->FailMember(L"FilePrint", E_FAIL);
    EXPECT_EQ(host.Object().CallFilePrint(host.Object().HostApp), 0);
    EXPECT_EQ(host.Object().CallFilePrintSetup(L"VRZ Writer"), S_OK);
    EXPECT_EQ(host.app->selectedPrinter, L"VRZ Writer");
    EXPECT_EQ(test::CountCalls("Application.FilePrintSetup call(str:VRZ Writer)"), 1u);
}
