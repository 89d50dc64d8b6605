#pragma once
// The Office command bar object model of the simulated host: bars, controls, popups and buttons
// whose Click events reach the sinks advised on their connection points.
#include <ocidl.h>

#include <string>
#include <vector>

#include "sim_object.h"

namespace sim {

class SimControls;
class SimCommandBars;

class SimControl final : public SimObject, public IConnectionPointContainer, public IConnectionPoint {
public:
    SimControl(LONG type, SimControls* parent, bool temporary);

    // Raises Click on every advised sink; returns CancelDefault as the sinks left it.
    VARIANT_BOOL Click(VARIANT_BOOL cancelDefault = VARIANT_FALSE);
    size_t SinkCount() const { return sinks_.size(); }
    std::string Describe(int depth) const;
    SimControls* Children() const { return children_.Get(); }
    void Detach() { parent_ = nullptr; }

    LONG type;
    std::wstring caption, tag, tooltip, description;
    bool enabled = true, visible = true, temporary;
    LONG style = 0;  // msoButtonAutomatic
    HBITMAP picture = nullptr, mask = nullptr;  // the host's own copies of the faces
    std::vector<HBITMAP> assignedFaces;          // the bitmaps of the pictures the add-in assigned

    // IUnknown for the connection-point parts
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return SimObject::QueryInterface(riid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return SimObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return SimObject::Release(); }
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
    // IConnectionPoint (_CommandBarButtonEvents)
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ~SimControl() override;
    void* ExtraInterface(REFIID riid) override;
    HRESULT PutFace(Call& call, HBITMAP& face);

    SimControls* parent_;
    Ref<SimControls> children_;  // popups only
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD nextCookie_ = 1;
};

class SimControls final : public SimObject {
public:
    SimControls();
    Ref<SimControl> Add(LONG type, bool temporary);
    void Remove(SimControl* control);
    const std::vector<Ref<SimControl>>& Items() const { return items_; }

private:
    ~SimControls() override;
    std::vector<Ref<SimControl>> items_;
};

class SimCommandBar final : public SimObject {
public:
    SimCommandBar(SimCommandBars* owner, std::wstring name, LONG position, bool temporary);
    SimControls* Controls() const { return controls_.Get(); }
    SimControl* FindByTag(const std::wstring& tag) const;  // direct controls only
    std::string Describe() const;

    std::wstring name;
    LONG position, rowIndex = 0, left = 0;
    bool visible = true, temporary;

private:
    SimCommandBars* owner_;
    Ref<SimControls> controls_;
};

class SimCommandBars final : public SimObject {
public:
    // The host's own bars: a menu bar with its menus and two toolbars.
    SimCommandBars();
    SimCommandBar* Find(const std::wstring& name) const;
    // A bar as the host or the user would add it.
    SimCommandBar* AddBar(const std::wstring& name, bool temporary);
    SimCommandBar* MenuBar() const { return bars_.front().Get(); }
    void Remove(SimCommandBar* bar);
    size_t Count() const { return bars_.size(); }
    // The whole tree as text, for comparing the host before and after a connection.
    std::string Describe() const;
    // Every button in the host, depth first (for clicking by tag or caption).
    std::vector<SimControl*> AllButtons() const;

private:
    ~SimCommandBars() override = default;
    std::vector<Ref<SimCommandBar>> bars_;
};

}  // namespace sim
