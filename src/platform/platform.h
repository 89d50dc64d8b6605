#pragma once
// The platform seam: the few system services that tests must observe or control.
// The product runs on the Win32 implementation; a test installs its own.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vrz {

struct PrinterInfo {
    std::wstring name;
    std::wstring driver;
};

// A loaded mail library; unloads itself when destroyed.
class MailLibrary {
public:
    virtual ~MailLibrary() = default;
    // The named export, or null when the library lacks it.
    virtual FARPROC Export(const char* name) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;

    // Print spooler.
    virtual bool DefaultPrinterName(std::wstring& name) = 0;
    virtual bool CanOpenPrinter(const std::wstring& name) = 0;  // opens and closes again at once
    virtual bool EnumLocalPrinters(std::vector<PrinterInfo>& printers) = 0;
    virtual bool MakeDefaultPrinter(const std::wstring& name) = 0;

    // Shell.
    virtual bool GetLocalAppDataFolder(std::wstring& path) = 0;
    virtual void OpenDocument(const std::wstring& path) = 0;

    // "MAPI32.DLL", loaded by name; null when it cannot be loaded.
    virtual std::unique_ptr<MailLibrary> LoadMailLibrary() = 0;

    virtual HWND ActiveWindow() = 0;

    // Runs work on a new thread at below-normal priority; the thread keeps this module loaded
    // until the work has returned. False when the thread could not be started.
    virtual bool StartWorker(std::function<void()> work) = 0;
};

// The platform in use: the installed one, or the Win32 implementation.
Platform& CurrentPlatform();
// Installs a platform (null restores the Win32 one). For tests.
void InstallPlatform(Platform* platform);

}  // namespace vrz
