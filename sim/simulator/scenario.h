#pragma once
// Scripted sessions: a small scenario language, one step a line, run against the simulated host
// with the add-ins loaded as the host loads them. Expectations make scenarios end-to-end tests.
#include <map>
#include <string>

#include "dialog_watcher.h"
#include "host_session.h"
#include "transcript.h"

namespace simulator {

struct ScenarioContext {
    Transcript& transcript;
    HostSession& host;
    DialogWatcher& dialogs;
    std::wstring mailRecordFile;  // written by the recording mail library
    std::wstring helpRecordFile;  // written by the help viewer stand-in
    std::wstring pictureFolder;
};

// Runs the scenario text; returns true when every step ran and every expectation held.
bool RunScenario(const std::string& text, ScenarioContext& context);

// The scenarios the simulator carries, by name.
const std::map<std::string, std::string>& BuiltinScenarios();

}  // namespace simulator
