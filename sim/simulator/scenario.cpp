#include "scenario.h"

#include <shlobj.h>
#include <winspool.h>

#include <cstdio>
#include <cwctype>
#include <sstream>

#include "picture.h"
#include "sim_object.h"
#include "writer/printer_detection.h"
#include "writer/writer_settings.h"

namespace simulator {
namespace {

constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr wchar_t kDevicesKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";
constexpr wchar_t kOtherDriver[] = L"Generic Office Laser";

std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
    return result;
}

// Words of a line; double quotes group words.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

// "key=value" options of a step.
std::string Option(const std::vector<std::string>& words, const std::string& key, const std::string& fallback = "") {
    for (const std::string& word : words)
        if (word.rfind(key + "=", 0) == 0) return word.substr(key.size() + 1);
    return fallback;
}

bool Has(const std::vector<std::string>& words, const std::string& flag) {
    for (const std::string& word : words)
        if (word == flag) return true;
    return false;
}

bool Matches(const std::string& text, const std::string& pattern) {
    if (!pattern.empty() && pattern[0] == '*') return text.size() >= pattern.size() - 1 &&
                                                      text.compare(text.size() - (pattern.size() - 1), std::string::npos,
                                                                   pattern, 1) == 0;
    return text == pattern;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::wstring JobFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\')) + L"\\Temp\\VRZ_Project";
}

class Runner {
public:
    explicit Runner(ScenarioContext& context) : c_(context) {}

    bool Run(const std::string& text) {
        Reset();
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> words = Words(line);
            if (words.empty() || words[0][0] == '#') continue;
            if (words[0] == "expect") {
                Expect(line, words);
                continue;
            }
            c_.transcript.Step(line);
            size_t mailsBefore = mails_.size();
            size_t messagesBefore = messages_.size();
            printed_ = false;
            if (!Act(words)) c_.transcript.Add("error", "unknown or malformed step: " + line);
            Collect();
            stepMessages_.assign(messages_.begin() + messagesBefore, messages_.end());
            stepMails_ = mails_.size() - mailsBefore;
            if (words[0] == "click" || words[0] == "wait-mail" || words[0] == "wait" || words[0] == "complete-print")
                lastPrinted_ = printed_ || (words[0] != "click" && lastPrinted_);
        }
        c_.host.Stop();
        return c_.transcript.failures == 0;
    }

private:
    // A known machine at the start of every scenario: the writer's printer and an office printer
    // (the default), no saved toolbar state, no pending job, a working mail client.
    void Reset() {
        for (const wchar_t* value : {vrz::kProjectBarIndexValue, vrz::kVisibleValue, vrz::kPublishAndEmailValue,
                                     vrz::kPublishPathNameValue})
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, vrz::kWriterKey, value);
        AddPrinter(L"Office Printer", kOtherDriver);
        AddPrinter(L"VRZ Writer", vrz::kWriterDriverName);
        SetRegistryString(HKEY_CURRENT_USER, kWindowsKey, L"Device", L"Office Printer,winspool,FILE:");
        SetEnvironmentVariableW(L"VRZ_MAPI_RESULT", nullptr);
        SetEnvironmentVariableW(L"VRZ_MAPI_ABSENT", nullptr);
        DeleteFileW(c_.mailRecordFile.c_str());
        DeleteFileW(c_.helpRecordFile.c_str());
    }

    void AddPrinter(const std::wstring& name, const std::wstring& driver) {
        std::wstring key = std::wstring(vrz::kPrintersKey) + name;
        SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Name", name);  // the spooler lists a printer by this value
        SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Printer Driver", driver);
        SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Print Processor", L"winprint");
        SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Datatype", L"RAW");
        SetRegistryString(HKEY_LOCAL_MACHINE, key, L"Port", L"FILE:");
        SetRegistryString(HKEY_CURRENT_USER, kDevicesKey, name.c_str(), L"winspool,FILE:");
    }

    sim::SimApplication* App() {
        if (!c_.host.Running()) c_.transcript.Add("error", "the host is not running (use start)");
        return c_.host.App();
    }

    sim::SimControl* FindControl(const std::wstring& text) {
        if (!App()) return nullptr;
        for (sim::SimControl* button : App()->CommandBars()->AllButtons())
            if (button->tag == text || button->caption == text) return button;
        return nullptr;
    }

    sim::SimCommandBar* AddinToolbar() {
        if (!App()) return nullptr;
        return App()->CommandBars()->Find(L"VRZ Writer");
    }

    bool Act(const std::vector<std::string>& w) {
        const std::string& verb = w[0];
        if (verb == "start") {
            DescribePrinters();
            c_.host.Start();
        } else if (verb == "stop") {
            c_.host.Stop();
        } else if (verb == "restart") {
            c_.host.Stop();
            c_.host.Start();
        } else if (verb == "show") {
            if (App()) c_.transcript.Add("host", "command bars:\n" + App()->CommandBars()->Describe());
        } else if (verb == "open" && w.size() >= 2) {
            if (!App()) return true;
            int tasks = std::stoi(Option(w, "tasks", "3"));
            std::vector<std::wstring> names;
            for (int i = 1; i <= tasks; ++i) names.push_back(L"Task " + std::to_wstring(i));
            App()->SetActiveProject(
                sim::Make<sim::SimProject>(Wide(w[1]), names, std::stoi(Option(w, "resources", "0"))));
            c_.transcript.Add("host", "project " + w[1] + " is the active document");
        } else if (verb == "close") {
            if (App()) App()->SetActiveProject({});
        } else if (verb == "printer" && w.size() >= 2) {
            AddPrinter(Wide(w[1]), Option(w, "driver") == "writer" ? vrz::kWriterDriverName : kOtherDriver);
            if (Has(w, "default")) SetRegistryString(HKEY_CURRENT_USER, kWindowsKey, L"Device", Wide(w[1]) + L",winspool,FILE:");
        } else if (verb == "remove-printer" && w.size() >= 2) {
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(vrz::kPrintersKey) + Wide(w[1])).c_str());
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevicesKey, Wide(w[1]).c_str());
        } else if (verb == "no-default-printer") {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kWindowsKey, L"Device");
        } else if (verb == "printer-behaviour" && w.size() >= 2 && App()) {
            static const std::map<std::string, sim::PrinterBehaviour> behaviours = {
                {"normal", sim::PrinterBehaviour::Normal},       {"late", sim::PrinterBehaviour::Late},
                {"empty-first", sim::PrinterBehaviour::EmptyThenFilled}, {"truncated", sim::PrinterBehaviour::Truncated},
                {"no-data", sim::PrinterBehaviour::NoStoredData}, {"never", sim::PrinterBehaviour::Never}};
            auto found = behaviours.find(w[1]);
            if (found == behaviours.end()) return false;
            App()->Printer().behaviour = found->second;
        } else if (verb == "print-result" && w.size() >= 2 && App()) {
            App()->printSucceeds = w[1] == "ok";
        } else if (verb == "complete-print" && App()) {
            if (App()->Printer().CompletePending()) {
                printed_ = true;
                printFinishedMs_ = NowMs();
                c_.transcript.Add("printer", "finished writing " + sim::Narrow(App()->Printer().lastPath));
            }
        } else if (verb == "mail-client" && w.size() >= 2) {
            if (w[1] == "absent") SetEnvironmentVariableW(L"VRZ_MAPI_ABSENT", L"1");
            else SetEnvironmentVariableW(L"VRZ_MAPI_RESULT", Wide(Option(w, "result", "0")).c_str());
        } else if (verb == "click" && w.size() >= 2) {
            sim::SimControl* control = FindControl(Wide(w[1]));
            if (!control) {
                c_.transcript.Add("error", "no control with tag or caption \"" + w[1] + "\"");
                return true;
            }
            int printsBefore = App()->printCount;
            std::wstring pathBefore = App()->Printer().lastPath;
            VARIANT_BOOL cancel = control->Click(VARIANT_FALSE);
            if (cancel != VARIANT_FALSE) c_.transcript.Add("error", "the add-in cancelled the host's default action");
            if (App()->printCount != printsBefore) {
                c_.transcript.Add("host", "printed to \"" + sim::Narrow(App()->selectedPrinter) + "\"");
                if (App()->Printer().lastPath != pathBefore || GetFileAttributesW(App()->Printer().lastPath.c_str()) !=
                                                                   INVALID_FILE_ATTRIBUTES) {
                    printed_ = App()->Printer().behaviour != sim::PrinterBehaviour::Never &&
                               App()->Printer().behaviour != sim::PrinterBehaviour::Late;
                    if (printed_) printFinishedMs_ = NowMs();
                    c_.transcript.Add("printer", (printed_ ? "wrote " : "will write ") +
                                                     sim::Narrow(App()->Printer().lastPath));
                }
            }
        } else if (verb == "wait-mail") {
            double deadline = NowMs() + 1000.0 * std::stod(w.size() > 1 ? w[1] : "15");
            std::wstring folder = JobFolder();
            while (NowMs() < deadline && GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
                Collect();
                Sleep(50);
            }
            c_.transcript.Add("host", GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES
                                          ? "the job folder is gone: the worker has finished"
                                          : "the job folder is still there");
        } else if (verb == "wait" && w.size() >= 2) {
            Sleep(static_cast<DWORD>(1000 * std::stod(w[1])));
        } else if (verb == "move-toolbar" && w.size() >= 3) {
            if (sim::SimCommandBar* bar = AddinToolbar()) {
                bar->rowIndex = std::stoi(w[1]);
                bar->left = std::stoi(w[2]);
            }
        } else if (verb == "hide-toolbar") {
            if (sim::SimCommandBar* bar = AddinToolbar()) bar->visible = false;
        } else if (verb == "figures") {
            Figures();
        } else if (verb == "picture" && w.size() >= 2) {
            if (!App()) return true;
            std::wstring file = c_.pictureFolder + L"\\" + Wide(w[1]) + L".bmp";
            if (SavePicture(*App()->CommandBars(), L"VRZ Writer", L"VRZ &Writer", file))
                c_.transcript.Add("host", "picture of the toolbar and menu: " + sim::Narrow(file));
            else
                c_.transcript.Add("error", "could not draw the picture");
        } else {
            return false;
        }
        return true;
    }

    // The machine's printers as the spooler lists them, and the default.
    void DescribePrinters() {
        DWORD needed = 0, count = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed ? needed : 1);
        std::string text;
        if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
            auto* printers = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                text += (i ? ", " : "") + sim::Narrow(printers[i].pPrinterName ? printers[i].pPrinterName : L"") + " (" +
                        sim::Narrow(printers[i].pDriverName ? printers[i].pDriverName : L"") + ")";
        } else {
            text = "the spooler cannot list them (error " + std::to_string(GetLastError()) + ")";
        }
        wchar_t defaultPrinter[260] = {};
        DWORD size = 260;
        text += GetDefaultPrinterW(defaultPrinter, &size) ? "; default " + sim::Narrow(defaultPrinter) : "; no default";
        c_.transcript.Add("host", "printers: " + text);
    }

    // Times of the last start and stop, each add-in against the baseline add-in when it is loaded,
    // and the time from the printer finishing a file to the mail library being called.
    void Figures() {
        const std::wstring baseline = L"VRZSim.EmptyAddin";
        double baseConnect = c_.host.ConnectMs(baseline), baseDisconnect = c_.host.DisconnectMs(baseline);
        for (const std::wstring& progId : c_.host.LastProgIds()) {
            if (progId == baseline) continue;
            char line[256];
            double connect = c_.host.ConnectMs(progId), disconnect = c_.host.DisconnectMs(progId);
            std::snprintf(line, sizeof(line), "%s: module load to end of OnConnection %.2f ms", sim::Narrow(progId).c_str(),
                          connect);
            std::string text = line;
            if (baseConnect > 0) {
                std::snprintf(line, sizeof(line), " (empty add-in %.2f ms, ratio %.1f)", baseConnect, connect / baseConnect);
                text += line;
            }
            std::snprintf(line, sizeof(line), "; OnDisconnection %.2f ms", disconnect);
            text += line;
            if (baseDisconnect > 0) {
                std::snprintf(line, sizeof(line), " (empty add-in %.3f ms, ratio %.1f)", baseDisconnect,
                              disconnect / baseDisconnect);
                text += line;
            }
            c_.transcript.Add("figure", text);
        }
        for (double delay : mailDelays_) {
            char line[160];
            std::snprintf(line, sizeof(line), "printer finished the file -> mail library called: %.0f ms (%.2f poll intervals)",
                          delay, delay / 1000.0);
            c_.transcript.Add("figure", line);
        }
    }

    // Messages the add-in showed, mails the mail client received, files the help viewer opened.
    void Collect() {
        for (const Dialog& dialog : c_.dialogs.Take()) {
            std::string text = "\"" + sim::Narrow(dialog.caption) + "\": " + sim::Narrow(dialog.text) +
                               (dialog.owner ? " (owned by a host window)" : " (no owner)");
            messages_.push_back(text);
            c_.transcript.Add("message", text);
        }
        std::string records = ReadAll(c_.mailRecordFile);
        size_t start;
        while ((start = records.find("api=", mailOffset_)) != std::string::npos) {
            size_t end = records.find("end\n", start);
            if (end == std::string::npos) break;
            std::string mail = records.substr(start, end - start);
            mailOffset_ = end + 4;
            mails_.push_back(mail);
            c_.transcript.Add("mail", "the mail client received:\n" + mail);
            size_t called = mail.find("called_ms=");
            if (called != std::string::npos && printFinishedMs_ > 0)
                mailDelays_.push_back(std::stod(mail.substr(called + 10)) - printFinishedMs_);
        }
        std::string help = ReadAll(c_.helpRecordFile);
        if (help.size() > helpOffset_) {
            c_.transcript.Add("host", "the shell opened the help file " + help.substr(helpOffset_));
            helpOffset_ = help.size();
            helpOpened_ = true;
        }
    }

    static std::string ReadAll(const std::wstring& path) {
        std::string bytes;
        if (FILE* file = _wfopen(path.c_str(), L"rb")) {
            char buffer[4096];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
            std::fclose(file);
        }
        return bytes;
    }

    void Expect(const std::string& line, const std::vector<std::string>& w) {
        Collect();
        std::string what = w.size() > 1 ? w[1] : "";
        bool held = false;
        if (what == "message" && w.size() > 2) {
            for (const std::string& message : stepMessages_)
                held = held || Lower(message).find(Lower(w[2])) != std::string::npos;
        } else if (what == "no-message") {
            held = stepMessages_.empty();
        } else if (what == "mail") {
            held = stepMails_ > 0;
        } else if (what == "no-mail") {
            held = stepMails_ == 0 && mails_.size() == mailsSeen_;
        } else if (what == "printed") {
            held = lastPrinted_;
        } else if (what == "not-printed") {
            held = !lastPrinted_;
        } else if (what == "help") {
            // The shell starts the viewer and returns; give it a moment to note the file.
            for (double deadline = NowMs() + 5000; !helpOpened_ && NowMs() < deadline; Sleep(50)) Collect();
            held = helpOpened_;
        } else if (what == "setting" && w.size() > 3) {
            std::string value = sim::Narrow(vrz::ReadString(vrz::kWriterKey, vrz::kRootLocalMachine, Wide(w[2]).c_str()));
            held = Matches(value, w[3]);
        } else if (what == "toolbar") {
            sim::SimCommandBar* bar = AddinToolbar();
            held = bar != nullptr;
            if (bar) {
                std::string row = Option(w, "row"), left = Option(w, "left");
                held = (row.empty() || std::stoi(row) == bar->rowIndex) && (left.empty() || std::stoi(left) == bar->left) &&
                       !(Has(w, "hidden") && bar->visible) && !(Has(w, "visible") && !bar->visible);
            }
        } else if (what == "module-unloaded" || what == "module-loaded") {
            held = (what == "module-loaded") != c_.host.ModulesStillLoaded().empty();
        } else if (what == "addin-commands" && w.size() > 2) {
            size_t count = 0;
            if (c_.host.Running())
                for (sim::SimControl* button : c_.host.App()->CommandBars()->AllButtons())
                    count += button->SinkCount() > 0 ? 1 : 0;
            held = count == static_cast<size_t>(std::stoi(w[2]));
        }
        mailsSeen_ = mails_.size();
        c_.transcript.Add("expect", (held ? "ok      " : "FAILED  ") + line.substr(line.find("expect") + 7));
    }

    ScenarioContext& c_;
    std::vector<std::string> messages_, stepMessages_, mails_;
    size_t stepMails_ = 0, mailsSeen_ = 0, mailOffset_ = 0, helpOffset_ = 0;
    bool printed_ = false, lastPrinted_ = false, helpOpened_ = false;
    double printFinishedMs_ = 0;
    std::vector<double> mailDelays_;
};

}  // namespace

bool RunScenario(const std::string& text, ScenarioContext& context) { return Runner(context).Run(text); }

}  // namespace simulator
