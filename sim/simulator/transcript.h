#pragma once
// What a simulator run shows a person: each step and what the add-in did in the host, as text
// as it happens and, on request, as JSON for other tools.
#include <string>
#include <vector>

namespace simulator {

struct Event {
    int step;
    std::string kind;  // step, host, message, printer, mail, registry, figure, expect, error
    std::string text;
};

class Transcript {
public:
    void Step(const std::string& text);
    void Add(const std::string& kind, const std::string& text);
    std::string Json(const std::string& scenario, bool passed) const;
    int failures = 0;

private:
    int step_ = 0;
    std::vector<Event> events_;
};

}  // namespace simulator
