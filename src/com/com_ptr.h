#pragma once
// Counted interface references: MinGW's WRL ComPtr, under the project's namespace.
#include <wrl/client.h>

namespace vrz {
template <class T>
using ComPtr = Microsoft::WRL::ComPtr<T>;
}
