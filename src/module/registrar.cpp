#include "module/registrar.h"

#include <cwctype>
#include <memory>

#include "com/unique_handle.h"

namespace vrz {
namespace {

struct ScriptError {
    std::wstring message;
};

struct ScriptValue {
    std::wstring name;
    bool isNumber = false;
    std::wstring text;
    DWORD number = 0;
};

struct ScriptKey {
    enum Mark { None, NoRemove, ForceRemove } mark = None;
    std::wstring name;
    bool hasDefault = false;
    std::wstring defaultText;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> children;
};

struct ScriptRoot {
    HKEY root;
    std::vector<ScriptKey> keys;
};

struct Token {
    std::wstring text;
    bool quoted;
    int line;
};

bool SameText(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

std::vector<Token> Tokenize(const std::wstring& script) {
    std::vector<Token> tokens;
    int line = 1;
    for (size_t i = 0; i < script.size();) {
        wchar_t c = script[i];
        if (c == L'\n') ++line;
        if (std::iswspace(c)) {
            ++i;
            continue;
        }
        if (c == L'\'') {
            std::wstring text;
            int startLine = line;
            for (++i;; ++i) {
                if (i >= script.size()) throw ScriptError{L"line " + std::to_wstring(startLine) + L": unterminated quoted text"};
                if (script[i] == L'\'') {
                    if (i + 1 < script.size() && script[i + 1] == L'\'') {
                        text += L'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (script[i] == L'\n') ++line;
                text += script[i];
            }
            tokens.push_back({text, true, startLine});
            continue;
        }
        size_t start = i;
        while (i < script.size() && !std::iswspace(script[i])) ++i;
        tokens.push_back({script.substr(start, i - start), false, line});
    }
    return tokens;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::vector<ScriptRoot> Script() {
        std::vector<ScriptRoot> roots;
        while (!AtEnd()) {
            Token name = Next(L"a root key");
            HKEY root = RootKey(name);
            Expect(L"{");
            roots.push_back({root, Keys()});
        }
        return roots;
    }

private:
    bool AtEnd() const { return position_ >= tokens_.size(); }
    const Token& Peek() const { return tokens_[position_]; }
    bool PeekIs(const wchar_t* text) const { return !AtEnd() && !Peek().quoted && Peek().text == text; }

    Token Next(const std::wstring& what) {
        if (AtEnd()) throw ScriptError{L"end of script: expected " + what};
        return tokens_[position_++];
    }

    void Expect(const wchar_t* text) {
        Token token = Next(std::wstring(L"'") + text + L"'");
        if (token.quoted || token.text != text)
            throw ScriptError{L"line " + std::to_wstring(token.line) + L": expected '" + text + L"', found '" + token.text + L"'"};
    }

    HKEY RootKey(const Token& token) {
        struct {
            const wchar_t* shortName;
            const wchar_t* longName;
            HKEY key;
        } roots[] = {{L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                     {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                     {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                     {L"HKU", L"HKEY_USERS", HKEY_USERS}};
        for (const auto& root : roots)
            if (!token.quoted && (SameText(token.text, root.shortName) || SameText(token.text, root.longName)))
                return root.key;
        throw ScriptError{L"line " + std::to_wstring(token.line) + L": unknown root key '" + token.text + L"'"};
    }

    // Keys up to and including the closing brace.
    std::vector<ScriptKey> Keys() {
        std::vector<ScriptKey> keys;
        for (;;) {
            if (PeekIs(L"}")) {
                ++position_;
                return keys;
            }
            keys.push_back(Key());
        }
    }

    ScriptKey Key() {
        ScriptKey key;
        Token name = Next(L"a key name");
        if (!name.quoted && SameText(name.text, L"NoRemove")) key.mark = ScriptKey::NoRemove, name = Next(L"a key name");
        else if (!name.quoted && SameText(name.text, L"ForceRemove")) key.mark = ScriptKey::ForceRemove, name = Next(L"a key name");
        if (!name.quoted && (name.text == L"{" || name.text == L"}" || name.text == L"="))
            throw ScriptError{L"line " + std::to_wstring(name.line) + L": expected a key name, found '" + name.text + L"'"};
        key.name = name.text;
        if (PeekIs(L"=")) {
            ++position_;
            Token type = Next(L"s");
            if (type.quoted || !SameText(type.text, L"s"))
                throw ScriptError{L"line " + std::to_wstring(type.line) + L": a key's default value must be s 'text'"};
            key.hasDefault = true;
            key.defaultText = Quoted();
        }
        if (PeekIs(L"{")) {
            ++position_;
            Body(key);
        }
        return key;
    }

    void Body(ScriptKey& key) {
        for (;;) {
            if (PeekIs(L"}")) {
                ++position_;
                return;
            }
            if (!AtEnd() && !Peek().quoted && SameText(Peek().text, L"val")) {
                ++position_;
                ScriptValue value;
                value.name = Next(L"a value name").text;
                Expect(L"=");
                Token type = Next(L"s or d");
                if (!type.quoted && SameText(type.text, L"s")) {
                    value.text = Quoted();
                } else if (!type.quoted && SameText(type.text, L"d")) {
                    Token number = Next(L"a number");
                    wchar_t* end = nullptr;
                    unsigned long parsed = wcstoul(number.text.c_str(), &end, 0);
                    if (number.text.empty() || *end != L'\0')
                        throw ScriptError{L"line " + std::to_wstring(number.line) + L": '" + number.text + L"' is not a number"};
                    value.isNumber = true;
                    value.number = static_cast<DWORD>(parsed);
                } else {
                    throw ScriptError{L"line " + std::to_wstring(type.line) + L": unknown value type '" + type.text + L"'"};
                }
                key.values.push_back(value);
                continue;
            }
            if (AtEnd()) throw ScriptError{L"end of script: expected '}'"};
            key.children.push_back(Key());
        }
    }

    std::wstring Quoted() {
        Token text = Next(L"quoted text");
        if (!text.quoted) throw ScriptError{L"line " + std::to_wstring(text.line) + L": expected quoted text, found '" + text.text + L"'"};
        return text.text;
    }

    std::vector<Token> tokens_;
    size_t position_ = 0;
};

HRESULT Win32Result(LONG status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

void SetValue(HKEY key, const wchar_t* name, const ScriptValue& value) {
    LONG status = value.isNumber
                      ? RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number), sizeof(DWORD))
                      : RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                                       static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) throw Win32Result(status);
}

void RegisterKey(HKEY parent, const ScriptKey& key) {
    if (key.mark == ScriptKey::ForceRemove) RegDeleteTreeW(parent, key.name.c_str()), RegDeleteKeyW(parent, key.name.c_str());
    RegKey handle;
    LONG status = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  handle.Put(), nullptr);
    if (status != ERROR_SUCCESS) throw Win32Result(status);
    if (key.hasDefault) SetValue(handle.Get(), nullptr, ScriptValue{L"", false, key.defaultText, 0});
    for (const ScriptValue& value : key.values) SetValue(handle.Get(), value.name.c_str(), value);
    for (const ScriptKey& child : key.children) RegisterKey(handle.Get(), child);
}

void UnregisterKey(HKEY parent, const ScriptKey& key) {
    {
        RegKey handle;
        if (RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, handle.Put()) != ERROR_SUCCESS) return;
        for (const ScriptKey& child : key.children) UnregisterKey(handle.Get(), child);
        for (const ScriptValue& value : key.values) RegDeleteValueW(handle.Get(), value.name.c_str());
        if (key.mark == ScriptKey::NoRemove) return;
        DWORD subkeys = 0;
        if (RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS || subkeys != 0)
            return;
    }
    RegDeleteKeyW(parent, key.name.c_str());
}

}  // namespace

void Registrar::AddReplacement(const std::wstring& name, const std::wstring& value) {
    replacements_.emplace_back(name, value);
}

HRESULT Registrar::Register(const std::wstring& script) { return Apply(script, true); }
HRESULT Registrar::Unregister(const std::wstring& script) { return Apply(script, false); }

HRESULT Registrar::Apply(const std::wstring& script, bool registering) {
    lastError_.clear();
    std::vector<ScriptRoot> roots;
    try {
        std::wstring expanded;
        for (size_t i = 0; i < script.size(); ++i) {
            if (script[i] != L'%') {
                expanded += script[i];
                continue;
            }
            size_t end = script.find(L'%', i + 1);
            if (end == std::wstring::npos) throw ScriptError{L"unterminated %variable%"};
            std::wstring name = script.substr(i + 1, end - i - 1);
            if (name.empty()) {
                expanded += L'%';  // %% stands for a percent sign
            } else {
                bool found = false;
                for (const auto& [variable, value] : replacements_) {
                    if (_wcsicmp(variable.c_str(), name.c_str()) == 0) {
                        expanded += value;
                        found = true;
                        break;
                    }
                }
                if (!found) throw ScriptError{L"unknown variable %" + name + L"%"};
            }
            i = end;
        }
        roots = Parser(Tokenize(expanded)).Script();
    } catch (const ScriptError& error) {
        lastError_ = error.message;
        return DISP_E_EXCEPTION;
    }
    try {
        for (const ScriptRoot& root : roots)
            for (const ScriptKey& key : root.keys) registering ? RegisterKey(root.root, key) : UnregisterKey(root.root, key);
    } catch (HRESULT failure) {
        return failure;
    }
    return S_OK;
}

std::wstring QuoteForScript(const std::wstring& text) {
    std::wstring quoted;
    for (wchar_t c : text) {
        quoted += c;
        if (c == L'\'') quoted += L'\'';
    }
    return quoted;
}

}  // namespace vrz
