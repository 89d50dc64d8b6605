#include "commandbars/late_bound.h"

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "com/dispatch_call.h"

namespace vrz {
namespace {

struct MemberKey {
    IID iid;
    std::wstring name;
    bool operator<(const MemberKey& other) const {
        int order = std::memcmp(&iid, &other.iid, sizeof(IID));
        return order != 0 ? order < 0 : name < other.name;
    }
};

// DISPIDs of a published interface are the same on every object that answers it.
HRESULT ResolveMember(IDispatch* object, const IID& iid, const wchar_t* name, DISPID& id) {
    static std::mutex lock;
    static std::map<MemberKey, DISPID> resolved;
    MemberKey key{iid, name};
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = resolved.find(key);
        if (found != resolved.end()) {
            id = found->second;
            return S_OK;
        }
    }
    HRESULT hr = ResolveName(object, name, &id);
    if (SUCCEEDED(hr)) {
        std::lock_guard<std::mutex> guard(lock);
        resolved.emplace(std::move(key), id);
    }
    return hr;
}

}  // namespace

HRESULT OfficeObject::Invoke(const wchar_t* name, WORD flags, std::initializer_list<Variant> args,
                             Variant* result) const {
    if (!object_) return E_POINTER;
    DISPID id = 0;
    HRESULT hr = ResolveMember(object_, iid_, name, id);
    if (FAILED(hr)) return hr;
    std::vector<Variant> arguments(args.begin(), args.end());
    return InvokeMember(object_, id, flags, arguments, result ? result->Get() : nullptr);
}

HRESULT OfficeObject::TryGet(const wchar_t* name, Variant& result, std::initializer_list<Variant> args) const {
    return Invoke(name, DISPATCH_PROPERTYGET, args, &result);
}

Variant OfficeObject::Get(const wchar_t* name, std::initializer_list<Variant> args) const {
    Variant result;
    ThrowIfFailed(TryGet(name, result, args), object_, iid_);
    return result;
}

Variant OfficeObject::Call(const wchar_t* name, std::initializer_list<Variant> args) const {
    Variant result;
    ThrowIfFailed(Invoke(name, DISPATCH_METHOD, args, &result), object_, iid_);
    return result;
}

void OfficeObject::Put(const wchar_t* name, Variant value) const {
    ThrowIfFailed(Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr), object_, iid_);
}

LONG OfficeObject::GetInt(const wchar_t* name) const {
    Variant value = Get(name);
    Variant converted;
    ThrowIfFailed(VariantChangeType(converted.Get(), value.Get(), 0, VT_I4), object_, iid_);
    return V_I4(converted.Get());
}

}  // namespace vrz
