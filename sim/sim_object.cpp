#include "sim_object.h"

#include <atomic>
#include <cstdio>

namespace sim {
namespace {
std::atomic<long> liveObjects{0};

std::string Flags(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return "put";
    if (flags & DISPATCH_METHOD) return "call";
    return "get";
}

std::string GuidText(REFIID iid) {
    wchar_t text[40] = {};
    StringFromGUID2(iid, text, 40);
    return Narrow(text);
}
}  // namespace

Journal& Journal::Get() {
    static Journal journal;
    return journal;
}

void Journal::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.clear();
    failAt_ = -1;
    failPrefix_.clear();
}

HRESULT Journal::Record(const std::string& entry, HRESULT injected) {
    std::lock_guard<std::mutex> guard(lock_);
    long position = static_cast<long>(entries_.size());
    entries_.push_back(entry);
    bool matched = !failPrefix_.empty() && entry.rfind(failPrefix_, 0) == 0 && --failOccurrence_ == 0;
    if (matched) failPrefix_.clear();
    if (position == failAt_ || matched) {
        entries_.back() += " -> injected failure";
        return injected;
    }
    return S_OK;
}

void Journal::FailNth(const std::string& prefix, int occurrence) {
    std::lock_guard<std::mutex> guard(lock_);
    failPrefix_ = prefix;
    failOccurrence_ = occurrence;
}

std::vector<std::string> Journal::Entries() const {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_;
}

size_t Journal::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.size();
}

void Journal::FailAt(long position) {
    std::lock_guard<std::mutex> guard(lock_);
    failAt_ = position < 0 ? -1 : static_cast<long>(entries_.size()) + position;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::string Describe(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_I4: return "i4:" + std::to_string(V_I4(&value));
        case VT_I2: return "i2:" + std::to_string(V_I2(&value));
        case VT_BOOL: return "bool:" + std::to_string(V_BOOL(&value));
        case VT_BSTR: return "str:" + Narrow(V_BSTR(&value) ? V_BSTR(&value) : L"");
        case VT_ERROR: return V_ERROR(&value) == DISP_E_PARAMNOTFOUND ? "missing" : "error";
        case VT_DISPATCH: return V_DISPATCH(&value) ? "object" : "null";
        case VT_UNKNOWN: return V_UNKNOWN(&value) ? "object" : "null";
        case VT_EMPTY: return "empty";
        default: return "vt:" + std::to_string(V_VT(&value));
    }
}

SimObject::SimObject(std::string className, std::vector<IID> interfaces)
    : className_(std::move(className)), interfaces_(std::move(interfaces)) {
    ++liveObjects;
}

SimObject::~SimObject() { --liveObjects; }

long SimObject::LiveObjects() { return liveObjects; }

STDMETHODIMP SimObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    void* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) found = static_cast<IDispatch*>(this);
    for (const IID& iid : interfaces_)
        if (riid == iid) found = static_cast<IDispatch*>(this);
    if (!found) found = ExtraInterface(riid);
    // Only the interfaces the add-in asks for by purpose are journaled (not IUnknown/IDispatch
    // identity checks the runtime makes), so the sweep covers the queries that decide things.
    if (found && riid != IID_IUnknown && riid != IID_IDispatch &&
        FAILED(Journal::Get().Record(className_ + ".QueryInterface(" + GuidText(riid) + ")", E_NOINTERFACE)))
        return E_NOINTERFACE;
    if (!found) return E_NOINTERFACE;
    AddRef();
    *object = found;
    return S_OK;
}

STDMETHODIMP_(ULONG) SimObject::AddRef() { return InterlockedIncrement(reinterpret_cast<volatile LONG*>(&references_)); }

STDMETHODIMP_(ULONG) SimObject::Release() {
    ULONG remaining = InterlockedDecrement(reinterpret_cast<volatile LONG*>(&references_));
    if (remaining == 0) delete this;
    return remaining;
}

STDMETHODIMP SimObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP SimObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count != 1) return E_INVALIDARG;
    std::wstring name = names[0];
    HRESULT injected = Journal::Get().Record(className_ + ".GetIDsOfNames(" + Narrow(name) + ")", DISP_E_UNKNOWNNAME);
    if (FAILED(injected) || lookupFailures_.count(name)) {
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    for (const auto& [id, entry] : members_) {
        if (_wcsicmp(entry.name.c_str(), name.c_str()) == 0) {
            ids[0] = id;
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP SimObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                               UINT*) {
    auto found = members_.find(id);
    std::string name = found != members_.end() ? Narrow(found->second.name) : "#" + std::to_string(id);
    Call call{flags, {}, result};
    if (params) {
        // rgvarg lists positional arguments last first; a put's named value comes last here.
        for (UINT i = params->cArgs; i-- > params->cNamedArgs;) call.args.push_back(&params->rgvarg[i]);
        for (UINT i = 0; i < params->cNamedArgs; ++i) call.args.push_back(&params->rgvarg[i]);
    }
    std::string entry = className_ + "." + name + " " + Flags(flags) + "(";
    for (size_t i = 0; i < call.args.size(); ++i) entry += (i ? ", " : "") + Describe(*call.args[i]);
    entry += ")";
    HRESULT injected = Journal::Get().Record(entry, E_FAIL);
    if (FAILED(injected)) return injected;
    if (found == members_.end()) return DISP_E_MEMBERNOTFOUND;
    auto failure = invokeFailures_.find(found->second.name);
    if (failure != invokeFailures_.end()) return failure->second;
    return found->second.handler(call);
}

void SimObject::Member(DISPID id, const std::wstring& name, Handler handler) {
    members_[id] = Entry{name, std::move(handler)};
}

void SimObject::FailMember(const std::wstring& name, HRESULT hr, bool lookup) {
    if (lookup) lookupFailures_[name] = true;
    else invokeFailures_[name] = hr;
}

void SimObject::ClearFailures() {
    lookupFailures_.clear();
    invokeFailures_.clear();
}

HRESULT ReturnString(Call& call, const std::wstring& text) {
    if (call.result) {
        V_VT(call.result) = VT_BSTR;
        V_BSTR(call.result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return S_OK;
}

HRESULT ReturnInt(Call& call, LONG value) {
    if (call.result) {
        V_VT(call.result) = VT_I4;
        V_I4(call.result) = value;
    }
    return S_OK;
}

HRESULT ReturnBool(Call& call, bool value) {
    if (call.result) {
        V_VT(call.result) = VT_BOOL;
        V_BOOL(call.result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT ReturnObject(Call& call, IDispatch* object) {
    if (call.result) {
        V_VT(call.result) = VT_DISPATCH;
        V_DISPATCH(call.result) = object;
        if (object) object->AddRef();
    }
    return S_OK;
}

bool ArgString(const Call& call, size_t index, std::wstring& text) {
    if (index >= call.args.size() || V_VT(call.args[index]) != VT_BSTR) return false;
    BSTR value = V_BSTR(call.args[index]);
    text.assign(value ? value : L"", value ? SysStringLen(value) : 0);
    return true;
}

bool ArgInt(const Call& call, size_t index, LONG& value) {
    if (index >= call.args.size()) return false;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, call.args[index], 0, VT_I4))) return false;
    value = V_I4(&converted);
    return true;
}

bool ArgMissing(const Call& call, size_t index) {
    return index >= call.args.size() ||
           (V_VT(call.args[index]) == VT_ERROR && V_ERROR(call.args[index]) == DISP_E_PARAMNOTFOUND);
}

}  // namespace sim
