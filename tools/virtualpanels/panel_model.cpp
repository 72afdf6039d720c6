#include "tools/virtualpanels/panel_model.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orvex::virtualpanels {

namespace {

const KindInfo kKinds[] = {
    {PanelKind::Radio, "radio", 0x0D05, 4, 23},
    {PanelKind::Multi, "multi", 0x0D06, 4, 13},
    {PanelKind::Switch, "switch", 0x0D67, 4, 2},
    {PanelKind::Bip, "bip", 0x0B4E, 0, 7},
};

struct NamedBit {
    const char* name;
    uint32_t bit;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<uint32_t> ParseNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    int base = 10;
    size_t skip = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        skip = 2;
    }
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data() + skip, text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Buttons and two-position switches, by name.
std::vector<NamedBit> NamedBits(PanelKind kind) {
    switch (kind) {
    case PanelKind::Radio:
        return {{"act1", 0x4000}, {"upper", 0x4000}, {"act2", 0x8000}, {"lower", 0x8000}};
    case PanelKind::Multi:
        return {{"ap", 0x800000}, {"hdg", 0x000100}, {"nav", 0x000200}, {"ias", 0x000400},
                {"alt", 0x000800}, {"vs", 0x001000},  {"apr", 0x002000}, {"rev", 0x004000},
                {"at", 0x008000},  {"arm", 0x008000}, {"autothrottle", 0x008000}};
    case PanelKind::Switch:
        return {{"bat", 0x010000},    {"alt", 0x020000},   {"avionics", 0x040000},
                {"fuel", 0x080000},   {"fuelpump", 0x080000}, {"fuel-pump", 0x080000},
                {"deice", 0x100000},  {"de-ice", 0x100000}, {"pitot", 0x200000},
                {"pitotheat", 0x200000}, {"pitot-heat", 0x200000}, {"cowl", 0x400000},
                {"panel", 0x800000},  {"beacon", 0x000100}, {"nav", 0x000200},
                {"strobe", 0x000400}, {"taxi", 0x000800},  {"landing", 0x001000}};
    case PanelKind::Bip: return {};
    }
    return {};
}

// Switch Panel inputs by index 1-20.
constexpr uint32_t kSwitchIndexBits[20] = {
    0x002000, 0x004000, 0x008000, 0x000001, 0x000002, 0x010000, 0x020000,
    0x040000, 0x080000, 0x100000, 0x200000, 0x400000, 0x800000, 0x000100,
    0x000200, 0x000400, 0x000800, 0x001000, 0x000004, 0x000008};

std::vector<Knob> Knobs(PanelKind kind) {
    switch (kind) {
    case PanelKind::Radio:
        return {{"upper-inner", 0x01, 0x02}, {"upper-outer", 0x04, 0x08},
                {"lower-inner", 0x10, 0x20}, {"lower-outer", 0x40, 0x80}};
    case PanelKind::Multi:
        // The trim wheel's "up" is the pulse that raises TrimUp.
        return {{"knob", 0x200000, 0x400000}, {"trim", 0x08, 0x04}};
    default: return {};
    }
}

std::vector<Selector> Selectors(PanelKind kind) {
    switch (kind) {
    case PanelKind::Radio:
        return {{"upper", 0x7F0000,
                 {{"com1", 0x010000}, {"com2", 0x020000}, {"nav1", 0x040000}, {"nav2", 0x080000},
                  {"adf", 0x100000}, {"dme", 0x200000}, {"xpdr", 0x400000}}},
                {"lower", 0x803F00,
                 {{"com1", 0x800000}, {"com2", 0x000100}, {"nav1", 0x000200}, {"nav2", 0x000400},
                  {"adf", 0x000800}, {"dme", 0x001000}, {"xpdr", 0x002000}}}};
    case PanelKind::Multi:
        return {{"mode", 0x1F0000,
                 {{"alt", 0x010000}, {"vs", 0x020000}, {"ias", 0x040000}, {"hdg", 0x080000},
                  {"crs", 0x100000}}},
                {"flaps", 0x000003, {{"up", 0x01}, {"mid", 0}, {"down", 0x02}}}};
    case PanelKind::Switch:
        return {{"magneto", 0x00E003,
                 {{"off", 0x002000}, {"r", 0x004000}, {"l", 0x008000}, {"both", 0x000001},
                  {"start", 0x000002}}},
                {"gear", 0x00000C, {{"up", 0x04}, {"down", 0x08}}}};
    case PanelKind::Bip: return {};
    }
    return {};
}

uint32_t InitialPositions(PanelKind kind) {
    switch (kind) {
    case PanelKind::Radio: return 0x810000;   // both selectors at COM1
    case PanelKind::Multi: return 0x010000;   // mode ALT, flaps middle, auto-throttle OFF
    case PanelKind::Switch: return 0x002008;  // magneto OFF, gear DOWN
    case PanelKind::Bip: return 0;
    }
    return 0;
}

// The size of the feature report a panel defines for `id`; 0 for an id it
// does not know.
size_t ReportSize(PanelKind kind, uint8_t id) {
    switch (kind) {
    case PanelKind::Radio: return id == 0 ? 23 : 0;
    case PanelKind::Multi: return id == 0 ? 13 : 0;
    case PanelKind::Switch: return id == 0 ? 2 : 0;
    case PanelKind::Bip: return id == 0xB2 ? 2 : id == 0xB8 ? 7 : 0;
    }
    return 0;
}

} // namespace

const KindInfo& Info(PanelKind kind) { return kKinds[static_cast<int>(kind)]; }

std::optional<PanelKind> KindFromName(const std::string& name) {
    const std::string n = Lower(name);
    for (const auto& k : kKinds)
        if (n == k.name) return k.kind;
    return std::nullopt;
}

hid::HidCaps CapsFor(PanelKind kind) {
    const KindInfo& info = Info(kind);
    hid::HidCaps caps;
    caps.Usage = 0x0000;
    caps.UsagePage = 0xFF00;  // vendor-defined, as these panels have no standard usage
    caps.InputReportByteLength = info.inputLength;
    caps.OutputReportByteLength = 0;
    caps.FeatureReportByteLength = info.featureLength;
    caps.NumberLinkCollectionNodes = 1;
    if (info.inputLength > 0) {
        caps.NumberInputButtonCaps = 1;
        caps.NumberInputDataIndices = 24;
    }
    caps.NumberFeatureValueCaps = kind == PanelKind::Bip ? 2 : 1;
    caps.NumberFeatureDataIndices = kind == PanelKind::Bip ? 2 : 1;
    return caps;
}

PanelModel::PanelModel(PanelKind kind) : kind_(kind), held_(InitialPositions(kind)) {}

InputReport PanelModel::Report() const {
    const uint32_t s = held_ | pulse_;
    return {0, static_cast<uint8_t>(s >> 16), static_cast<uint8_t>(s >> 8), static_cast<uint8_t>(s)};
}

std::optional<Knob> PanelModel::FindKnob(const std::string& name) const {
    const auto knobs = Knobs(kind_);
    const std::string n = Lower(name);
    auto number = ParseNumber(n);
    for (size_t i = 0; i < knobs.size(); ++i)
        if (knobs[i].name == n || (number && *number == i)) return knobs[i];
    return std::nullopt;
}

std::optional<uint32_t> PanelModel::FindBit(const std::string& name) const {
    if (kind_ == PanelKind::Bip) return std::nullopt;
    const std::string n = Lower(name);
    for (const auto& b : NamedBits(kind_))
        if (n == b.name) return b.bit;
    if (n.rfind("0x", 0) == 0) {
        auto bit = ParseNumber(n);
        if (bit && *bit != 0 && *bit <= 0xFFFFFF) return bit;
        return std::nullopt;
    }
    if (kind_ == PanelKind::Switch) {
        auto index = ParseNumber(n);
        if (index && *index >= 1 && *index <= 20) return kSwitchIndexBits[*index - 1];
    }
    return std::nullopt;
}

std::optional<std::pair<uint32_t, uint32_t>> PanelModel::FindSelectorPosition(
    const std::string& selector, const std::string& position) const {
    const auto selectors = Selectors(kind_);
    const std::string s = Lower(selector);
    const std::string p = Lower(position);
    auto selectorNumber = ParseNumber(s);
    for (size_t i = 0; i < selectors.size(); ++i) {
        const Selector& sel = selectors[i];
        const bool chosen = s.empty() ? i == 0 : (sel.name == s || (selectorNumber && *selectorNumber == i + 1));
        if (!chosen) continue;
        auto number = ParseNumber(p);
        for (size_t j = 0; j < sel.positions.size(); ++j)
            if (sel.positions[j].name == p || (number && *number == j + 1))
                return std::make_pair(sel.mask, sel.positions[j].bits);
        return std::nullopt;
    }
    return std::nullopt;
}

void PanelModel::SetBits(uint32_t bits, bool on) {
    bits &= 0xFFFFFF;
    held_ = on ? (held_ | bits) : (held_ & ~bits);
}

void PanelModel::SetPulse(uint32_t bits, bool on) {
    bits &= 0xFFFFFF;
    if (on)
        for (size_t i = 0; i < pulseCounts_.size(); ++i)
            if ((bits >> i & 1) && !(pulse_ >> i & 1)) ++pulseCounts_[i];
    pulse_ = on ? (pulse_ | bits) : (pulse_ & ~bits);
}

bool PanelModel::WriteFeature(const uint8_t* report, size_t size) {
    // As the system's HID class driver does: every buffer is at least the
    // collection's feature length (its longest report), or it is refused;
    // the device gets the report of the size it defines for the id.
    const size_t own = report == nullptr || size == 0 ? 0 : ReportSize(kind_, report[0]);
    if (own == 0 || size < Info(kind_).featureLength) {
        ++stats_.rejected;
        return false;
    }
    features_[report[0]].assign(report, report + own);
    ++stats_.writes;
    return true;
}

std::optional<std::vector<uint8_t>> PanelModel::ReadFeature(uint8_t reportId, size_t length) {
    const KindInfo& info = Info(kind_);
    // Shorter than the collection's feature length: refused, as above.
    if (length == 0 || length < info.featureLength) return std::nullopt;
    std::vector<uint8_t> out;
    if (kind_ == PanelKind::Bip) {
        const size_t own = ReportSize(kind_, reportId);
        if (own == 0 || length > info.featureLength) return std::nullopt;
        out = LastFeature(reportId);
        if (out.empty()) {
            out.assign(own, 0);
            out[0] = reportId;
        }
        out.resize(length, 0);  // the shorter report arrives padded
    } else if (kind_ == PanelKind::Switch) {
        // Its one feature report holds the lamps; nothing says the panel
        // answers a read, least of all with its switches.
        return std::nullopt;
    } else {
        if (reportId != 0 || length > info.featureLength) return std::nullopt;
        out.assign(length, 0);
        const uint8_t data[3] = {static_cast<uint8_t>(held_ >> 16), static_cast<uint8_t>(held_ >> 8),
                                 static_cast<uint8_t>(held_)};
        for (size_t i = 1; i < length && i < 4; ++i) out[i] = data[i - 1];
    }
    ++stats_.reads;
    return out;
}

std::vector<uint8_t> PanelModel::LastFeature(uint8_t reportId) const {
    auto it = features_.find(reportId);
    return it == features_.end() ? std::vector<uint8_t>{} : it->second;
}

} // namespace orvex::virtualpanels
