#include "project.h"

#include "publishing/host_interfaces.h"

namespace sim {

SimCounter::SimCounter(const IID& iid, LONG count) : SimObject("Counter", {}), iid_(iid), count_(count) {}

void* SimCounter::ExtraInterface(REFIID riid) {
    return riid == iid_ ? static_cast<ICounterShape*>(this) : nullptr;
}

STDMETHODIMP SimCounter::get_Parent(IDispatch** parent) {
    if (parent) *parent = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SimCounter::get_Application(IDispatch** application) {
    if (application) *application = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SimCounter::get_Count(LONG* count) {
    if (!count) return E_POINTER;
    Journal::Get().Record("Counter.Count", S_OK);
    *count = count_;
    return S_OK;
}

SimProject::SimProject(std::wstring projectName, std::vector<std::wstring> projectTasks, LONG projectResources)
    : SimObject("Project", {vrz::IID_HostProject}),
      name(std::move(projectName)),
      tasks(std::move(projectTasks)),
      resources(projectResources) {
    Member(DISPID_VALUE, L"Name", [this](Call& c) { return ReturnString(c, name); });
    Member(vrz::kDispidProjectCounterA, L"Tasks", [this](Call& c) {
        Ref<SimCounter> counter = Make<SimCounter>(vrz::IID_ProjectCounterA, static_cast<LONG>(tasks.size()));
        return ReturnObject(c, static_cast<SimObject*>(counter.Get()));
    });
    Member(vrz::kDispidProjectCounterB, L"Resources", [this](Call& c) {
        Ref<SimCounter> counter = Make<SimCounter>(vrz::IID_ProjectCounterB, resources);
        return ReturnObject(c, static_cast<SimObject*>(counter.Get()));
    });
}

}  // namespace sim
