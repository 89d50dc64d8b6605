#include "application.h"

#include "publishing/host_interfaces.h"
#include "writer/printer_detection.h"
#include "writer/writer_settings.h"

namespace sim {

SimApplication::SimApplication(std::wstring printerOutputFolder)
    : SimObject("Application", {vrz::IID_HostApplication}),
      commandBars_(Make<SimCommandBars>()),
      printer_(std::move(printerOutputFolder)) {
    Member(1, L"Version", [this](Call& c) { return ReturnString(c, version); });
    Member(2, L"CommandBars", [this](Call& c) { return ReturnObject(c, commandBars_.Get()); });
    Member(3, L"ActiveProject", [this](Call& c) { return ReturnObject(c, activeProject_.Get()); });
    Member(4, L"FilePrint", [this](Call& c) { return FilePrint(c); });
    Member(5, L"FilePrintSetup", [this](Call& c) {
        return ArgString(c, 0, selectedPrinter) ? S_OK : DISP_E_TYPEMISMATCH;
    });
    // Property 5002: an object while there is a document to publish.
    Member(vrz::kDispidActiveDocument, L"ActiveWindowDocument",
           [this](Call& c) { return ReturnObject(c, activeProject_.Get()); });
}

HRESULT SimApplication::FilePrint(Call& call) {
    ++printCount;
    if (activeProject_ && printSucceeds) {
        std::wstring driver = vrz::ReadString((std::wstring(vrz::kPrintersKey) + selectedPrinter).c_str(),
                                              vrz::kRootLocalMachine, L"Printer Driver");
        if (driver == vrz::kWriterDriverName) printer_.Print(*activeProject_.Get());
    }
    return ReturnBool(call, activeProject_ && printSucceeds);
}

}  // namespace sim
