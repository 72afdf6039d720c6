#include "panels/switch/switch_actions_holder.h"

namespace orvex::panels::switchpanel {

namespace {

using actions::EventAction;

constexpr const char* kKeyNames[kSwitchCount + 1] = {
    "",         "SELOFF", "SELR",  "SELL",  "SELALL", "SELSTART", "BAT",  "ALT",     "AVIONICS", "FUELPUMP", "DEICE",
    "PITOT",    "COWL",   "PANEL", "BEACON", "NAV",   "STROBE",   "TAXI", "LANDING", "GEARUP",   "GEARDOWN"};

const EventAction kNoAction{};

// The options: key, member, default.
struct Option {
    const char* Key;
    bool cSwitchPanelActionsHolder::*Member;
    bool Default;
};
constexpr Option kOptions[] = {
    {"RetractableGear", &cSwitchPanelActionsHolder::RetractableGear, true},
    {"SingleStarterSelector", &cSwitchPanelActionsHolder::SingleStarterSelector, false},
    {"SingleFuelPump", &cSwitchPanelActionsHolder::SingleFuelPump, false},
    {"SingleAltSwitch", &cSwitchPanelActionsHolder::SingleAltSwitch, false},
    {"SingleCowlFlaps", &cSwitchPanelActionsHolder::SingleCowlFlaps, false},
    {"SingleDeIce", &cSwitchPanelActionsHolder::SingleDeIce, false},
};

} // namespace

const char* SwitchKeyName(int index) { return index >= 1 && index <= kSwitchCount ? kKeyNames[index] : ""; }

cSwitchPanelActionsHolder::cSwitchPanelActionsHolder(config::cConfiguration& configuration)
    : configuration_(configuration) {
    // The key table in the order the section is written: the On keys of
    // switches 1-20, then their Off keys.
    for (int state : {kStateOn, kStateOff})
        for (int i = 1; i <= kSwitchCount; ++i)
            rows_.push_back({std::string("Switch") + kKeyNames[i] + (state == kStateOn ? "On" : "Off"),
                             &table_[static_cast<std::size_t>(i)][static_cast<std::size_t>(state)],
                             actions::kOffset});
    LoadDefaults();
}

ActionFieldValue cSwitchPanelActionsHolder::GetSwitchActions(int index, int state, int field) const {
    return Valid(index, state) ? actions::GetActionField(SwitchAction(index, state), field) : 0;
}

bool cSwitchPanelActionsHolder::SetSwitchActions(int index, int state, int field, ActionFieldValue value) {
    if (!Valid(index, state)) return false;
    return actions::SetActionField(table_[static_cast<std::size_t>(index)][static_cast<std::size_t>(state)], field,
                                   value, actions::Field3Type::Byte);
}

const EventAction& cSwitchPanelActionsHolder::SwitchAction(int index, int state) const {
    if (!Valid(index, state)) return kNoAction;
    return table_[static_cast<std::size_t>(index)][static_cast<std::size_t>(state)];
}

void cSwitchPanelActionsHolder::LoadDefaults() {
    actions::LoadActionDefaults(rows_);
    for (const Option& option : kOptions) this->*option.Member = option.Default;
}

std::string cSwitchPanelActionsHolder::SectionName() const {
    return "SwitchPanel" + config::DecimalText(PanelIndex);
}

std::string cSwitchPanelActionsHolder::FilePath() const { return file_.Path(); }

actions::ActionSection cSwitchPanelActionsHolder::Section(config::IIniStore& store, const std::string& path) {
    return actions::ActionSection{store, path, SectionName(), actions::Field3Type::Byte, configuration_.Locale(),
                                  &configuration_.BadValues()};
}

void cSwitchPanelActionsHolder::LoadSetup() {
    LoadDefaults();
    const actions::ActionSection where = Section(configuration_.Store(), file_.Load());
    actions::LoadActions(where, rows_);
    ReadOptions(where);
}

void cSwitchPanelActionsHolder::ReadOptions(const actions::ActionSection& where) {
    for (const std::string& key : where.Store.KeyNames(where.Path, where.Section)) {
        // Names match exactly, with case; unknown keys are left alone.
        for (const Option& option : kOptions) {
            if (key != option.Key) continue;
            const std::string text = where.Store.ReadString(where.Path, where.Section, key, "");
            // 0 is false, any other number true; a text that is not a
            // number keeps the default and is reported.
            if (auto value = config::ParseRoundedInteger(text, where.Locale)) this->*option.Member = *value != 0;
            else if (where.BadValues) where.BadValues->BadValue(where.Path, where.Section, key, text);
            break;
        }
    }
}

bool cSwitchPanelActionsHolder::SaveSetup() {
    // Back to the profile the values came from, as for every panel kind.
    return file_.Save([this](config::IIniStore& store, const std::string& path) {
        const actions::ActionSection where = Section(store, path);
        actions::SaveActions(where, rows_);
        // "RetractableGear" is stored only when off ("0"), the single-engine
        // options only when on ("1").
        const auto read = [](const std::string& t, config::NumberLocale l) -> std::optional<bool> {
            const auto v = config::ParseRoundedInteger(t, l);
            return v ? std::optional<bool>(*v != 0) : std::nullopt;
        };
        for (const Option& option : kOptions) {
            const bool value = this->*option.Member;
            actions::SaveNumber(where, option.Key, value, option.Default, value ? "1" : "0", read);
        }
    });
}

} // namespace orvex::panels::switchpanel
