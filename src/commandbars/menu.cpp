// The add-in's menu on the host's menu bar: a popup with Publish, Publish and e-mail, and Help.
#include "addin/addin_globals.h"
#include "addin/project_addin_obj.h"
#include "commandbars/button_faces.h"
#include "commandbars/late_bound.h"

namespace vrz {
namespace {

constexpr wchar_t kPublishItemTag[] = L"Nimbrova VRZ Menu";
constexpr wchar_t kPublishMailItemTag[] = L"Nimbrova VRZ Menu Mail";
constexpr wchar_t kHelpItemTag[] = L"Nimbrova VRZ Menu Help";

// The first control directly on the menu bar tagged with the menu title, or null.
ComPtr<CommandBarControl> FindMenuPopup(const OfficeObject& menuBar) {
    Variant found = menuBar.Call(L"FindControl", {Variant::Missing(), Variant::Missing(), Variant::String(MenuTitleText),
                                                  Variant::Missing(), Variant::Missing()});
    return ResultAs<CommandBarControl>(found, IID_CommandBarControl);
}

ComPtr<CommandBarControl> AddControl(const OfficeObject& controls, LONG type) {
    Variant control = controls.Call(
        L"Add", {Variant::Int32(type), Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant::Int16(-1)});
    return RequireResultAs<CommandBarControl>(control, IID_CommandBarControl);
}

}  // namespace

HRESULT ProjectAddinObj::BuildMenu() {
    ComPtr<CommandBars> bars;
    HRESULT hr = GetCommandBars(HostApp, bars);
    if (FAILED(hr)) return hr;
    Variant menuBarResult;
    hr = OfficeObject(bars.Get(), IID_CommandBars).TryGet(L"ActiveMenuBar", menuBarResult);
    if (FAILED(hr)) return hr;
    ComPtr<CommandBar> menuBar = RequireResultAs<CommandBar>(menuBarResult, IID_CommandBar);
    OfficeObject menuBarCall(menuBar.Get(), IID_CommandBar);
    ComPtr<CommandBarControls> barControls =
        RequireResultAs<CommandBarControls>(menuBarCall.Get(L"Controls"), IID_CommandBarControls);

    // A popup left behind by an earlier run of the host; only the first match goes.
    if (ComPtr<CommandBarControl> leftover = FindMenuPopup(menuBarCall))
        OfficeObject(leftover.Get(), IID_CommandBarControl).Call(L"Delete", {Variant::Missing()});

    ComPtr<CommandBarControl> popup = AddControl(OfficeObject(barControls.Get(), IID_CommandBarControls), msoControlPopup);
    OfficeObject popupCall(popup.Get(), IID_CommandBarControl);
    popupCall.Put(L"Caption", Variant::String(MenuTitleText));
    popupCall.Put(L"Enabled", Variant::Bool(1));
    popupCall.Put(L"Visible", Variant::Bool(1));
    popupCall.Put(L"DescriptionText", Variant::String(MenuTitleText));
    popupCall.Put(L"Tag", Variant::String(MenuTitleText));

    ComPtr<CommandBarPopup> popupMenu = RequireResultAs<CommandBarPopup>(popupCall.Get(L"Control"), IID_CommandBarPopup);
    ComPtr<CommandBarControls> itemList = RequireResultAs<CommandBarControls>(
        OfficeObject(popupMenu.Get(), IID_CommandBarPopup).Get(L"Controls"), IID_CommandBarControls);
    OfficeObject items(itemList.Get(), IID_CommandBarControls);

    struct Item {
        const std::wstring& caption;
        const wchar_t* tag;
        ComPtr<CommandBarControl> control;
    };
    Item menuItems[] = {{PublishText, kPublishItemTag, nullptr},
                        {PublishMailText, kPublishMailItemTag, nullptr},
                        {HelpText, kHelpItemTag, nullptr}};
    for (Item& item : menuItems) item.control = AddControl(items, msoControlButton);
    for (Item& item : menuItems) {
        OfficeObject control(item.control.Get(), IID_CommandBarControl);
        control.Put(L"Caption", Variant::String(item.caption));
        control.Put(L"Enabled", Variant::Bool(VARIANT_TRUE));
        control.Put(L"Visible", Variant::Bool(VARIANT_TRUE));
        control.Put(L"Tag", Variant::String(item.tag));
    }
    MenuPublishItem = QueryOrThrow<CommandBarButton>(menuItems[0].control.Get(), IID_CommandBarButton);
    MenuPublishMailItem = QueryOrThrow<CommandBarButton>(menuItems[1].control.Get(), IID_CommandBarButton);
    MenuHelpItem = QueryOrThrow<CommandBarButton>(menuItems[2].control.Get(), IID_CommandBarButton);

    for (CommandBarButton* button : {MenuPublishItem.Get(), MenuPublishMailItem.Get()})
        OfficeObject(button, IID_CommandBarButton).Put(L"Style", Variant::Int32(msoButtonIconAndCaption));
    ButtonFaces faces(ResourceLibrary, LR_LOADMAP3DCOLORS);
    faces.ApplyPublish(MenuPublishItem.Get());
    faces.ApplyPublishMail(MenuPublishMailItem.Get());
    return hr;
}

HRESULT ProjectAddinObj::RemoveMenu() {
    ComPtr<CommandBars> bars;
    HRESULT hr = GetCommandBars(HostApp, bars);
    if (FAILED(hr)) return hr;
    ComPtr<CommandBar> menuBar =
        RequireResultAs<CommandBar>(OfficeObject(bars.Get(), IID_CommandBars).Get(L"ActiveMenuBar"), IID_CommandBar);
    if (ComPtr<CommandBarControl> popup = FindMenuPopup(OfficeObject(menuBar.Get(), IID_CommandBar))) {
        OfficeObject(popup.Get(), IID_CommandBarControl).Call(L"Delete", {Variant::Missing()});
        return S_OK;
    }
    return hr;
}

}  // namespace vrz
