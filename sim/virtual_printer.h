#pragma once
// The substitute of the writer's virtual printer. It honours the printer contract: while the
// writer settings hold an e-mail job token it writes the package to the agreed path, otherwise
// into its own output folder. It can also misbehave on purpose.
#include <string>

#include "project.h"

namespace sim {

enum class PrinterBehaviour {
    Normal,           // the complete package at once
    Late,             // nothing now; the package when CompletePending() runs
    EmptyThenFilled,  // an empty file now; the package when CompletePending() runs
    Truncated,        // a package cut off before its end record
    NoStoredData,     // a valid archive whose entries are all empty
    Never,            // no file at all
};

class VirtualPrinter {
public:
    explicit VirtualPrinter(std::wstring outputFolder) : outputFolder_(std::move(outputFolder)) {}
    // Prints the project; returns the path written or to be written.
    std::wstring Print(const SimProject& project);
    // Finishes a late or empty-first write; false when none is pending.
    bool CompletePending();
    // The package the printer makes for a project.
    static std::string Package(const SimProject& project);

    PrinterBehaviour behaviour = PrinterBehaviour::Normal;
    std::wstring lastPath;

private:
    std::wstring outputFolder_;
    std::string pending_;
    bool hasPending_ = false;
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace sim
