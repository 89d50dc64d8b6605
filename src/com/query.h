#pragma once
// QueryInterface by an explicit IID into a counted reference.
#include "com/com_ptr.h"

namespace vrz {

template <class T>
HRESULT QueryAs(IUnknown* from, const IID& iid, ComPtr<T>& to) noexcept {
    to.Reset();
    if (!from) return E_POINTER;
    return from->QueryInterface(iid, reinterpret_cast<void**>(to.ReleaseAndGetAddressOf()));
}

}  // namespace vrz
