#include "panels/radio/radio_actions_holder.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace orvex::panels::radio {

namespace {

using actions::ActionRow;
using actions::EventAction;

constexpr const char* kPositionNames[kPositionCount] = {"", "COM1", "COM2", "NAV1", "NAV2", "ADF", "DME", "XPDR"};

constexpr const char* kAccelerationKey = "RotAcceleration";
constexpr const char* kAltimeterUnitKey = "AltimeterUnit";
constexpr const char* kDmeModeKey = "DMEMode";
constexpr const char* kAdfModeKey = "ADFMode";
constexpr const char* kAdfInnStepKey = "ADFInnStep";
constexpr const char* kAdfOutStepKey = "ADFOutStep";

// What a record index out of range reads as.
const EventAction kNoAction{};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ValidPosition(int position) { return position >= 0 && position < kPositionCount; }
bool ValidRingDirection(int ring, int direction) {
    return (ring == kInnerRing || ring == kOuterRing) && (direction == kDown || direction == kUp);
}

} // namespace

const char* PositionName(int position) { return ValidPosition(position) ? kPositionNames[position] : ""; }

std::optional<float> ParseSingle(std::string_view text, config::NumberLocale locale) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // Checked here, then rewritten in the form from_chars reads.
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) plain.push_back(text[i]);
    if (i < text.size() && text[i] == locale.DecimalSeparator) {
        plain.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits) plain.push_back(text[i]);
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
        std::size_t exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits) plain.push_back(text[i]);
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string SingleText(float value, config::NumberLocale locale) {
    char text[128];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (ec != std::errc()) return {};
    std::string out(text, end);
    for (char& c : out)
        if (c == '.') c = locale.DecimalSeparator;
    return out;
}

cRadioPanelActionsHolder::cRadioPanelActionsHolder(config::cConfiguration& configuration)
    : configuration_(configuration) {
    // The key table, in the order the section is written: each action kind
    // for COM1 to XPDR, then the four knob keys position by position.
    const auto suffix = [](int p) { return std::string(kPositionNames[p]); };
    for (int p = kCom1; p <= kXpdr; ++p)
        rows_.push_back({"SelectorAction" + suffix(p), &selector_[p], actions::kNone});
    for (int p = kCom1; p <= kXpdr; ++p)
        rows_.push_back({"ButtonAction" + suffix(p), &button_[p], actions::kOffset});
    for (int p = kCom1; p <= kXpdr; ++p)
        rows_.push_back({"LongButtonAction" + suffix(p), &longButton_[p], actions::kOffset});
    for (int p = kCom1; p <= kXpdr; ++p) {
        rows_.push_back({"InnRotUp" + suffix(p), &rot_[kInnerRing][kUp][p], actions::kOffset});
        rows_.push_back({"InnRotDown" + suffix(p), &rot_[kInnerRing][kDown][p], actions::kOffset});
        rows_.push_back({"OutRotUp" + suffix(p), &rot_[kOuterRing][kUp][p], actions::kOffset});
        rows_.push_back({"OutRotDown" + suffix(p), &rot_[kOuterRing][kDown][p], actions::kOffset});
    }
    LoadDefaults();
}

std::int16_t cRadioPanelActionsHolder::GetAcceleration(int position) const {
    return ValidPosition(position) ? acceleration_[position] : std::int16_t{0};
}

bool cRadioPanelActionsHolder::SetAcceleration(int position, std::int16_t value) {
    if (!ValidPosition(position)) return false;
    acceleration_[position] = value;
    return true;
}

const EventAction* cRadioPanelActionsHolder::Record(const Table& table, int position) {
    return ValidPosition(position) ? &table[position] : nullptr;
}

EventAction* cRadioPanelActionsHolder::Record(Table& table, int position) {
    return ValidPosition(position) ? &table[position] : nullptr;
}

ActionFieldValue cRadioPanelActionsHolder::GetField(const EventAction* record, int field) {
    return record == nullptr ? 0 : actions::GetActionField(*record, field);
}

bool cRadioPanelActionsHolder::SetField(EventAction* record, int field, ActionFieldValue value) {
    return record != nullptr && actions::SetActionField(*record, field, value, actions::Field3Type::Integer16);
}

ActionFieldValue cRadioPanelActionsHolder::GetSelectorActions(int position, int field) const {
    return GetField(Record(selector_, position), field);
}
bool cRadioPanelActionsHolder::SetSelectorActions(int position, int field, ActionFieldValue value) {
    return SetField(Record(selector_, position), field, value);
}
ActionFieldValue cRadioPanelActionsHolder::GetButtonsActions(int position, int field) const {
    return GetField(Record(button_, position), field);
}
bool cRadioPanelActionsHolder::SetButtonsActions(int position, int field, ActionFieldValue value) {
    return SetField(Record(button_, position), field, value);
}
ActionFieldValue cRadioPanelActionsHolder::GetLongButtonsActions(int position, int field) const {
    return GetField(Record(longButton_, position), field);
}
bool cRadioPanelActionsHolder::SetLongButtonsActions(int position, int field, ActionFieldValue value) {
    return SetField(Record(longButton_, position), field, value);
}
ActionFieldValue cRadioPanelActionsHolder::GetRotActions(int ring, int direction, int position, int field) const {
    if (!ValidRingDirection(ring, direction)) return 0;
    return GetField(Record(rot_[ring][direction], position), field);
}
bool cRadioPanelActionsHolder::SetRotActions(int ring, int direction, int position, int field,
                                             ActionFieldValue value) {
    if (!ValidRingDirection(ring, direction)) return false;
    return SetField(Record(rot_[ring][direction], position), field, value);
}

const EventAction& cRadioPanelActionsHolder::SelectorAction(int position) const {
    const EventAction* r = Record(selector_, position);
    return r ? *r : kNoAction;
}
const EventAction& cRadioPanelActionsHolder::ButtonAction(int position) const {
    const EventAction* r = Record(button_, position);
    return r ? *r : kNoAction;
}
const EventAction& cRadioPanelActionsHolder::LongButtonAction(int position) const {
    const EventAction* r = Record(longButton_, position);
    return r ? *r : kNoAction;
}
const EventAction& cRadioPanelActionsHolder::RotAction(int ring, int direction, int position) const {
    if (!ValidRingDirection(ring, direction)) return kNoAction;
    const EventAction* r = Record(rot_[ring][direction], position);
    return r ? *r : kNoAction;
}

void cRadioPanelActionsHolder::LoadDefaults() {
    actions::LoadActionDefaults(rows_);
    for (int p = kCom1; p <= kXpdr; ++p) acceleration_[p] = 1;
    AltimeterUnit = 0;
    DMEMode = 0;
    ADFMode = 0;
    ADFInnStep = kDefaultAdfInnStep;
    ADFOutStep = kDefaultAdfOutStep;
}

std::string cRadioPanelActionsHolder::SectionName() const { return "RadioPanel" + config::DecimalText(PanelIndex); }

std::string cRadioPanelActionsHolder::FilePath() const { return file_.Path(); }

actions::ActionSection cRadioPanelActionsHolder::Section(config::IIniStore& store, const std::string& path) {
    return actions::ActionSection{store, path, SectionName(), actions::Field3Type::Integer16,
                                  configuration_.Locale(), &configuration_.BadValues()};
}

void cRadioPanelActionsHolder::LoadSetup() {
    LoadDefaults();
    const actions::ActionSection where = Section(configuration_.Store(), file_.Load());
    actions::LoadActions(where, rows_);
    ReadNumbers(where);
}

void cRadioPanelActionsHolder::ReadNumbers(const actions::ActionSection& where) {
    const auto report = [&where](const std::string& key, const std::string& text) {
        if (where.BadValues) where.BadValues->BadValue(where.Path, where.Section, key, text);
    };
    const auto readByte = [&](const std::string& key, const std::string& text, std::uint8_t& target) {
        if (auto v = config::ToByte(text, where.Locale)) target = *v;
        else report(key, text);
    };
    const auto readStep = [&](const std::string& key, const std::string& text, float& target) {
        if (auto v = ParseSingle(text, where.Locale)) target = *v;
        else report(key, text);
    };
    for (const std::string& key : where.Store.KeyNames(where.Path, where.Section)) {
        // Names match exactly, with case; unknown keys are left alone.
        const auto read = [&] { return where.Store.ReadString(where.Path, where.Section, key, ""); };
        if (key == kAltimeterUnitKey) readByte(key, read(), AltimeterUnit);
        else if (key == kDmeModeKey) readByte(key, read(), DMEMode);
        else if (key == kAdfModeKey) readByte(key, read(), ADFMode);
        else if (key == kAdfInnStepKey) readStep(key, read(), ADFInnStep);
        else if (key == kAdfOutStepKey) readStep(key, read(), ADFOutStep);
        else if (key.starts_with(kAccelerationKey)) {
            const std::string_view suffix = std::string_view(key).substr(std::string_view(kAccelerationKey).size());
            for (int p = kCom1; p <= kXpdr; ++p) {
                if (suffix != kPositionNames[p]) continue;
                const std::string text = read();
                if (auto v = config::ToInteger(text, where.Locale)) acceleration_[p] = *v;
                else report(key, text);
                break;
            }
        }
    }
}

bool cRadioPanelActionsHolder::SaveSetup() {
    // Back to the profile the values came from: the profile in use may have
    // changed since (a new aircraft while the setup dialog was open).
    return file_.Save([this](config::IIniStore& store, const std::string& path) {
        const actions::ActionSection where = Section(store, path);
        actions::SaveActions(where, rows_);
        // Each number as its loader reads it.
        const auto save = [&where](const std::string& key, auto value, decltype(value) defaultValue,
                                   std::string text, auto read) {
            actions::SaveNumber(where, key, value, defaultValue, std::move(text), read);
        };
        const auto toInteger = [](const std::string& t, config::NumberLocale l) { return config::ToInteger(t, l); };
        const auto toByte = [](const std::string& t, config::NumberLocale l) { return config::ToByte(t, l); };
        const auto toSingle = [](const std::string& t, config::NumberLocale l) { return ParseSingle(t, l); };
        for (int p = kCom1; p <= kXpdr; ++p)
            save(kAccelerationKey + std::string(kPositionNames[p]), acceleration_[p], std::int16_t{1},
                 config::DecimalText(acceleration_[p]), toInteger);
        save(kAltimeterUnitKey, AltimeterUnit, std::uint8_t{0}, config::DecimalText(AltimeterUnit), toByte);
        save(kDmeModeKey, DMEMode, std::uint8_t{0}, config::DecimalText(DMEMode), toByte);
        save(kAdfModeKey, ADFMode, std::uint8_t{0}, config::DecimalText(ADFMode), toByte);
        save(kAdfInnStepKey, ADFInnStep, kDefaultAdfInnStep, SingleText(ADFInnStep, where.Locale), toSingle);
        save(kAdfOutStepKey, ADFOutStep, kDefaultAdfOutStep, SingleText(ADFOutStep, where.Locale), toSingle);
    });
}

} // namespace orvex::panels::radio
