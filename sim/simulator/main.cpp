// The host simulator: behaves as Microsoft Project does towards its add-ins, runs a scripted
// session, and shows what the add-in did.
//
//   VRZHostSim --setup-writer             install the writer's settings, help file and printers
//   VRZHostSim [--scenario NAME | --file PATH] [--json PATH] [--out FOLDER]
//   VRZHostSim --list
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "scenario.h"
#include "sim_object.h"
#include "writer/writer_settings.h"

using namespace simulator;

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// What the writer's setup leaves on a machine: its settings key naming the installation folder
// (which holds the resource library and the help file); the printers are set per scenario.
// The help viewer stand-in opens .chm files so the simulator can see what Help asked for.
int SetupWriter() {
    std::wstring folder = ProgramFolder();
    SetRegistryString(HKEY_LOCAL_MACHINE, vrz::kWriterKey, vrz::kInstallDirValue, folder);
    std::ofstream(std::filesystem::path(folder + L"\\VRZ_Writer_2D_Help.chm")) << "VRZ Writer help\n";
    SetRegistryString(HKEY_CLASSES_ROOT, L".chm", nullptr, L"VRZSim.HelpFile");
    SetRegistryString(HKEY_CLASSES_ROOT, L"VRZSim.HelpFile\\shell\\open\\command", nullptr,
              L"\"" + folder + L"\\VRZHelpViewer.exe\" \"%1\"");
    std::printf("writer installed in %s\n", sim::Narrow(folder).c_str());
    return 0;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::string scenarioName = "tour", scenarioText, jsonPath;
    std::wstring outFolder = L".";
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        std::wstring next = i + 1 < argc ? argv[i + 1] : L"";
        if (arg == L"--setup-writer") return SetupWriter();
        if (arg == L"--list") {
            for (const auto& [name, text] : BuiltinScenarios()) std::printf("%s\n", name.c_str());
            return 0;
        }
        if (arg == L"--scenario") scenarioName = sim::Narrow(next), ++i;
        else if (arg == L"--file") {
            std::ifstream file{std::filesystem::path(next)};
            std::stringstream text;
            text << file.rdbuf();
            scenarioText = text.str();
            scenarioName = sim::Narrow(next);
            ++i;
        } else if (arg == L"--json") jsonPath = sim::Narrow(next), ++i;
        else if (arg == L"--out") outFolder = next, ++i;
        else {
            std::fprintf(stderr, "unknown argument: %s\n", sim::Narrow(arg).c_str());
            return 2;
        }
    }
    if (scenarioText.empty()) {
        auto found = BuiltinScenarios().find(scenarioName);
        if (found == BuiltinScenarios().end()) {
            std::fprintf(stderr, "no scenario named %s (see --list)\n", scenarioName.c_str());
            return 2;
        }
        scenarioText = found->second;
    }

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring mailRecord = TempFile(L"vrz-sim-mail.txt"), helpRecord = TempFile(L"vrz-sim-help.txt");
    SetEnvironmentVariableW(L"VRZ_MAPI_RECORD", mailRecord.c_str());
    SetEnvironmentVariableW(L"VRZ_HELP_RECORD", helpRecord.c_str());
    std::wstring printerOutput = TempFile(L"vrz-sim-printed");
    CreateDirectoryW(printerOutput.c_str(), nullptr);

    Transcript transcript;
    std::printf("scenario %s\n", scenarioName.c_str());
    bool passed;
    {
        DialogWatcher dialogs;
        HostSession host(transcript, printerOutput);
        ScenarioContext context{transcript, host, dialogs, mailRecord, helpRecord, outFolder};
        passed = RunScenario(scenarioText, context);
    }
    std::printf("\n%s: %s (%d failed)\n", scenarioName.c_str(), passed ? "passed" : "FAILED", transcript.failures);
    if (!jsonPath.empty()) std::ofstream(jsonPath) << transcript.Json(scenarioName, passed);
    CoUninitialize();
    return passed ? 0 : 1;
}
