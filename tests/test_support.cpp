#include "test_support.h"

#include <cstdio>

#include "addin_host.h"

namespace test {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring ScratchFolder() {
    // Named by a fresh GUID: Wine reuses process ids, so they cannot tell runs apart.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GUID guid{};
    CoCreateGuid(&guid);
    wchar_t name[40];
    StringFromGUID2(guid, name, 40);
    std::wstring folder = std::wstring(temp) + L"vrz-test-" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

PrivateLocalMachine::PrivateLocalMachine() {
    path_ = L"Software\\VRZTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_);
}

PrivateLocalMachine::~PrivateLocalMachine() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

void SetMachineString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

void SetMachineDword(const std::wstring& key, const wchar_t* name, DWORD value) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(handle);
}

bool GetMachineValue(const std::wstring& key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    HKEY handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG status = RegQueryValueExW(handle, name, nullptr, &type, nullptr, &size);
    data.resize(size);
    if (status == ERROR_SUCCESS) status = RegQueryValueExW(handle, name, nullptr, &type, data.data(), &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void AddPrinter(const std::wstring& name, const std::wstring& driver) {
    SetMachineString(L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + name, L"Printer Driver", driver);
}

void RestrictMachineKey(const std::wstring& path, ACCESS_MASK allowed) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    BYTE aclBuffer[256];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    if (allowed) AddAccessAllowedAce(acl, ACL_REVISION, allowed, everyone);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    RegCloseKey(key);
    FreeSid(everyone);
}

int FakePlatform::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    std::lock_guard<std::mutex> guard(lock);
    messages.push_back({owner, text, caption, style});
    return IDOK;
}

void FakePlatform::Sleep(DWORD ms) {
    size_t count;
    {
        std::lock_guard<std::mutex> guard(lock);
        sleeps.push_back(ms);
        count = sleeps.size();
    }
    if (realThreads) ::Sleep(0);  // let the other thread run
    if (onSleep) onSleep(count);
}

bool FakePlatform::DefaultPrinterName(std::wstring& name) {
    if (defaultPrinter.empty()) return false;
    name = defaultPrinter;
    return true;
}

bool FakePlatform::CanOpenPrinter(const std::wstring&) { return defaultPrinterOpens; }

bool FakePlatform::EnumLocalPrinters(std::vector<vrz::PrinterInfo>& out) {
    if (enumFails) return false;
    out = printers;
    return true;
}

bool FakePlatform::MakeDefaultPrinter(const std::wstring& name) {
    defaultPrinterSets.push_back(name);
    return true;
}

bool FakePlatform::GetLocalAppDataFolder(std::wstring& path) {
    if (localAppData.empty()) return false;
    path = localAppData;
    return true;
}

void FakePlatform::OpenDocument(const std::wstring& path) { openedDocuments.push_back(path); }

namespace {
class FakeMailLibrary : public vrz::MailLibrary {
public:
    explicit FakeMailLibrary(const std::map<std::string, FARPROC>& exports) : exports_(exports) {}
    FARPROC Export(const char* name) override {
        auto found = exports_.find(name);
        return found == exports_.end() ? nullptr : found->second;
    }

private:
    std::map<std::string, FARPROC> exports_;
};
}  // namespace

std::unique_ptr<vrz::MailLibrary> FakePlatform::LoadMailLibrary() {
    std::lock_guard<std::mutex> guard(lock);
    ++mailLibraryLoads;
    if (mailExports.empty()) return nullptr;
    return std::make_unique<FakeMailLibrary>(mailExports);
}

bool FakePlatform::StartWorker(std::function<void()> work) {
    if (!workerStarts) return false;
    if (realThreads) threads.emplace_back(std::move(work));
    else if (runWorkerInline) work();
    else pendingWorkers.push_back(std::move(work));
    return true;
}

void FakePlatform::JoinWorkers() {
    for (std::thread& thread : threads) thread.join();
    threads.clear();
}

size_t CountCalls(const std::string& text) {
    size_t count = 0;
    for (const std::string& entry : sim::Journal::Get().Entries())
        if (entry.find(text) != std::string::npos) ++count;
    return count;
}

}  // namespace test
