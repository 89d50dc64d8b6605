#pragma once
// A registrar for registry scripts in the platform's registrar format: root keys (HKCR, HKCU,
// HKLM, HKU), nested keys with NoRemove/ForceRemove marks, default values (= s 'text'), named
// values (val Name = s 'text' | d 'number'), quoted names, and %NAME% replacements matched
// without regard to case. A script is parsed whole before anything is applied, so a broken
// script changes nothing and reports where it broke.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vrz {

class Registrar {
public:
    void AddReplacement(const std::wstring& name, const std::wstring& value);
    HRESULT Register(const std::wstring& script);
    HRESULT Unregister(const std::wstring& script);
    // The syntax error of the last failed script, e.g. "line 4: expected '}'".
    const std::wstring& LastError() const { return lastError_; }

private:
    HRESULT Apply(const std::wstring& script, bool registering);
    std::vector<std::pair<std::wstring, std::wstring>> replacements_;
    std::wstring lastError_;
};

// Doubles every single quote, so a script's quoted-string syntax reads the text back unchanged.
std::wstring QuoteForScript(const std::wstring& text);

}  // namespace vrz
