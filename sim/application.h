#pragma once
// The Application object of the simulated Microsoft Project, reached only through IDispatch.
#include <string>

#include "command_bars.h"
#include "project.h"
#include "virtual_printer.h"

namespace sim {

class SimApplication final : public SimObject {
public:
    explicit SimApplication(std::wstring printerOutputFolder);

    SimCommandBars* CommandBars() const { return commandBars_.Get(); }
    // Opens a project as the active document; null closes every document.
    void SetActiveProject(Ref<SimProject> project) { activeProject_ = project; }
    SimProject* ActiveProject() const { return activeProject_.Get(); }
    VirtualPrinter& Printer() { return printer_; }

    std::wstring version = L"11.0";
    std::wstring selectedPrinter;  // the host's printer, as FilePrintSetup left it
    bool printSucceeds = true;      // what FilePrint answers
    int printCount = 0;

private:
    ~SimApplication() override = default;
    HRESULT FilePrint(Call& call);

    Ref<SimCommandBars> commandBars_;
    Ref<SimProject> activeProject_;
    VirtualPrinter printer_;
};

}  // namespace sim
