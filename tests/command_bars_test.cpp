// The add-in's toolbar and menu in the host, their faces, their saved placement, and the click
// sinks through which the host's clicks reach the commands.
#include <olectl.h>

#include "addin/addin_globals.h"
#include "addin_host.h"
#include "publishing/publish_job.h"

using namespace vrz;
using test::AddinHost;

namespace {

constexpr char kToolbarTree[] =
    "bar \"VRZ Writer\" position=1 row=3 left=0 temporary\n"
    "  button caption=\"\" tag=\"Publish to VRZ\" tooltip=\"Publish to VRZ\" style=1 face mask\n"
    "  button caption=\"\" tag=\"Publish to VRZ and e-mail\" tooltip=\"Publish to VRZ and e-mail\" style=1 face mask\n";

constexpr char kMenuTree[] =
    "  popup caption=\"VRZ &Writer\" tag=\"VRZ &Writer\" description=\"VRZ &Writer\"\n"
    "    button caption=\"Publish to VRZ\" tag=\"Nimbrova VRZ Menu\" style=3 face mask\n"
    "    button caption=\"Publish to VRZ and e-mail\" tag=\"Nimbrova VRZ Menu Mail\" style=3 face mask\n"
    "    button caption=\"VRZ Writer &Help\" tag=\"Nimbrova VRZ Menu Help\" style=0\n";

sim::SimControl* MenuPopup(AddinHost& host) { return host.Bars().MenuBar()->FindByTag(MenuTitleText); }

// Calls recorded for one member, e.g. "CommandBars.Add call(".
std::vector<std::string> Calls(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& entry : sim::Journal::Get().Entries())
        if (entry.rfind(prefix, 0) == 0) found.push_back(entry);
    return found;
}

}  // namespace

TEST(CommandBars, ConnectionBuildsToolbarAndMenu) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK) << "the result of BuildMenu";
    sim::SimCommandBar* toolbar = host.Bars().Find(L"VRZ Writer");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->Describe(), kToolbarTree);
    EXPECT_EQ(host.Bars().MenuBar()->Controls()->Items().back()->Describe(1), kMenuTree) << "the popup comes last";
    EXPECT_EQ(Calls("CommandBars.Add call("),
              std::vector<std::string>{"CommandBars.Add call(str:VRZ Writer, i4:1, missing, i2:-1)"});
    EXPECT_EQ(Calls("CommandBarControls.Add call(").front(), "CommandBarControls.Add call(i4:1, missing, missing, missing, i2:-1)");
    EXPECT_EQ(test::CountCalls("CommandBarControls.Add call(i4:10, missing, missing, missing, i2:-1)"), 1u);
    EXPECT_EQ(test::CountCalls("CommandBar.FindControl call(missing, missing, str:VRZ &Writer, missing, missing)"), 1u);
    EXPECT_EQ(test::CountCalls("CommandBarPopup.Enabled put(bool:1)"), 1u) << "the popup is enabled with 1";
    EXPECT_EQ(test::CountCalls("CommandBarButton.Enabled put(bool:-1)"), 5u);
    // Without a "Visible" value the toolbar is shown.
    EXPECT_TRUE(toolbar->visible);
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(CommandBars, LeftoverPopupsAreDeletedOneAConnection) {
    AddinHost host;
    MenuTitleText = L"VRZ &Writer";
    for (int i = 0; i < 2; ++i) host.Bars().MenuBar()->Controls()->Add(msoControlPopup, true)->tag = MenuTitleText;
    auto popups = [&] {
        size_t count = 0;
        for (const auto& control : host.Bars().MenuBar()->Controls()->Items()) count += control->tag == MenuTitleText;
        return count;
    };
    ASSERT_EQ(host.Connect(), S_OK);
    EXPECT_EQ(popups(), 2u) << "one leftover deleted, the new popup added";
    EXPECT_EQ(test::CountCalls("CommandBarPopup.Delete call(missing)"), 1u);
    ASSERT_EQ(host.Disconnect(), S_OK);
    EXPECT_EQ(popups(), 1u) << "RemoveMenu deletes the first match: the other leftover";
    ASSERT_EQ(host.Connect(), S_OK);
    EXPECT_EQ(popups(), 1u);
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(CommandBars, LeftoverToolbarIsDeletedBeforeTheNewOne) {
    AddinHost host;
    host.Bars().AddBar(L"VRZ Writer", true);
    ASSERT_EQ(host.Connect(), S_OK);
    EXPECT_EQ(test::CountCalls("CommandBar.Delete call()"), 1u);
    EXPECT_EQ(host.Bars().Count(), 4u) << "menu bar, two host toolbars, one add-in toolbar";
    EXPECT_EQ(host.Bars().Find(L"VRZ Writer")->Controls()->Items().size(), 2u);
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(CommandBars, DisconnectionLeavesTheHostAsBeforeButThePlacement) {
    AddinHost host;
    std::string before = host.Bars().Describe();
    ASSERT_EQ(host.Connect(), S_OK);
    ASSERT_EQ(host.Disconnect(), S_OK);
    EXPECT_EQ(host.Bars().Describe(), before);
    EXPECT_EQ(ReadString(kWriterKey, 3, kProjectBarIndexValue), L"0,3");
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_TRUE);
}

TEST(CommandBars, PlacementSavedAndRestored) {
    struct Case {
        const wchar_t* stored;
        HRESULT result;
        LONG row, left;
    } cases[] = {
        {L"120,3", S_OK, 3, 120},   {L"120,-1", S_OK, 3, 0},  {L"-4,2", S_OK, 3, 0},  {L"120", S_FALSE, 3, 0},
        {L"120,", S_FALSE, 3, 0},   {L"120,4", S_OK, 3, 0},   {L"0,0", S_OK, 0, 0},   {L"7,x", S_OK, 0, 7},
    };
    for (const Case& c : cases) {
        AddinHost host;
        test::SetMachineString(kWriterKey, kProjectBarIndexValue, c.stored);
        // With the menu failing, the connection returns BuildToolbar's own result.
        host.Bars().MenuBar()->FailMember(L"FindControl", E_FAIL);
        EXPECT_EQ(host.Connect(), c.result) << sim::Narrow(c.stored);
        sim::SimCommandBar* toolbar = host.Bars().Find(L"VRZ Writer");
        ASSERT_NE(toolbar, nullptr);
        EXPECT_EQ(toolbar->rowIndex, c.row) << sim::Narrow(c.stored);
        EXPECT_EQ(toolbar->left, c.left) << sim::Narrow(c.stored);
        host.Disconnect();
    }
}

TEST(CommandBars, MovedAndHiddenToolbarComesBackSo) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK);
    sim::SimCommandBar* toolbar = host.Bars().Find(L"VRZ Writer");
    toolbar->rowIndex = 2;
    toolbar->left = 340;
    toolbar->visible = false;
    ASSERT_EQ(host.Disconnect(), S_OK);
    EXPECT_EQ(ReadString(kWriterKey, 3, kProjectBarIndexValue), L"340,2");
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_FALSE);
    host.Bars().MenuBar()->FailMember(L"FindControl", E_FAIL);
    EXPECT_EQ(host.Connect(), S_OK) << "BuildToolbar: two numbers restored";
    host.Bars().MenuBar()->ClearFailures();
    toolbar = host.Bars().Find(L"VRZ Writer");
    EXPECT_EQ(toolbar->rowIndex, 2);
    EXPECT_EQ(toolbar->left, 340);
    EXPECT_FALSE(toolbar->visible);
    EXPECT_NE(host.Object().Sink(0).Cookie(), ButtonClickSink::kNotConnected) << "hidden buttons still get sinks";
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(CommandBars, SaveToolbarStateGuardedSteps) {
    AddinHost host;
    // No HostApp: the failure of GetCommandBars, nothing stored.
    EXPECT_EQ(host.Object().SaveToolbarState(), E_POINTER);
    EXPECT_EQ(host.Object().RemoveMenu(), E_POINTER);
    ASSERT_EQ(host.Connect(), S_OK);
    sim::SimCommandBar* toolbar = host.Bars().Find(L"VRZ Writer");
    toolbar->FailMember(L"RowIndex", E_FAIL);
    toolbar->visible = false;
    EXPECT_EQ(host.Object().SaveToolbarState(), S_OK);
    EXPECT_EQ(ReadString(kWriterKey, 3, kProjectBarIndexValue), L"") << "placement read failed";
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_FALSE) << "visibility still saved";
    EXPECT_EQ(host.Bars().Find(L"VRZ Writer"), nullptr) << "and the toolbar deleted";
    // The user deleted the toolbar: nothing stored, S_OK.
    test::SetMachineDword(kWriterKey, kVisibleValue, 0x10);
    EXPECT_EQ(host.Object().SaveToolbarState(), S_OK);
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_TRUE);
    // The popup is gone too: RemoveMenu changes nothing and returns GetCommandBars' success.
    EXPECT_EQ(host.Object().RemoveMenu(), S_OK);
    EXPECT_EQ(host.Object().RemoveMenu(), S_OK);
    host.Disconnect();
}

TEST(CommandBars, RemoveMenuFailureSkipsToolbarSaving) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK);
    host.Bars().MenuBar()->FailMember(L"FindControl", E_FAIL);
    EXPECT_EQ(host.Disconnect(), S_OK);
    EXPECT_NE(host.Bars().Find(L"VRZ Writer"), nullptr) << "not saved, not deleted";
    for (size_t i = 0; i < vrz::ProjectAddinObj::kSinkCount; ++i)
        EXPECT_EQ(host.Object().Sink(i).Cookie(), ButtonClickSink::kNotConnected);
}

TEST(CommandBars, FacesAreHostCopiesAndTheAddinsBitmapsAreFreed) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK);
    std::vector<HBITMAP> assigned;
    for (sim::SimControl* button : host.Bars().AllButtons()) {
        assigned.insert(assigned.end(), button->assignedFaces.begin(), button->assignedFaces.end());
        if (button->tag == L"Nimbrova VRZ Menu Help") EXPECT_EQ(button->picture, nullptr) << "Help has no face";
    }
    ASSERT_EQ(assigned.size(), 8u) << "two faces for each of four buttons";
    for (HBITMAP bitmap : assigned) EXPECT_EQ(GetObjectType(bitmap), 0u) << "freed once its picture was released";
    for (sim::SimControl* button : host.Bars().AllButtons())
        if (button->picture) EXPECT_EQ(GetObjectType(button->picture), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(CommandBars, RefusedFaceEndsTheBuildWithoutLeakingBitmaps) {
    AddinHost host;
    // The host refuses the second toolbar button's Mask.
    sim::Journal::Get().FailNth("CommandBarButton.Mask put", 2);
    EXPECT_EQ(host.Connect(), S_OK) << "BuildToolbar raised: the success code of Version";
    EXPECT_EQ(test::CountCalls("ActiveMenuBar"), 0u) << "no menu";
    std::vector<HBITMAP> assigned;
    for (sim::SimControl* button : host.Bars().AllButtons())
        assigned.insert(assigned.end(), button->assignedFaces.begin(), button->assignedFaces.end());
    EXPECT_EQ(assigned.size(), 3u) << "picture and mask of the first button, picture of the second";
    for (HBITMAP bitmap : assigned) EXPECT_EQ(GetObjectType(bitmap), 0u) << "freed with its picture";
    EXPECT_NE(host.Object().ToolbarPublishMailButton.Get(), nullptr) << "the buttons made so far stay";
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(ClickSinks, ClicksReachTheirCommands) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK);
    host.OpenProject(L"Plan.mpp");
    // Without a default printer every publish shows message 510, which tells which ran.
    struct Case {
        const wchar_t* tag;
        size_t messages;
        size_t sleeps;
        size_t opened;
    } cases[] = {
        {L"Publish to VRZ", 1, 0, 0},
        {L"Nimbrova VRZ Menu", 1, 0, 0},
        {L"Publish to VRZ and e-mail", 1, 0, 0},
        {L"Nimbrova VRZ Menu Mail", 1, 0, 0},
        {L"Nimbrova VRZ Menu Help", 0, 0, 1},
    };
    for (const Case& c : cases) {
        host.platform.messages.clear();
        host.platform.openedDocuments.clear();
        sim::SimControl* control = nullptr;
        for (sim::SimControl* button : host.Bars().AllButtons())
            if (button->tag == c.tag) control = button;
        ASSERT_NE(control, nullptr);
        for (VARIANT_BOOL before : {VARIANT_FALSE, VARIANT_TRUE})
            EXPECT_EQ(control->Click(before), before) << "CancelDefault untouched";
        EXPECT_EQ(host.platform.messages.size(), 2 * c.messages) << sim::Narrow(c.tag);
        EXPECT_EQ(host.platform.openedDocuments.size(), 2 * c.opened) << sim::Narrow(c.tag);
    }
    EXPECT_EQ(host.platform.openedDocuments.back(), test::ProgramFolder() + L"\\VRZ_Writer_2D_Help.chm");
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(ClickSinks, InvokeRules) {
    AddinHost host;
    ASSERT_EQ(host.Connect(), S_OK);
    host.OpenProject(L"Plan.mpp");
    ComPtr<IDispatch> sink;
    ASSERT_EQ(const_cast<ButtonClickSink&>(host.Object().Sink(0)).QueryInterface(IID_CommandBarButtonEvents,
                                                                                  reinterpret_cast<void**>(sink.GetAddressOf())),
              S_OK);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[2];
    V_VT(&args[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&args[0]) = &cancel;
    V_VT(&args[1]) = VT_DISPATCH;
    V_DISPATCH(&args[1]) = nullptr;
    DISPPARAMS two{args, nullptr, 2, 0};
    DISPPARAMS one{args, nullptr, 1, 0};
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(sink->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &two, nullptr, nullptr, nullptr), S_OK);
    EXPECT_TRUE(host.platform.messages.empty()) << "another DISPID calls nothing";
    EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(host.platform.messages.empty()) << "a short argument list calls nothing";
    EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &two, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(host.platform.messages.size(), 1u);
    DISPID names[] = {1, 0};  // both arguments by name, in either order
    VARIANT named[2] = {args[0], args[1]};
    DISPPARAMS byName{named, names, 2, 2};
    EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &byName, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(host.platform.messages.size(), 2u);
    DISPID typeInfo = 0;
    LPOLESTR click = const_cast<LPOLESTR>(L"Click");
    EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, &click, 1, 0, &typeInfo), E_NOTIMPL);
    UINT count = 7;
    EXPECT_EQ(sink->GetTypeInfoCount(&count), E_NOTIMPL);
    sink.Reset();
    EXPECT_EQ(host.Disconnect(), S_OK);
}

TEST(ClickSinks, IdentityAndDisconnectOfNeverConnectedSink) {
    AddinHost host;
    ButtonClickSink& sink = const_cast<ButtonClickSink&>(host.Object().Sink(0));
    IUnknown* unknown = nullptr;
    ASSERT_EQ(sink.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IDispatch*>(&sink)) << "the sink itself, not the object";
    unknown->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(sink.QueryInterface(GUID_NULL, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(sink.Connect(nullptr), E_INVALIDARG);
    EXPECT_EQ(sink.Disconnect(nullptr), E_INVALIDARG);
    sim::Ref<sim::SimControls> controls = sim::Make<sim::SimControls>();
    sim::Ref<sim::SimControl> button = controls->Add(msoControlButton, true);
    sim::Journal::Get().Clear();
    EXPECT_EQ(sink.Disconnect(static_cast<IDispatch*>(button.Get())), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(test::CountCalls("CommandBarButton.Unadvise"), 1u) << "Unadvise called with the marker";
    EXPECT_EQ(sink.Cookie(), ButtonClickSink::kNotConnected);
    // A button without the event's connection point: the sink stays not connected.
    sim::Ref<sim::SimControl> popup = controls->Add(msoControlPopup, true);
    EXPECT_EQ(sink.Connect(static_cast<IDispatch*>(popup.Get())), E_NOINTERFACE);
    EXPECT_EQ(sink.Cookie(), ButtonClickSink::kNotConnected);
}

TEST(Help, OpensTheHelpFileOfTheInstallation) {
    struct Case {
        const wchar_t* installDir;  // null: no value
        const wchar_t* opened;      // null: nothing opened
    } cases[] = {
        {L"C:\\Program Files\\Writer", L"C:\\Program Files\\Writer\\VRZ_Writer_2D_Help.chm"},
        {L"C:\\Program Files\\Writer\\", L"C:\\Program Files\\Writer\\\\VRZ_Writer_2D_Help.chm"},
        {nullptr, nullptr},
        {L"", nullptr},
        {L"Writer", nullptr},
    };
    for (const Case& c : cases) {
        AddinHost host;
        if (c.installDir) test::SetMachineString(kWriterKey, kInstallDirValue, c.installDir);
        else RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kWriterKey, kInstallDirValue);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        host.Object().ShowHelp(nullptr, &cancel);
        EXPECT_EQ(cancel, VARIANT_FALSE);
        EXPECT_TRUE(host.platform.messages.empty());
        if (c.opened) {
            ASSERT_EQ(host.platform.openedDocuments.size(), 1u);
            EXPECT_EQ(host.platform.openedDocuments[0], c.opened);
        } else {
            EXPECT_TRUE(host.platform.openedDocuments.empty()) << "nothing at the root of the current drive";
        }
    }
}
