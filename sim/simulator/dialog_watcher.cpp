#include "dialog_watcher.h"

#include <algorithm>
#include <utility>

namespace simulator {
namespace {

// Collects the visible dialog windows of this process.
BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (process == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

}  // namespace

DialogWatcher::DialogWatcher() : thread_([this] { Run(); }) {}

DialogWatcher::~DialogWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<Dialog> DialogWatcher::Take() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(answered_, {});
}

void DialogWatcher::Run() {
    while (!stop_) {
        std::vector<HWND> dialogs;
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
        for (HWND dialog : dialogs) {
            if (std::find(seen_.begin(), seen_.end(), dialog) != seen_.end()) continue;
            seen_.push_back(dialog);
            wchar_t caption[512] = {}, text[2048] = {};
            GetWindowTextW(dialog, caption, 512);
            GetDlgItemTextW(dialog, 0xFFFF, text, 2048);  // the message box's static text
            {
                std::lock_guard<std::mutex> guard(lock_);
                answered_.push_back({caption, text, GetWindow(dialog, GW_OWNER)});
            }
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
        // A handle may be reused once its dialog is gone.
        seen_.erase(std::remove_if(seen_.begin(), seen_.end(),
                                   [&](HWND h) { return std::find(dialogs.begin(), dialogs.end(), h) == dialogs.end(); }),
                    seen_.end());
        Sleep(20);
    }
}

}  // namespace simulator
