// Finding the writer's virtual printer and making it the host's printer.
#include "writer/printer_detection.h"

#include "addin/project_addin_obj.h"
#include "addin/resource_ids.h"
#include "addin/resource_library.h"
#include "platform/platform.h"
#include "writer/writer_settings.h"

namespace vrz {

int ProjectAddinObj::CheckWriterPrinter() {
    // Only the printer this probe finds as default is restored after the publish.
    SavedDefaultPrinter.clear();
    Platform& platform = CurrentPlatform();
    std::wstring defaultPrinter;
    if (!platform.DefaultPrinterName(defaultPrinter) || !platform.CanOpenPrinter(defaultPrinter))
        throw NoUsableDefaultPrinter{};

    std::wstring driver = ReadString((kPrintersKey + defaultPrinter).c_str(), kRootLocalMachine, L"Printer Driver");
    if (driver == kWriterDriverName) {
        CallFilePrintSetup(defaultPrinter);
        return 0;
    }
    SavedDefaultPrinter = defaultPrinter;

    std::vector<PrinterInfo> printers;
    if (!platform.EnumLocalPrinters(printers)) return 0;  // print to whatever the host has
    for (const PrinterInfo& printer : printers) {
        if (printer.driver == kWriterDriverName) {
            CallFilePrintSetup(printer.name);
            return 0;
        }
    }
    ShowResMessage(ResourceLibrary, nullptr, res::NoWriterPrinter, res::MessageCaption);
    return 1;
}

}  // namespace vrz
