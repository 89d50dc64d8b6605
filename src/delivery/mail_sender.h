#pragma once
// The mail step of an e-mail publish: the printed package goes to the user's mail client as the
// attachment of a new message, through Simple MAPI.
#include <windows.h>
#include <string>

namespace vrz {

enum class MailOutcome {
    Finished,          // mailed, discarded by the user, failed and reported, or called off
    PackageNotReady,   // the package failed its check and may still be being written
};

// `resources` is the worker's own handle of the resource library (message texts). When the
// package fails its check, a final attempt shows message 504; an earlier one reports
// PackageNotReady and shows nothing.
MailOutcome SendPackageMail(const std::wstring& filePath, const std::wstring& baseName, HMODULE resources,
                            bool finalAttempt);

}  // namespace vrz
