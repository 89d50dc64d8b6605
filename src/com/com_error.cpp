#include "com/com_error.h"

#include <new>

namespace vrz {

HRESULT CurrentExceptionResult() noexcept {
    try {
        throw;
    } catch (const ComError& e) {
        return FAILED(e.Result()) ? e.Result() : E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace vrz
