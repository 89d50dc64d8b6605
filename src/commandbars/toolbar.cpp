// The add-in's toolbar: two icon buttons, Publish and Publish and e-mail.
#include "addin/addin_globals.h"
#include "addin/project_addin_obj.h"
#include "addin/resource_ids.h"
#include "commandbars/button_faces.h"
#include "commandbars/command_bar_lookup.h"
#include "commandbars/late_bound.h"
#include "writer/writer_settings.h"

namespace vrz {
namespace {

ComPtr<CommandBarButton> AddToolbarButton(const OfficeObject& controls) {
    Variant control = controls.Call(L"Add", {Variant::Int32(msoControlButton), Variant::Missing(), Variant::Missing(),
                                             Variant::Missing(), Variant::Int16(-1)});
    return RequireResultAs<CommandBarButton>(control, IID_CommandBarButton);
}

void ShowCommand(CommandBarButton* button, const std::wstring& text) {
    OfficeObject control(button, IID_CommandBarControl);
    control.Put(L"Visible", Variant::Bool(VARIANT_TRUE));
    control.Put(L"Enabled", Variant::Bool(VARIANT_TRUE));
    control.Put(L"TooltipText", Variant::String(text));
    control.Put(L"Tag", Variant::String(text));
}

}  // namespace

HRESULT ProjectAddinObj::BuildToolbar(IDispatch* application) {
    QueryAs(application, IID_HostApplication, HostApp);
    ComPtr<CommandBars> bars;
    HRESULT hr = GetCommandBars(HostApp, bars);
    if (FAILED(hr)) return hr;
    OfficeObject barsCall(bars.Get(), IID_CommandBars);

    // A bar of the same name left behind by an earlier run of the host.
    if (ComPtr<CommandBar> leftover = FindCommandBar(bars.Get(), ToolbarNameText))
        OfficeObject(leftover.Get(), IID_CommandBar).Call(L"Delete");

    ComPtr<CommandBar> toolbar = RequireResultAs<CommandBar>(
        barsCall.Call(L"Add", {Variant::String(ToolbarNameText), Variant::Int32(msoBarTop), Variant::Missing(),
                               Variant::Int16(-1)}),
        IID_CommandBar);
    OfficeObject toolbarCall(toolbar.Get(), IID_CommandBar);
    int placementStatus = RestoreToolbarPlacement(bars.Get(), toolbar.Get());

    ComPtr<CommandBarControls> controlList =
        RequireResultAs<CommandBarControls>(toolbarCall.Get(L"Controls"), IID_CommandBarControls);
    OfficeObject controls(controlList.Get(), IID_CommandBarControls);
    ToolbarPublishButton = AddToolbarButton(controls);
    ToolbarPublishMailButton = AddToolbarButton(controls);

    for (CommandBarButton* button : {ToolbarPublishButton.Get(), ToolbarPublishMailButton.Get()})
        OfficeObject(button, IID_CommandBarButton).Put(L"Style", Variant::Int32(msoButtonIcon));

    ButtonFaces faces(ResourceLibrary, LR_DEFAULTCOLOR);
    faces.ApplyPublish(ToolbarPublishButton.Get());
    faces.ApplyPublishMail(ToolbarPublishMailButton.Get());

    ShowCommand(ToolbarPublishButton.Get(), PublishText);
    ShowCommand(ToolbarPublishMailButton.Get(), PublishMailText);

    toolbarCall.Put(L"Visible", Variant::Bool(ReadToolbarVisible()));
    return placementStatus == 0 ? S_OK : S_FALSE;
}

}  // namespace vrz
