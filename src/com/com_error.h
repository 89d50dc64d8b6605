#pragma once
// The COM error exception: a failing HRESULT with the object and interface that failed,
// and the one conversion of any exception into an HRESULT at a COM boundary.
#include <windows.h>
#include <exception>
#include "com/com_ptr.h"

namespace vrz {

class ComError : public std::exception {
public:
    ComError(HRESULT result, IUnknown* object, const IID& iid) : result_(result), object_(object), iid_(iid) {}
    explicit ComError(HRESULT result) : ComError(result, nullptr, GUID_NULL) {}
    HRESULT Result() const noexcept { return result_; }
    IUnknown* Object() const noexcept { return object_.Get(); }
    const IID& Interface() const noexcept { return iid_; }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT result_;
    ComPtr<IUnknown> object_;
    IID iid_;
};

inline void ThrowIfFailed(HRESULT hr, IUnknown* object = nullptr, const IID& iid = GUID_NULL) {
    if (FAILED(hr)) throw ComError(hr, object, iid);
}

// Call only inside a catch block: the HRESULT that stands for the exception being handled.
// Never a success code, so a failure cannot read as success.
HRESULT CurrentExceptionResult() noexcept;

// Runs a COM method's body; no exception leaves it.
template <class Body>
HRESULT ComBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return CurrentExceptionResult();
    }
}

}  // namespace vrz
