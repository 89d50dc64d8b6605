// The toolbar's placement and visibility, kept in the writer settings across connections because
// the host forgets temporary bars.
#include <string>

#include "addin/addin_globals.h"
#include "addin/project_addin_obj.h"
#include "commandbars/command_bar_lookup.h"
#include "commandbars/late_bound.h"
#include "writer/writer_settings.h"

namespace vrz {
namespace {

// Runs one step whose failure must not stop the next one.
template <class Step>
void GuardedStep(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

ComPtr<CommandBar> FindCommandBar(CommandBars* bars, const std::wstring& name) {
    Variant found;
    if (FAILED(OfficeObject(bars, IID_CommandBars).TryGet(L"Item", found, {Variant::String(name)}))) return nullptr;
    try {
        return ResultAs<CommandBar>(found, IID_CommandBar);
    } catch (const ComError&) {
        return nullptr;  // not a command bar: no toolbar of ours
    }
}

int RestoreToolbarPlacement(CommandBars* bars, CommandBar* toolbar) {
    int left = 0, row = 0;
    int status = ParseIntPair(left, row, ReadString(kWriterKey, kRootLocalMachine, kProjectBarIndexValue));
    GuardedStep([&] {
        LONG count = OfficeObject(bars, IID_CommandBars).GetInt(L"Count");
        if (status == 0 && row >= 0 && row < count && left >= 0) {
            OfficeObject toolbarCall(toolbar, IID_CommandBar);
            toolbarCall.Put(L"RowIndex", Variant::Int32(row));
            toolbarCall.Put(L"Left", Variant::Int32(left));
        }
    });
    return status;
}

HRESULT ProjectAddinObj::SaveToolbarState() {
    ComPtr<CommandBars> bars;
    HRESULT hr = GetCommandBars(HostApp, bars);
    if (FAILED(hr)) return hr;
    ComPtr<CommandBar> toolbar = FindCommandBar(bars.Get(), ToolbarNameText);
    if (!toolbar) return S_OK;
    OfficeObject toolbarCall(toolbar.Get(), IID_CommandBar);
    GuardedStep([&] {
        LONG row = toolbarCall.GetInt(L"RowIndex");
        LONG left = toolbarCall.GetInt(L"Left");
        WriteString(kProjectBarIndexValue, std::to_wstring(left) + L"," + std::to_wstring(row));
    });
    GuardedStep([&] { WriteToolbarVisible(toolbarCall.GetInt(L"Visible") ? VARIANT_TRUE : VARIANT_FALSE); });
    GuardedStep([&] { toolbarCall.Call(L"Delete"); });
    return S_OK;
}

}  // namespace vrz
