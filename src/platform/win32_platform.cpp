// The Win32 implementation of the platform seam.
#include "platform/platform.h"

#include <shlobj.h>
#include <shellapi.h>
#include <winspool.h>

#include <atomic>

#include "com/unique_handle.h"

namespace vrz {

void PrinterTraits::Close(HANDLE h) { ClosePrinter(h); }

namespace {

class Win32MailLibrary : public MailLibrary {
public:
    explicit Win32MailLibrary(HMODULE module) : module_(module) {}
    FARPROC Export(const char* name) override { return GetProcAddress(module_.Get(), name); }

private:
    Library module_;
};

struct WorkerStart {
    std::function<void()> work;
    HMODULE module;
};

DWORD WINAPI WorkerMain(void* parameter) {
    auto* start = static_cast<WorkerStart*>(parameter);
    HMODULE module = start->module;
    try {
        start->work();
    } catch (...) {
        // A worker has no one to report to; the work itself reports what the user must see.
    }
    delete start;
    // The thread's own reference keeps this code mapped until the last instruction here.
    FreeLibraryAndExitThread(module, 1);
}

class Win32Platform : public Platform {
public:
    int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) override {
        return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    }

    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }

    bool DefaultPrinterName(std::wstring& name) override {
        wchar_t buffer[260] = {};
        DWORD size = static_cast<DWORD>(std::size(buffer));
        if (!GetDefaultPrinterW(buffer, &size)) return false;
        name = buffer;
        return true;
    }

    bool CanOpenPrinter(const std::wstring& name) override {
        PrinterHandle printer;
        return OpenPrinterW(const_cast<wchar_t*>(name.c_str()), printer.Put(), nullptr) != FALSE;
    }

    bool EnumLocalPrinters(std::vector<PrinterInfo>& printers) override {
        DWORD needed = 0, count = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed ? needed : 1);
        if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return false;
        auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        printers.clear();
        for (DWORD i = 0; i < count; ++i) {
            if (!records[i].pPrinterName) continue;  // a printer without a name cannot be selected
            printers.push_back({records[i].pPrinterName, records[i].pDriverName ? records[i].pDriverName : L""});
        }
        return true;
    }

    bool MakeDefaultPrinter(const std::wstring& name) override { return SetDefaultPrinterW(name.c_str()) != FALSE; }

    bool GetLocalAppDataFolder(std::wstring& path) override {
        LPITEMIDLIST items = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &items))) return false;
        wchar_t buffer[MAX_PATH] = {};
        BOOL ok = SHGetPathFromIDListW(items, buffer);
        CoTaskMemFree(items);
        if (!ok) return false;
        path = buffer;
        return true;
    }

    void OpenDocument(const std::wstring& path) override {
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
    }

    std::unique_ptr<MailLibrary> LoadMailLibrary() override {
        HMODULE module = LoadLibraryW(L"MAPI32.DLL");
        if (!module) return nullptr;
        return std::make_unique<Win32MailLibrary>(module);
    }

    HWND ActiveWindow() override { return GetActiveWindow(); }

    bool StartWorker(std::function<void()> work) override {
        HMODULE self = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkerMain), &self))
            return false;
        auto* start = new WorkerStart{std::move(work), self};
        HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start, 0, nullptr);
        if (!thread) {
            delete start;
            FreeLibrary(self);
            return false;
        }
        SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
        CloseHandle(thread);
        return true;
    }
};

Win32Platform win32Platform;
std::atomic<Platform*> installed{nullptr};

}  // namespace

Platform& CurrentPlatform() {
    Platform* platform = installed.load();
    return platform ? *platform : win32Platform;
}

void InstallPlatform(Platform* platform) { installed = platform; }

}  // namespace vrz
