#pragma once
// Answers the message boxes the add-in opens: a thread finds each dialog window of this process,
// records its caption, text and owner, and presses OK, so a run never blocks.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace simulator {

struct Dialog {
    std::wstring caption, text;
    HWND owner;
};

class DialogWatcher {
public:
    DialogWatcher();
    ~DialogWatcher();
    // The dialogs answered since the last call.
    std::vector<Dialog> Take();

private:
    void Run();
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<Dialog> answered_;
    std::vector<HWND> seen_;
    std::thread thread_;
};

}  // namespace simulator
