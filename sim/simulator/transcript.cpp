#include "transcript.h"

#include <cstdio>

namespace simulator {
namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out;
}

}  // namespace

void Transcript::Step(const std::string& text) {
    ++step_;
    events_.push_back({step_, "step", text});
    std::printf("\n[%d] %s\n", step_, text.c_str());
    std::fflush(stdout);
}

void Transcript::Add(const std::string& kind, const std::string& text) {
    events_.push_back({step_, kind, text});
    if (kind == "expect" && text.rfind("FAILED", 0) == 0) ++failures;
    if (kind == "error") ++failures;
    std::string indented;
    for (char c : text) indented += c == '\n' ? std::string("\n             ") : std::string(1, c);
    std::printf("    %-8s %s\n", kind.c_str(), indented.c_str());
    std::fflush(stdout);
}

std::string Transcript::Json(const std::string& scenario, bool passed) const {
    std::string json = "{\n  \"scenario\": \"" + Escape(scenario) + "\",\n  \"passed\": " +
                       (passed ? "true" : "false") + ",\n  \"events\": [\n";
    for (size_t i = 0; i < events_.size(); ++i) {
        const Event& e = events_[i];
        json += "    {\"step\": " + std::to_string(e.step) + ", \"kind\": \"" + Escape(e.kind) + "\", \"text\": \"" +
                Escape(e.text) + "\"}" + (i + 1 < events_.size() ? ",\n" : "\n");
    }
    return json + "  ]\n}\n";
}

}  // namespace simulator
