#pragma once
// What the tests share: a private HKEY_LOCAL_MACHINE per test, the fake platform, and a simulated
// host with the add-in's resource library installed.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>
#include <map>
#include <string>
#include <vector>

#include "application.h"
#include "platform/platform.h"

namespace test {

// The folder of the test program, where the build puts VRZAddinsRes.dll too.
std::wstring ProgramFolder();
// A fresh empty folder for this test under the Wine prefix's temp folder.
std::wstring ScratchFolder();
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Redirects HKEY_LOCAL_MACHINE of this process to an empty scratch key for its lifetime.
class PrivateLocalMachine {
public:
    PrivateLocalMachine();
    ~PrivateLocalMachine();

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

void SetMachineString(const std::wstring& key, const wchar_t* name, const std::wstring& value);
void SetMachineDword(const std::wstring& key, const wchar_t* name, DWORD value);
// The raw value: type and bytes; false when missing.
bool GetMachineValue(const std::wstring& key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data);
void AddPrinter(const std::wstring& name, const std::wstring& driver);
// Lets everyone have only `allowed` on an existing key (as a user without rights sees it).
void RestrictMachineKey(const std::wstring& key, ACCESS_MASK allowed);

struct Message {
    HWND owner;
    std::wstring text, caption;
    UINT style;
};

// A platform whose services the test observes and controls.
class FakePlatform : public vrz::Platform {
public:
    FakePlatform() { vrz::InstallPlatform(this); }
    ~FakePlatform() override {
        JoinWorkers();
        vrz::InstallPlatform(nullptr);
    }
    std::mutex lock;  // guards what worker threads record

    int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) override;
    void Sleep(DWORD ms) override;
    bool DefaultPrinterName(std::wstring& name) override;
    bool CanOpenPrinter(const std::wstring& name) override;
    bool EnumLocalPrinters(std::vector<vrz::PrinterInfo>& printers) override;
    bool MakeDefaultPrinter(const std::wstring& name) override;
    bool GetLocalAppDataFolder(std::wstring& path) override;
    void OpenDocument(const std::wstring& path) override;
    std::unique_ptr<vrz::MailLibrary> LoadMailLibrary() override;
    HWND ActiveWindow() override { return activeWindow; }
    bool StartWorker(std::function<void()> work) override;

    std::vector<Message> messages;
    std::vector<DWORD> sleeps;
    std::function<void(size_t sleepCount)> onSleep;  // runs after each recorded sleep
    std::wstring defaultPrinter;                     // empty: no default printer
    bool defaultPrinterOpens = true;
    bool enumFails = false;
    std::vector<vrz::PrinterInfo> printers;
    std::vector<std::wstring> defaultPrinterSets;
    std::wstring localAppData;
    std::vector<std::wstring> openedDocuments;
    std::map<std::string, FARPROC> mailExports;  // empty: no mail library
    HWND activeWindow = reinterpret_cast<HWND>(0x1234);
    bool runWorkerInline = true;   // false: the work is kept for the test to run
    bool realThreads = false;      // the work runs on a thread of its own; sleeps yield
    void JoinWorkers();
    bool workerStarts = true;
    std::vector<std::function<void()>> pendingWorkers;
    std::vector<std::thread> threads;
    int mailLibraryLoads = 0;
};

}  // namespace test
