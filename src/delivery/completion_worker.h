#pragma once
// The background half of an e-mail publish: waits for the printed file, hands it to the mail
// step, and removes the file and its folder.
#include <windows.h>
#include <string>

namespace vrz {

// The worker's own copy of the job, taken before it starts.
struct CompletionJob {
    std::wstring filePath;
    std::wstring token;
    std::wstring folder;
    std::wstring baseName;
};

inline constexpr DWORD kPollIntervalMs = 1000;
inline constexpr unsigned kMaxFailedPolls = 5000;  // about 83 minutes

// Runs on the worker thread. `resources` is the worker's own handle of the resource library.
void RunCompletionWorker(const CompletionJob& job, HMODULE resources);

}  // namespace vrz
