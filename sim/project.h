#pragma once
// A project of the simulated host: its name (the default property) and two counter objects
// (properties 1 and 2) that tell whether it has content.
#include <string>
#include <vector>

#include "sim_object.h"

namespace sim {

// The shape of the counter interfaces: after IDispatch, two members, then the 32-bit count.
struct ICounterShape : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IDispatch** application) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
};

class SimCounter final : public SimObject, public ICounterShape {
public:
    SimCounter(const IID& iid, LONG count);
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return SimObject::QueryInterface(riid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return SimObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return SimObject::Release(); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return SimObject::GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return SimObject::GetTypeInfo(i, l, t); }
    STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
        return SimObject::GetIDsOfNames(r, n, c, l, d);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e, UINT* a) override {
        return SimObject::Invoke(id, r, l, f, p, v, e, a);
    }
    STDMETHODIMP get_Parent(IDispatch** parent) override;
    STDMETHODIMP get_Application(IDispatch** application) override;
    STDMETHODIMP get_Count(LONG* count) override;

private:
    void* ExtraInterface(REFIID riid) override;
    IID iid_;
    LONG count_;
};

class SimProject final : public SimObject {
public:
    // `tasks` become the pages of the printed package; `resources` counts too.
    SimProject(std::wstring name, std::vector<std::wstring> tasks, LONG resources = 0);
    std::wstring name;
    std::vector<std::wstring> tasks;
    LONG resources;
};

}  // namespace sim
