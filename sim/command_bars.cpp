#include "command_bars.h"

#include <olectl.h>

#include <algorithm>

#include "commandbars/office_interfaces.h"

using namespace vrz;

namespace sim {
namespace {

std::string Indent(int depth) { return std::string(depth * 2, ' '); }

HRESULT PutText(Call& call, std::wstring& field) {
    if (call.flags & DISPATCH_PROPERTYPUT) return ArgString(call, 0, field) ? S_OK : DISP_E_TYPEMISMATCH;
    return ReturnString(call, field);
}

HRESULT PutFlag(Call& call, bool& field) {
    if (call.flags & DISPATCH_PROPERTYPUT) {
        LONG value = 0;
        if (!ArgInt(call, 0, value)) return DISP_E_TYPEMISMATCH;
        field = value != 0;
        return S_OK;
    }
    return ReturnBool(call, field);
}

HRESULT PutInt(Call& call, LONG& field) {
    if (call.flags & DISPATCH_PROPERTYPUT) return ArgInt(call, 0, field) ? S_OK : DISP_E_TYPEMISMATCH;
    return ReturnInt(call, field);
}

}  // namespace

// ---- SimControl ----

SimControl::SimControl(LONG controlType, SimControls* parent, bool isTemporary)
    : SimObject(controlType == msoControlPopup ? "CommandBarPopup" : "CommandBarButton",
                controlType == msoControlPopup ? std::vector<IID>{IID_CommandBarControl, IID_CommandBarPopup}
                                               : std::vector<IID>{IID_CommandBarControl, IID_CommandBarButton}),
      type(controlType),
      temporary(isTemporary),
      parent_(parent) {
    if (type == msoControlPopup) children_ = Make<SimControls>();
    Member(1, L"Caption", [this](Call& c) { return PutText(c, caption); });
    Member(2, L"Tag", [this](Call& c) { return PutText(c, tag); });
    Member(3, L"TooltipText", [this](Call& c) { return PutText(c, tooltip); });
    Member(4, L"DescriptionText", [this](Call& c) { return PutText(c, description); });
    Member(5, L"Enabled", [this](Call& c) { return PutFlag(c, enabled); });
    Member(6, L"Visible", [this](Call& c) { return PutFlag(c, visible); });
    Member(7, L"Type", [this](Call& c) { return ReturnInt(c, type); });
    Member(8, L"Delete", [this](Call&) {
        if (parent_) parent_->Remove(this);
        return S_OK;
    });
    if (type == msoControlPopup) {
        Member(9, L"Control", [this](Call& c) { return ReturnObject(c, this); });
        Member(10, L"Controls", [this](Call& c) { return ReturnObject(c, children_.Get()); });
    } else {
        Member(11, L"Style", [this](Call& c) { return PutInt(c, style); });
        Member(12, L"Picture", [this](Call& c) { return PutFace(c, picture); });
        Member(13, L"Mask", [this](Call& c) { return PutFace(c, mask); });
    }
}

SimControl::~SimControl() {
    if (picture) DeleteObject(picture);
    if (mask) DeleteObject(mask);
    for (auto& [cookie, sink] : sinks_) sink->Release();
    if (children_)
        for (const Ref<SimControl>& child : children_->Items()) child->Detach();
}

// The host keeps its own copy of an assigned face, so the add-in may release its picture.
HRESULT SimControl::PutFace(Call& call, HBITMAP& face) {
    if (!(call.flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) || call.args.empty()) return DISP_E_MEMBERNOTFOUND;
    if (face) DeleteObject(face);
    face = nullptr;
    VARIANT* value = call.args[0];
    if (V_VT(value) != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    if (!V_DISPATCH(value)) return S_OK;
    IPicture* picture = nullptr;
    if (FAILED(V_DISPATCH(value)->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) return E_INVALIDARG;
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    picture->Release();
    assignedFaces.push_back(reinterpret_cast<HBITMAP>(static_cast<ULONG_PTR>(handle)));
    face = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
    return S_OK;
}

void* SimControl::ExtraInterface(REFIID riid) {
    if (type != msoControlPopup && riid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

STDMETHODIMP SimControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    HRESULT injected = Journal::Get().Record(ClassName() + ".FindConnectionPoint", CONNECT_E_NOCONNECTION);
    if (FAILED(injected)) return injected;
    if (riid != IID_CommandBarButtonEvents) return CONNECT_E_NOCONNECTION;
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP SimControl::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = IID_CommandBarButtonEvents;
    return S_OK;
}

STDMETHODIMP SimControl::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP SimControl::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    HRESULT injected = Journal::Get().Record(ClassName() + ".Advise", CONNECT_E_CANNOTCONNECT);
    if (FAILED(injected)) return injected;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(IID_CommandBarButtonEvents, reinterpret_cast<void**>(&events))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, events);
    return S_OK;
}

STDMETHODIMP SimControl::Unadvise(DWORD cookie) {
    HRESULT injected = Journal::Get().Record(ClassName() + ".Unadvise", CONNECT_E_NOCONNECTION);
    if (FAILED(injected)) return injected;
    auto found = std::find_if(sinks_.begin(), sinks_.end(), [&](auto& entry) { return entry.first == cookie; });
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

VARIANT_BOOL SimControl::Click(VARIANT_BOOL cancelDefault) {
    Ref<SimControl> self(this);
    AddRef();
    auto sinks = sinks_;
    for (auto& [cookie, sink] : sinks) {
        sink->AddRef();
        VARIANT args[2];
        V_VT(&args[0]) = VT_BYREF | VT_BOOL;  // CancelDefault, the last parameter, comes first
        V_BOOLREF(&args[0]) = &cancelDefault;
        V_VT(&args[1]) = VT_DISPATCH;
        V_DISPATCH(&args[1]) = static_cast<IDispatch*>(this);
        DISPPARAMS params{args, nullptr, 2, 0};
        sink->Invoke(kDispidClick, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
    return cancelDefault;
}

std::string SimControl::Describe(int depth) const {
    std::string line = Indent(depth) + (type == msoControlPopup ? "popup" : "button") + " caption=\"" +
                       Narrow(caption) + "\" tag=\"" + Narrow(tag) + "\"";
    if (!tooltip.empty()) line += " tooltip=\"" + Narrow(tooltip) + "\"";
    if (!description.empty()) line += " description=\"" + Narrow(description) + "\"";
    if (type != msoControlPopup) line += " style=" + std::to_string(style);
    line += enabled ? "" : " disabled";
    line += visible ? "" : " hidden";
    if (picture) line += " face";
    if (mask) line += " mask";
    line += "\n";
    if (children_)
        for (const Ref<SimControl>& child : children_->Items()) line += child->Describe(depth + 1);
    return line;
}

// ---- SimControls ----

SimControls::SimControls() : SimObject("CommandBarControls", {IID_CommandBarControls}) {
    Member(1, L"Add", [this](Call& c) {
        LONG type = msoControlButton;
        if (!ArgMissing(c, 0) && !ArgInt(c, 0, type)) return DISP_E_TYPEMISMATCH;
        LONG temporary = 0;
        if (!ArgMissing(c, 4)) ArgInt(c, 4, temporary);
        Ref<SimControl> control = Add(type, temporary != 0);
        return ReturnObject(c, control.Get());
    });
    Member(2, L"Count", [this](Call& c) { return ReturnInt(c, static_cast<LONG>(items_.size())); });
}

SimControls::~SimControls() {
    for (const Ref<SimControl>& item : items_) item->Detach();
}

Ref<SimControl> SimControls::Add(LONG type, bool temporary) {
    Ref<SimControl> control = Make<SimControl>(type, this, temporary);
    items_.push_back(control);
    return control;
}

void SimControls::Remove(SimControl* control) {
    auto found = std::find_if(items_.begin(), items_.end(), [&](const Ref<SimControl>& c) { return c.Get() == control; });
    if (found == items_.end()) return;
    Ref<SimControl> keep = *found;
    keep->Detach();
    items_.erase(found);
}

// ---- SimCommandBar ----

SimCommandBar::SimCommandBar(SimCommandBars* owner, std::wstring barName, LONG barPosition, bool isTemporary)
    : SimObject("CommandBar", {IID_CommandBar}),
      name(std::move(barName)),
      position(barPosition),
      temporary(isTemporary),
      owner_(owner),
      controls_(Make<SimControls>()) {
    Member(1, L"Name", [this](Call& c) { return ReturnString(c, name); });
    Member(2, L"Controls", [this](Call& c) { return ReturnObject(c, controls_.Get()); });
    Member(3, L"FindControl", [this](Call& c) {
        std::wstring tag;
        if (!ArgString(c, 2, tag)) return DISP_E_TYPEMISMATCH;
        return ReturnObject(c, FindByTag(tag));
    });
    Member(4, L"Delete", [this](Call&) {
        if (owner_) owner_->Remove(this);
        owner_ = nullptr;
        return S_OK;
    });
    Member(5, L"RowIndex", [this](Call& c) { return PutInt(c, rowIndex); });
    Member(6, L"Left", [this](Call& c) { return PutInt(c, left); });
    Member(7, L"Visible", [this](Call& c) { return PutFlag(c, visible); });
    Member(8, L"Position", [this](Call& c) { return PutInt(c, position); });
}

SimControl* SimCommandBar::FindByTag(const std::wstring& tag) const {
    for (const Ref<SimControl>& control : controls_->Items())
        if (control->tag == tag) return control.Get();
    return nullptr;
}

std::string SimCommandBar::Describe() const {
    std::string text = "bar \"" + Narrow(name) + "\" position=" + std::to_string(position) +
                       " row=" + std::to_string(rowIndex) + " left=" + std::to_string(left) +
                       (visible ? "" : " hidden") + (temporary ? " temporary" : "") + "\n";
    for (const Ref<SimControl>& control : controls_->Items()) text += control->Describe(1);
    return text;
}

// ---- SimCommandBars ----

SimCommandBars::SimCommandBars() : SimObject("CommandBars", {IID_CommandBars}) {
    auto menuBar = Make<SimCommandBar>(this, L"Menu Bar", 6 /* msoBarMenuBar */, false);
    for (const wchar_t* menu : {L"&File", L"&Edit", L"&View", L"&Insert", L"F&ormat", L"&Tools", L"&Project",
                                L"&Report", L"&Window", L"&Help"}) {
        Ref<SimControl> popup = menuBar->Controls()->Add(msoControlPopup, false);
        popup->caption = menu;
    }
    bars_.push_back(menuBar);
    for (const wchar_t* toolbar : {L"Standard", L"Formatting"}) {
        auto bar = Make<SimCommandBar>(this, toolbar, msoBarTop, false);
        bar->rowIndex = static_cast<LONG>(bars_.size());
        bars_.push_back(bar);
    }

    Member(0, L"Item", [this](Call& c) {
        std::wstring name;
        LONG index = 0;
        if (ArgString(c, 0, name)) {
            SimCommandBar* bar = Find(name);
            return bar ? ReturnObject(c, bar) : E_INVALIDARG;
        }
        if (!ArgInt(c, 0, index) || index < 1 || static_cast<size_t>(index) > bars_.size()) return E_INVALIDARG;
        return ReturnObject(c, bars_[index - 1].Get());
    });
    Member(1, L"Add", [this](Call& c) {
        std::wstring name;
        LONG position = msoBarTop, temporary = 0;
        if (!ArgMissing(c, 0) && !ArgString(c, 0, name)) return DISP_E_TYPEMISMATCH;
        if (!ArgMissing(c, 1)) ArgInt(c, 1, position);
        if (!ArgMissing(c, 3)) ArgInt(c, 3, temporary);
        SimCommandBar* bar = AddBar(name, temporary != 0);
        bar->position = position;
        return ReturnObject(c, bar);
    });
    Member(2, L"Count", [this](Call& c) { return ReturnInt(c, static_cast<LONG>(bars_.size())); });
    Member(3, L"ActiveMenuBar", [this](Call& c) { return ReturnObject(c, MenuBar()); });
}

SimCommandBar* SimCommandBars::AddBar(const std::wstring& name, bool temporary) {
    auto bar = Make<SimCommandBar>(this, name, msoBarTop, temporary);
    bar->rowIndex = static_cast<LONG>(bars_.size());
    bars_.push_back(bar);
    return bar.Get();
}

SimCommandBar* SimCommandBars::Find(const std::wstring& name) const {
    for (const Ref<SimCommandBar>& bar : bars_)
        if (_wcsicmp(bar->name.c_str(), name.c_str()) == 0) return bar.Get();
    return nullptr;
}

void SimCommandBars::Remove(SimCommandBar* bar) {
    auto found = std::find_if(bars_.begin(), bars_.end(), [&](const Ref<SimCommandBar>& b) { return b.Get() == bar; });
    if (found != bars_.end()) bars_.erase(found);
}

std::string SimCommandBars::Describe() const {
    std::string text;
    for (const Ref<SimCommandBar>& bar : bars_) text += bar->Describe();
    return text;
}

std::vector<SimControl*> SimCommandBars::AllButtons() const {
    std::vector<SimControl*> buttons;
    std::vector<const SimControls*> pending;
    for (const Ref<SimCommandBar>& bar : bars_) pending.push_back(bar->Controls());
    while (!pending.empty()) {
        const SimControls* controls = pending.front();
        pending.erase(pending.begin());
        for (const Ref<SimControl>& control : controls->Items()) {
            if (control->Children()) pending.push_back(control->Children());
            else buttons.push_back(control.Get());
        }
    }
    return buttons;
}

}  // namespace sim
