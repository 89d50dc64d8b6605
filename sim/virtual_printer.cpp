#include "virtual_printer.h"

#include <cstdio>

#include "writer/writer_settings.h"
#include "zip_writer.h"

namespace sim {

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string VirtualPrinter::Package(const SimProject& project) {
    std::vector<ZipEntry> entries;
    std::string manifest = "<vrz project=\"" + Narrow(project.name) + "\" pages=\"" +
                           std::to_string(project.tasks.size()) + "\"/>\n";
    entries.push_back({"manifest.xml", manifest});
    for (size_t i = 0; i < project.tasks.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "pages/page%03zu.txt", i + 1);
        entries.push_back({name, "Task " + std::to_string(i + 1) + ": " + Narrow(project.tasks[i]) + "\n"});
    }
    return BuildZip(entries);
}

std::wstring VirtualPrinter::Print(const SimProject& project) {
    std::wstring token = vrz::ReadString(vrz::kWriterKey, vrz::kRootLocalMachine, vrz::kPublishAndEmailValue);
    std::wstring document = project.name.substr(0, project.name.rfind(L'.'));
    std::wstring path = token.empty() ? outputFolder_ + L"\\" + document + L".vrz"
                                      : vrz::ReadString(vrz::kWriterKey, vrz::kRootLocalMachine,
                                                        vrz::kPublishPathNameValue);
    lastPath = path;
    std::string package = Package(project);
    hasPending_ = false;
    switch (behaviour) {
        case PrinterBehaviour::Normal: WriteFileBytes(path, package); break;
        case PrinterBehaviour::Late: pending_ = package; hasPending_ = true; break;
        case PrinterBehaviour::EmptyThenFilled:
            WriteFileBytes(path, "");
            pending_ = package;
            hasPending_ = true;
            break;
        case PrinterBehaviour::Truncated: WriteFileBytes(path, package.substr(0, package.size() - 30)); break;
        case PrinterBehaviour::NoStoredData: WriteFileBytes(path, BuildZip({{"manifest.xml", ""}, {"pages/", ""}})); break;
        case PrinterBehaviour::Never: break;
    }
    return path;
}

bool VirtualPrinter::CompletePending() {
    if (!hasPending_) return false;
    hasPending_ = false;
    return WriteFileBytes(lastPath, pending_);
}

}  // namespace sim
