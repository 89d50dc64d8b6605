#include "writer/writer_settings.h"

#include <climits>
#include <cstring>

#include "com/unique_handle.h"

namespace vrz {
namespace {

constexpr DWORD kValueBufferBytes = 260;  // 130 UTF-16 units with the terminator
constexpr size_t kMaxTextLength = 129;

HKEY RootFromSelector(int selector) {
    switch (selector) {
        case 1: return HKEY_CLASSES_ROOT;
        case 2: return HKEY_CURRENT_USER;
        case 3: return HKEY_LOCAL_MACHINE;
        case 4: return HKEY_USERS;
        default: return nullptr;
    }
}

// Writes ask for write access and create the key when it is missing.
RegKey OpenWriterKeyForWrite() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, KEY_READ | KEY_WRITE, key.Put()) == ERROR_SUCCESS) return key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

// Reads the first bytes of "Visible" into a zero-filled buffer; false when the query failed.
bool QueryVisible(HKEY key, BYTE (&data)[kValueBufferBytes]) {
    std::memset(data, 0, sizeof(data));
    DWORD size = sizeof(data);
    return RegQueryValueExW(key, kVisibleValue, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
}

// Leading white space, an optional sign, then digits up to the first non-digit; saturates at
// the 32-bit bounds instead of overflowing.
int DecimalValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i] != '\0') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

std::wstring ReadString(const wchar_t* keyPath, int rootSelector, const wchar_t* valueName) {
    HKEY root = RootFromSelector(rootSelector);
    if (!root) return {};
    RegKey key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return {};
    wchar_t buffer[kValueBufferBytes / sizeof(wchar_t) + 1] = {};  // one spare unit keeps it terminated
    DWORD size = kValueBufferBytes;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return {};
    std::wstring text(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
    // Without a terminator a value can hold 130 characters in the buffer: still too long.
    return text.size() <= kMaxTextLength ? text : std::wstring();
}

bool WriteString(const wchar_t* valueName, const std::wstring& text) {
    RegKey key = OpenWriterKeyForWrite();
    if (!key) return false;
    return RegSetValueExW(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

VARIANT_BOOL ReadToolbarVisible() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return VARIANT_FALSE;
    BYTE data[kValueBufferBytes];
    if (!QueryVisible(key.Get(), data)) return VARIANT_TRUE;
    return (data[0] & 0x10) ? VARIANT_TRUE : VARIANT_FALSE;
}

void WriteToolbarVisible(VARIANT_BOOL visible) {
    RegKey key = OpenWriterKeyForWrite();
    if (!key) return;
    BYTE data[kValueBufferBytes];
    QueryVisible(key.Get(), data);
    data[0] = visible ? static_cast<BYTE>(data[0] | 0x10) : static_cast<BYTE>(data[0] & 0x0F);
    RegSetValueExW(key.Get(), kVisibleValue, 0, REG_DWORD, data, sizeof(DWORD));
}

int ParseIntPair(int& first, int& second, const std::wstring& text) {
    size_t comma = text.find(L',');
    std::wstring left, right;
    if (comma != std::wstring::npos) {
        left = text.substr(0, comma);
        right = text.substr(comma + 1);
    }
    first = DecimalValue(ToAnsi(left));
    if (right.empty()) return 1;
    second = DecimalValue(ToAnsi(right));
    return 0;
}

std::string ToAnsi(const std::wstring& text) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        // One code point at a time (a surrogate pair counts as one), so the conversion can stop
        // at the first one the code page lacks.
        size_t units = (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) ? 2 : 1;
        char bytes[8];
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data() + i, static_cast<int>(units), bytes,
                                    sizeof(bytes), nullptr, &usedDefault);
        if (n <= 0 || usedDefault) break;
        result.append(bytes, n);
        i += units;
    }
    return result;
}

}  // namespace vrz
