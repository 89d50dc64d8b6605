#pragma once
// The record of the current e-mail publish, shared with its completion worker.
#include <windows.h>
#include <atomic>
#include <string>

namespace vrz {

struct PublishJobRecord {
    std::wstring jobFilePath;
    std::wstring jobToken;
    std::wstring jobFolder;
    std::atomic<LONG> jobBusy{0};  // the only field both threads write
    std::wstring jobBaseName;
};

extern PublishJobRecord PublishJob;
// The window that was active when the user last published; the mail dialog's parent.
extern std::atomic<HWND> mailOwnerWindow;

}  // namespace vrz
