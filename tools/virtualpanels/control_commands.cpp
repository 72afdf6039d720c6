#include "tools/virtualpanels/control_commands.h"

#include "relaybox/hid/virtual_protocol.h"
#include "tools/virtualpanels/bip_face.h"
#include "tools/virtualpanels/multi_commands.h"
#include "tools/virtualpanels/multi_face.h"
#include "tools/virtualpanels/radio_face.h"
#include "tools/virtualpanels/switch_face.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

namespace orvex::virtualpanels {

using hid::virt::ToHex;

Device& PanelBank::Add(PanelKind kind, bool upperIds) {
    const int number = static_cast<int>(devices_.size()) + 1;
    Device device{number, PanelModel(kind),
                  hid::virt::DevicePath(kSaitekVendorId, Info(kind).productId, number, upperIds)};
    device.upperIds = upperIds;
    devices_.push_back(std::move(device));
    return devices_.back();
}

Device* PanelBank::Find(int number) {
    return number >= 1 && number <= static_cast<int>(devices_.size()) ? &devices_[static_cast<size_t>(number - 1)]
                                                                      : nullptr;
}

const Device* PanelBank::Find(int number) const {
    return const_cast<PanelBank*>(this)->Find(number);
}

std::string ReplugPath(uint16_t productId, int number, int replugs, bool upperIds) {
    std::string path = hid::virt::DevicePath(kSaitekVendorId, productId, number, upperIds);
    if (replugs == 0) return path;
    const std::string part = "virt#" + std::to_string(number) + "#";
    const size_t at = path.find(part);
    if (at != std::string::npos) path.insert(at + part.size() - 1, "r" + std::to_string(replugs));
    return path;
}

std::string DescribeDevice(const Device& d) {
    std::string text = std::to_string(d.number) + " " + Info(d.model.Kind()).name + " " +
                       (d.present ? "plugged" : "unplugged");
    if (Info(d.model.Kind()).inputLength > 0) {
        const InputReport report = d.model.Report();
        text += " input=" + ToHex(std::vector<uint8_t>(report.begin(), report.end()));
    }
    for (const auto& [id, report] : d.model.Features()) text += " feature=" + ToHex(report);
    const auto& s = d.model.Stats();
    text += " writes=" + std::to_string(s.writes);
    return text;
}

PanelView ViewOf(const Device& d) {
    return {d.present, d.model.Positions(), d.model.LastFeature(d.model.DefaultFeatureId()), d.model.PulseCounts(),
            d.model.Kind() == PanelKind::Bip ? d.model.LastFeature(bip::kBrightnessReportId) : std::vector<uint8_t>{}};
}

const char* CommandSummary() {
    return "list | path <dev> | state <dev> | input <dev> <hex4> | turn <dev> <knob> <notches> [per-second] | "
           "press|release <dev> <button> | hold <dev> <button> [ms] | switch <dev> <switch> on|off | "
           "selector <dev> [<selector>] <position> | gear <dev> up|down | feature <dev> [id] | displays <dev> | "
           "lamps <dev> | tiles <dev> | writes <dev> | opens <dev> | stats <dev> | unplug <dev> | plug <dev> | "
           "powercycle <dev> [ms] | replug <dev> [ms] | ping | quit | "
           "Multi Panel: mode <dev> alt|vs|ias|hdg|crs | knob <dev> <notches> [per-second] | "
           "trim <dev> up|down [notches] [per-second] | flaps <dev> up|down|mid [ms] | at <dev> arm|off";
}

namespace {

std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    return tokens;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

template <class T>
std::optional<T> Number(const std::string& text, int base = 10) {
    std::string digits = text;
    if (base == 16 && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    T value{};
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::optional<double> Real(const std::string& text) {
    std::istringstream in(text);
    double v = 0;
    if (!(in >> v) || !in.eof() || !std::isfinite(v)) return std::nullopt;
    return v;
}

Plan Error(const std::string& text) { return Plan{"error " + text, {}, false}; }
Plan Ok(const std::string& text = "") { return Plan{text.empty() ? "ok" : "ok " + text, {}, false}; }

constexpr int kMaxNotches = 10000;
constexpr double kMaxHoldMs = 600000;

} // namespace

Plan Interpret(const PanelBank& bank, const std::string& line) {
    const auto t = Tokens(line);
    if (t.empty()) return Error("empty command");
    const std::string verb = Lower(t[0]);

    if (verb == "ping") return Ok("pong");
    if (verb == "help") return Ok(CommandSummary());
    if (verb == "quit") {
        Plan p = Ok("bye");
        p.quit = true;
        return p;
    }
    if (verb == "list") {
        std::string text = std::to_string(bank.Devices().size());
        for (const auto& d : bank.Devices())
            text += " " + std::to_string(d.number) + ":" + Info(d.model.Kind()).name + ":" +
                    (d.present ? "plugged" : "unplugged");
        return Ok(text);
    }

    // Every other command names a device first.
    if (t.size() < 2) return Error("missing device number");
    auto number = Number<int>(t[1]);
    const Device* device = number ? bank.Find(*number) : nullptr;
    if (!device) return Error("no device " + t[1]);
    const PanelModel& model = device->model;
    const int dev = device->number;
    const size_t args = t.size() - 2;
    auto one = [&](Step::What what, uint32_t mask, uint32_t bits, bool on) {
        Plan p = Ok();
        Step s;
        s.device = dev;
        s.what = what;
        s.mask = mask;
        s.bits = bits;
        s.on = on;
        p.steps.push_back(s);
        return p;
    };

    if (verb == "path") return Ok(device->path);
    if (verb == "state") {
        const auto r = model.Report();
        return Ok(ToHex(std::vector<uint8_t>(r.begin(), r.end())));
    }
    if (verb == "feature") {
        uint8_t id = model.DefaultFeatureId();
        if (args >= 1) {
            auto v = Number<unsigned>(t[2], 16);
            if (!v || *v > 0xFF) return Error("bad report id " + t[2]);
            id = static_cast<uint8_t>(*v);
        }
        return Ok(ToHex(model.LastFeature(id)));
    }
    if (verb == "displays") {
        if (model.Kind() == PanelKind::Multi) return Ok(multi::DisplaysText(multi::Decode(model.LastFeature(0))));
        if (model.Kind() != PanelKind::Radio)
            return Error("a " + std::string(Info(model.Kind()).name) + " panel has no radio displays");
        return Ok(DisplaysText(DecodeRadioDisplays(model.LastFeature(0))));
    }
    if (verb == "lamps") {
        if (model.Kind() != PanelKind::Switch)
            return Error("a " + std::string(Info(model.Kind()).name) + " panel has no gear lamps");
        return Ok(switchpanel::LampsText(switchpanel::DecodeLamps(model.LastFeature(0))));
    }
    if (verb == "tiles") {
        if (model.Kind() != PanelKind::Bip)
            return Error("a " + std::string(Info(model.Kind()).name) + " panel has no tiles");
        return Ok(bip::TilesText(bip::DecodeTiles(model.LastFeature(bip::kTileReportId))));
    }
    if (verb == "writes") return Ok(std::to_string(model.Stats().writes));
    if (verb == "opens") return Ok(std::to_string(device->opens));
    if (verb == "stats") {
        const auto& s = model.Stats();
        return Ok("writes=" + std::to_string(s.writes) + " rejected=" + std::to_string(s.rejected) +
                  " reads=" + std::to_string(s.reads) + " reports=" + std::to_string(device->reportsSent) +
                  " opens=" + std::to_string(device->opens) +
                  (device->present ? " plugged" : " unplugged"));
    }
    if (verb == "unplug") return one(Step::What::Unplug, 0, 0, false);
    if (verb == "plug") return one(Step::What::Plug, 0, 0, true);
    if (verb == "powercycle" || verb == "replug") {
        // Off (every handle fails), then back after the pause.
        double ms = 500;
        if (args >= 1) {
            auto v = Real(t[2]);
            if (!v || *v < 0 || *v > kMaxHoldMs) return Error("bad time " + t[2]);
            ms = *v;
        }
        Plan p = one(verb == "powercycle" ? Step::What::PowerOff : Step::What::NewPath, 0, 0, false);
        Step back = p.steps[0];
        back.what = Step::What::Plug;
        back.atMs = ms;
        back.on = true;
        p.steps.push_back(back);
        return p;
    }
    if (auto multiPlan = InterpretMultiCommand(bank, *device, t)) return *multiPlan;

    // Input: only for plugged panels that send input.
    const bool inputVerb = verb == "input" || verb == "turn" || verb == "press" || verb == "release" ||
                           verb == "hold" || verb == "switch" || verb == "selector" || verb == "gear";
    if (!inputVerb) return Error("unknown command " + t[0]);
    if (Info(model.Kind()).inputLength == 0) return Error("a " + std::string(Info(model.Kind()).name) + " panel sends no input");
    if (!device->present) return Error("device " + t[1] + " is unplugged");

    if (verb == "input") {
        if (args < 1) return Error("usage: input <dev> <hex 4 bytes>");
        std::string hex;
        for (size_t i = 2; i < t.size(); ++i) hex += t[i];
        auto bytes = hid::virt::FromHex(hex);
        if (!bytes || bytes->size() != 4) return Error("an input report is 4 bytes of hex");
        Plan p = one(Step::What::Raw, 0, 0, false);
        std::copy(bytes->begin(), bytes->end(), p.steps[0].raw.begin());
        return p;
    }
    if (verb == "turn") {
        if (args < 2) return Error("usage: turn <dev> <knob> <notches> [notches per second]");
        auto knob = model.FindKnob(t[2]);
        if (!knob) return Error("no knob " + t[2]);
        auto notches = Number<int>(t[3]);
        if (!notches || *notches == 0 || std::abs(*notches) > kMaxNotches) return Error("bad notch count " + t[3]);
        double perSecond = 10;
        if (args >= 3) {
            auto v = Real(t[4]);
            if (!v || *v < 0.1 || *v > 1000) return Error("speed is 0.1-1000 notches per second");
            perSecond = *v;
        }
        // One notch: two set/clear pulse pairs, evenly spaced.
        const double interval = 1000.0 / (perSecond * 4);
        const uint32_t bit = *notches > 0 ? knob->upBit : knob->downBit;
        Plan p = Ok();
        for (int i = 0; i < std::abs(*notches) * 2; ++i) {
            for (int half = 0; half < 2; ++half) {
                Step s;
                s.atMs = (2 * i + half) * interval;
                s.device = dev;
                s.what = Step::What::Pulse;
                s.bits = bit;
                s.on = half == 0;
                p.steps.push_back(s);
            }
        }
        return p;
    }
    if (verb == "press" || verb == "release" || verb == "hold") {
        if (args < 1) return Error("usage: " + verb + " <dev> <button>");
        auto bit = model.FindBit(t[2]);
        if (!bit) return Error("no button " + t[2]);
        if (verb != "hold") return one(Step::What::Hold, *bit, 0, verb == "press");
        double ms = 1000;
        if (args >= 2) {
            auto v = Real(t[3]);
            if (!v || *v < 0 || *v > kMaxHoldMs) return Error("bad hold time " + t[3]);
            ms = *v;
        }
        Plan p = one(Step::What::Hold, *bit, 0, true);
        Step release = p.steps[0];
        release.atMs = ms;
        release.on = false;
        p.steps.push_back(release);
        return p;
    }
    if (verb == "switch") {
        if (args < 2) return Error("usage: switch <dev> <switch> on|off");
        auto bit = model.FindBit(t[2]);
        if (!bit) return Error("no switch " + t[2]);
        const std::string state = Lower(t[3]);
        if (state != "on" && state != "off") return Error("say on or off");
        return one(Step::What::Hold, *bit, 0, state == "on");
    }
    if (verb == "selector" || verb == "gear") {
        std::string selector = verb == "gear" ? "gear" : "";
        std::string position;
        if (verb == "gear") {
            if (args < 1) return Error("usage: gear <dev> up|down");
            position = t[2];
        } else if (args == 1) {
            position = t[2];
        } else if (args >= 2) {
            selector = t[2];
            position = t[3];
        } else {
            return Error("usage: selector <dev> [<selector>] <position>");
        }
        auto found = model.FindSelectorPosition(selector, position);
        if (!found) return Error("no position " + position + (selector.empty() ? "" : " of " + selector));
        return one(Step::What::Selector, found->first, found->second, true);
    }
    return Error("unknown command " + t[0]);
}

std::optional<InputReport> Apply(PanelBank& bank, const Step& step) {
    Device* device = bank.Find(step.device);
    if (!device) return std::nullopt;
    PanelModel& model = device->model;
    switch (step.what) {
    case Step::What::Unplug: device->present = false; return std::nullopt;
    case Step::What::PowerOff:
        device->present = false;
        model.ForgetFeatures();
        return std::nullopt;
    case Step::What::NewPath:
        device->present = false;
        device->path = ReplugPath(Info(model.Kind()).productId, device->number, ++device->replugs, device->upperIds);
        return std::nullopt;
    case Step::What::Plug: device->present = true; return std::nullopt;
    case Step::What::Raw: break;
    case Step::What::Hold: model.SetBits(step.mask, step.on); break;
    case Step::What::Pulse: model.SetPulse(step.bits, step.on); break;
    case Step::What::Selector: model.SetSelector(step.mask, step.bits); break;
    }
    // An unplugged panel sends nothing (a script may outlive the plug).
    if (!device->present) return std::nullopt;
    ++device->reportsSent;
    return step.what == Step::What::Raw ? step.raw : model.Report();
}

} // namespace orvex::virtualpanels
