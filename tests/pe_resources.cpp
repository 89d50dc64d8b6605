// Lists what a module carries for Windows, whatever its architecture: its type library (and the
// platform it is for), its registry scripts and its version information.
//   pe_resources.exe MODULE
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return 1;
    if (FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB")) {
        ITypeLib* library = nullptr;
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(LoadTypeLibEx(argv[1], REGKIND_NONE, &library)) && SUCCEEDED(library->GetLibAttr(&attributes))) {
            const char* kinds[] = {"win16", "win32", "mac", "win64"};
            std::printf("TYPELIB 1 %s %u.%u\n", attributes->syskind < 4 ? kinds[attributes->syskind] : "?",
                        attributes->wMajorVerNum, attributes->wMinorVerNum);
            library->ReleaseTLibAttr(attributes);
            library->Release();
        }
    }
    for (int id : {4000, 4001, 4002})
        if (FindResourceExW(module, L"REGISTRY", MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)))
            std::printf("REGISTRY %d\n", id);
    HRSRC version = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (version) {
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, version)));
        std::vector<BYTE> copy(data, data + SizeofResource(module, version));
        for (const wchar_t* name : {L"CompanyName", L"ProductName", L"FileVersion", L"ProductVersion", L"OriginalFilename"}) {
            wchar_t* value = nullptr;
            UINT length = 0;
            std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            if (VerQueryValueW(copy.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
                std::printf("VERSION %ls=%ls\n", name, value);
        }
    }
    FreeLibrary(module);
    return 0;
}
