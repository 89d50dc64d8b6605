#include "scenario.h"

namespace simulator {

const std::map<std::string, std::string>& BuiltinScenarios() {
    static const std::map<std::string, std::string> scenarios = {
        {"tour", R"(# Connect, look at the add-in's commands, use each of them, disconnect.
start
show
expect addin-commands 5
picture tour
open "Schedule.mpp" tasks=4 resources=2
click "Publish to VRZ"
expect printed
expect no-message
click "Publish to VRZ and e-mail"
expect printed
wait-mail 15
expect mail
expect setting PublishAndEmail ""
expect setting PublishPathName ""
click "Nimbrova VRZ Menu"
expect printed
click "Nimbrova VRZ Menu Mail"
wait-mail 15
expect mail
click "VRZ Writer &Help"
expect help
stop
expect module-unloaded
figures
)"},
        {"no-document", R"(start
click "Publish to VRZ"
expect no-message
expect not-printed
click "Publish to VRZ and e-mail"
expect no-message
stop
)"},
        {"empty-project", R"(start
open "Empty.mpp" tasks=0 resources=0
click "Publish to VRZ"
expect message "nothing to publish"
expect not-printed
stop
)"},
        {"no-writer-printer", R"(start
remove-printer "VRZ Writer"
open "Plan.mpp" tasks=2
click "Publish to VRZ"
expect message "No printer uses the VRZ Writer driver"
expect not-printed
stop
)"},
        {"no-default-printer", R"(start
no-default-printer
open "Plan.mpp" tasks=2
click "Publish to VRZ"
expect message "no default printer"
stop
)"},
        {"printer-late", R"(start
open "Late.mpp" tasks=3
printer-behaviour late
click "Publish to VRZ and e-mail"
wait 3
expect no-mail
complete-print
wait-mail 15
expect mail
stop
)"},
        {"printer-never", R"(start
open "Never.mpp" tasks=3
printer-behaviour never
click "Publish to VRZ and e-mail"
wait 3
expect no-mail
expect setting PublishPathName "*Never.vrz"
stop
expect module-loaded
)"},
        {"printer-broken-package", R"(start
open "Broken.mpp" tasks=3
printer-behaviour truncated
click "Publish to VRZ and e-mail"
wait-mail 15
expect message "could not be created"
expect no-mail
stop
)"},
        {"mail-client-missing", R"(start
mail-client absent
open "Plan.mpp" tasks=2
click "Publish to VRZ and e-mail"
wait-mail 15
expect no-mail
expect no-message
stop
)"},
        {"mail-client-fails", R"(start
mail-client result=2
open "Plan.mpp" tasks=2
click "Publish to VRZ and e-mail"
wait-mail 15
expect mail
expect message "could not be handed to your mail program"
stop
)"},
        {"mail-discarded", R"(start
mail-client result=1
open "Plan.mpp" tasks=2
click "Publish to VRZ and e-mail"
wait-mail 15
expect mail
expect no-message
stop
)"},
        {"toolbar-placement", R"(start
move-toolbar 3 120
hide-toolbar
restart
expect toolbar row=3 left=120 hidden
show
stop
)"},
    };
    return scenarios;
}

}  // namespace simulator
