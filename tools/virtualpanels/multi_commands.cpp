#include "tools/virtualpanels/multi_commands.h"

#include <cctype>
#include <cmath>
#include <sstream>

namespace orvex::virtualpanels {

namespace {

constexpr double kMaxLeverMs = 600000;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Plan Error(const std::string& text) { return Plan{"error " + text, {}, false}; }

// The tokens from `first` on, each after a space.
std::string Rest(const std::vector<std::string>& t, size_t first) {
    std::string text;
    for (size_t i = first; i < t.size(); ++i) text += " " + t[i];
    return text;
}

} // namespace

std::optional<Plan> InterpretMultiCommand(const PanelBank& bank, const Device& device,
                                          const std::vector<std::string>& t) {
    if (t.size() < 2) return std::nullopt;
    const std::string verb = Lower(t[0]);
    if (verb != "mode" && verb != "knob" && verb != "trim" && verb != "flaps" && verb != "at") return std::nullopt;
    if (device.model.Kind() != PanelKind::Multi)
        return Error(verb + " is a Multi Panel command; device " + t[1] + " is a " + Info(device.model.Kind()).name +
                     " panel");
    const std::string dev = " " + t[1];
    const size_t args = t.size() - 2;
    const std::string first = args >= 1 ? Lower(t[2]) : "";

    if (verb == "mode") {
        if (args < 1) return Error("usage: mode <dev> alt|vs|ias|hdg|crs");
        return Interpret(bank, "selector" + dev + " mode " + first);
    }
    if (verb == "knob") {
        if (args < 1) return Error("usage: knob <dev> <notches> [per-second]");
        return Interpret(bank, "turn" + dev + " knob" + Rest(t, 2));
    }
    if (verb == "trim") {
        if (args < 1) return Error("usage: trim <dev> up|down [notches] [per-second]");
        if (first != "up" && first != "down") return Interpret(bank, "turn" + dev + " trim" + Rest(t, 2));
        const std::string notches = args >= 2 ? t[3] : "1";
        if (notches.empty() || !std::isdigit(static_cast<unsigned char>(notches[0])))
            return Error("bad notch count " + notches);
        return Interpret(bank, "turn" + dev + " trim " + (first == "down" ? "-" : "") + notches + Rest(t, 4));
    }
    if (verb == "at") {
        if (first != "arm" && first != "on" && first != "off") return Error("usage: at <dev> arm|off");
        return Interpret(bank, "switch" + dev + " at " + (first == "off" ? "off" : "on"));
    }
    // flaps
    if (first != "up" && first != "down" && first != "mid") return Error("usage: flaps <dev> up|down|mid [ms]");
    Plan plan = Interpret(bank, "selector" + dev + " flaps " + first);
    if (args < 2 || plan.steps.empty()) return plan;
    if (first == "mid") return Error("the lever springs back from up or down, not from mid");
    std::istringstream in(t[3]);
    double ms = 0;
    if (!(in >> ms) || !in.eof() || !std::isfinite(ms) || ms < 0 || ms > kMaxLeverMs)
        return Error("bad lever time " + t[3]);
    Step back = plan.steps.front();
    back.atMs = ms;
    back.bits = device.model.FindSelectorPosition("flaps", "mid").value_or(std::pair<uint32_t, uint32_t>{}).second;
    plan.steps.push_back(back);
    return plan;
}

} // namespace orvex::virtualpanels
