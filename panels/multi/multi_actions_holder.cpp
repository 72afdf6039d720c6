#include "panels/multi/multi_actions_holder.h"

#include <string_view>

namespace orvex::panels::multi {

namespace {

using actions::EventAction;

constexpr const char* kPositionNames[kPositionCount] = {"", "ALT", "VS", "IAS", "HDG", "CRS"};
constexpr const char* kButtonNames[kButtonCount] = {"", "AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};

// Default NGX items by button 1-8: click and long click.
constexpr std::uint8_t kNGXShortDefaults[kButtonCount] = {0, 12, 7, 4, 3, 10, 11, 9, 8};
constexpr std::uint8_t kNGXLongDefaults[kButtonCount] = {0, 14, 13, 5, 2, 18, 6, 0, 1};

constexpr std::string_view kRotAccelerationKey = "RotaryAcceleration";
constexpr std::string_view kNGXKey = "NGX";
constexpr const char* kTrimAccelerationKey = "TrimAcceleration";
constexpr const char* kTrimSensitivityKey = "TrimSensitivity";
constexpr const char* kReverseTrimKey = "ReverseTrim";
constexpr const char* kReverseFlapsKey = "ReverseFlaps";
constexpr const char* kCourseSelKey = "CourseSel";

// What a record index out of range reads as.
const EventAction kNoAction{};

bool ValidPosition(int position) { return position >= kAlt && position < kPositionCount; }
bool ValidButton(int button) { return button >= kAp && button < kButtonCount; }
bool ValidSwitch(int index) { return index == 0 || index == 1; }

template <std::size_t N>
const EventAction* Record(const std::array<EventAction, N>& table, int index, bool valid) {
    return valid ? &table[static_cast<std::size_t>(index)] : nullptr;
}
template <std::size_t N>
EventAction* Record(std::array<EventAction, N>& table, int index, bool valid) {
    return valid ? &table[static_cast<std::size_t>(index)] : nullptr;
}

ActionFieldValue Get(const EventAction* record, int field) {
    return record ? actions::GetActionField(*record, field) : 0;
}
bool Set(EventAction* record, int field, ActionFieldValue value) {
    return record ? actions::SetActionField(*record, field, value) : false;
}
const EventAction& Whole(const EventAction* record) { return record ? *record : kNoAction; }

} // namespace

const char* PositionName(int position) {
    return position >= 0 && position < kPositionCount ? kPositionNames[position] : "";
}

const char* ButtonName(int button) { return button >= 0 && button < kButtonCount ? kButtonNames[button] : ""; }

std::uint8_t cMultiPanelActionsHolder::DefaultNGXShortItem(int button) {
    return ValidButton(button) ? kNGXShortDefaults[button] : std::uint8_t{0};
}

std::uint8_t cMultiPanelActionsHolder::DefaultNGXLongItem(int button) {
    return ValidButton(button) ? kNGXLongDefaults[button] : std::uint8_t{0};
}

cMultiPanelActionsHolder::cMultiPanelActionsHolder(config::cConfiguration& configuration)
    : configuration_(configuration) {
    // The key table, in the order the section is written.
    const auto add = [this](const std::string& key, EventAction& record, std::int32_t defaultKind) {
        rows_.push_back({key, &record, defaultKind});
    };
    for (int p = kAlt; p < kPositionCount; ++p) add(std::string("SelectorAction") + kPositionNames[p], selector_[p], actions::kNone);
    for (int p = kAlt; p < kPositionCount; ++p) add(std::string("RotUpAction") + kPositionNames[p], rotUp_[p], actions::kOffset);
    for (int p = kAlt; p < kPositionCount; ++p) add(std::string("RotDownAction") + kPositionNames[p], rotDown_[p], actions::kOffset);
    for (int b = kAp; b < kButtonCount; ++b) add(std::string("ButtonAction") + kButtonNames[b], button_[b], actions::kOffset);
    for (int b = kAp; b < kButtonCount; ++b) add(std::string("LongButtonAction") + kButtonNames[b], longButton_[b], actions::kOffset);
    add("AutoThrottleActionOFF", autoThrottle_[kAtOff], actions::kOffset);
    add("AutoThrottleActionARM", autoThrottle_[kAtArm], actions::kOffset);
    add("FlapsActionDOWN", flaps_[kDown], actions::kOffset);
    add("FlapsActionUP", flaps_[kUp], actions::kOffset);
    add("TrimActionDOWN", trim_[kDown], actions::kOffset);
    add("TrimActionUP", trim_[kUp], actions::kOffset);
    LoadDefaults();
}

std::int16_t cMultiPanelActionsHolder::GetRotAcceleration(int position) const {
    return ValidPosition(position) ? rotAcceleration_[static_cast<std::size_t>(position)] : std::int16_t{0};
}

bool cMultiPanelActionsHolder::SetRotAcceleration(int position, std::int16_t value) {
    if (!ValidPosition(position)) return false;
    rotAcceleration_[static_cast<std::size_t>(position)] = value;
    return true;
}

ActionFieldValue cMultiPanelActionsHolder::GetSelectorActions(int position, int field) const {
    return Get(Record(selector_, position, ValidPosition(position)), field);
}
bool cMultiPanelActionsHolder::SetSelectorActions(int position, int field, ActionFieldValue value) {
    return Set(Record(selector_, position, ValidPosition(position)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetButtonsActions(int button, int field) const {
    return Get(Record(button_, button, ValidButton(button)), field);
}
bool cMultiPanelActionsHolder::SetButtonsActions(int button, int field, ActionFieldValue value) {
    return Set(Record(button_, button, ValidButton(button)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetLongButtonsActions(int button, int field) const {
    return Get(Record(longButton_, button, ValidButton(button)), field);
}
bool cMultiPanelActionsHolder::SetLongButtonsActions(int button, int field, ActionFieldValue value) {
    return Set(Record(longButton_, button, ValidButton(button)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetRotUpActions(int position, int field) const {
    return Get(Record(rotUp_, position, ValidPosition(position)), field);
}
bool cMultiPanelActionsHolder::SetRotUpActions(int position, int field, ActionFieldValue value) {
    return Set(Record(rotUp_, position, ValidPosition(position)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetRotDownActions(int position, int field) const {
    return Get(Record(rotDown_, position, ValidPosition(position)), field);
}
bool cMultiPanelActionsHolder::SetRotDownActions(int position, int field, ActionFieldValue value) {
    return Set(Record(rotDown_, position, ValidPosition(position)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetAutoThrottleActions(int index, int field) const {
    return Get(Record(autoThrottle_, index, ValidSwitch(index)), field);
}
bool cMultiPanelActionsHolder::SetAutoThrottleActions(int index, int field, ActionFieldValue value) {
    return Set(Record(autoThrottle_, index, ValidSwitch(index)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetFlapsActions(int index, int field) const {
    return Get(Record(flaps_, index, ValidSwitch(index)), field);
}
bool cMultiPanelActionsHolder::SetFlapsActions(int index, int field, ActionFieldValue value) {
    return Set(Record(flaps_, index, ValidSwitch(index)), field, value);
}
ActionFieldValue cMultiPanelActionsHolder::GetTrimActions(int index, int field) const {
    return Get(Record(trim_, index, ValidSwitch(index)), field);
}
bool cMultiPanelActionsHolder::SetTrimActions(int index, int field, ActionFieldValue value) {
    return Set(Record(trim_, index, ValidSwitch(index)), field, value);
}

std::uint8_t cMultiPanelActionsHolder::NGXGetShortButtonsActions(int button) const {
    return ValidButton(button) ? ngxShort_[static_cast<std::size_t>(button)] : std::uint8_t{0};
}
bool cMultiPanelActionsHolder::NGXSetShortButtonsActions(int button, std::uint8_t item) {
    if (!ValidButton(button) || !IsNGXItem(item)) return false;
    ngxShort_[static_cast<std::size_t>(button)] = item;
    return true;
}
std::uint8_t cMultiPanelActionsHolder::NGXGetLongButtonsActions(int button) const {
    return ValidButton(button) ? ngxLong_[static_cast<std::size_t>(button)] : std::uint8_t{0};
}
bool cMultiPanelActionsHolder::NGXSetLongButtonsActions(int button, std::uint8_t item) {
    if (!ValidButton(button) || !IsNGXItem(item)) return false;
    ngxLong_[static_cast<std::size_t>(button)] = item;
    return true;
}

const EventAction& cMultiPanelActionsHolder::SelectorAction(int position) const {
    return Whole(Record(selector_, position, ValidPosition(position)));
}
const EventAction& cMultiPanelActionsHolder::ButtonAction(int button) const {
    return Whole(Record(button_, button, ValidButton(button)));
}
const EventAction& cMultiPanelActionsHolder::LongButtonAction(int button) const {
    return Whole(Record(longButton_, button, ValidButton(button)));
}
const EventAction& cMultiPanelActionsHolder::RotAction(int direction, int position) const {
    if (direction == kUp) return Whole(Record(rotUp_, position, ValidPosition(position)));
    if (direction == kDown) return Whole(Record(rotDown_, position, ValidPosition(position)));
    return kNoAction;
}
const EventAction& cMultiPanelActionsHolder::AutoThrottleAction(int index) const {
    return Whole(Record(autoThrottle_, index, ValidSwitch(index)));
}
const EventAction& cMultiPanelActionsHolder::FlapsAction(int index) const {
    return Whole(Record(flaps_, index, ValidSwitch(index)));
}
const EventAction& cMultiPanelActionsHolder::TrimAction(int index) const {
    return Whole(Record(trim_, index, ValidSwitch(index)));
}

void cMultiPanelActionsHolder::LoadDefaults() {
    actions::LoadActionDefaults(rows_);
    for (int p = kAlt; p < kPositionCount; ++p) rotAcceleration_[static_cast<std::size_t>(p)] = kDefaultRotAcceleration;
    for (int b = kAp; b < kButtonCount; ++b) {
        ngxShort_[static_cast<std::size_t>(b)] = kNGXShortDefaults[b];
        ngxLong_[static_cast<std::size_t>(b)] = kNGXLongDefaults[b];
    }
    TrimAcceleration = kDefaultTrimAcceleration;
    TrimSensitivity = kDefaultTrimSensitivity;
    ReverseTrim = 0;
    ReverseFlaps = 0;
    CourseSel = kCourseNav1;
}

std::string cMultiPanelActionsHolder::SectionName() const { return "MultiPanel" + config::DecimalText(PanelIndex); }

std::string cMultiPanelActionsHolder::FilePath() const { return file_.Path(); }

actions::ActionSection cMultiPanelActionsHolder::Section(config::IIniStore& store, const std::string& path) {
    return actions::ActionSection{store, path, SectionName(), actions::Field3Type::Integer16,
                                  configuration_.Locale(), &configuration_.BadValues()};
}

void cMultiPanelActionsHolder::LoadSetup() {
    LoadDefaults();
    const actions::ActionSection where = Section(configuration_.Store(), file_.Load());
    actions::LoadActions(where, rows_);
    ReadNumbers(where);
}

void cMultiPanelActionsHolder::ReadNumbers(const actions::ActionSection& where) {
    const auto report = [&where](const std::string& key, const std::string& text) {
        if (where.BadValues) where.BadValues->BadValue(where.Path, where.Section, key, text);
    };
    // A value that does not convert, or one that `valid` refuses, keeps the default.
    const auto readInteger = [&](const std::string& key, const std::string& text, std::int16_t& target) {
        if (auto v = config::ToInteger(text, where.Locale)) target = *v;
        else report(key, text);
    };
    const auto readByte = [&](const std::string& key, const std::string& text, std::uint8_t& target,
                              bool (*valid)(std::uint8_t)) {
        const auto v = config::ToByte(text, where.Locale);
        if (v && valid(*v)) target = *v;
        else report(key, text);
    };
    const auto anyByte = [](std::uint8_t) { return true; };
    const auto ngxItem = [](std::uint8_t item) { return IsNGXItem(item); };
    const auto course = [](std::uint8_t value) { return value <= kCourseNav2; };

    for (const std::string& key : where.Store.KeyNames(where.Path, where.Section)) {
        // Names match exactly, with case; unknown keys (and the action keys,
        // read already) are left alone.
        const auto read = [&] { return where.Store.ReadString(where.Path, where.Section, key, ""); };
        const std::string_view name(key);
        if (key == kTrimAccelerationKey) readInteger(key, read(), TrimAcceleration);
        else if (key == kTrimSensitivityKey) readInteger(key, read(), TrimSensitivity);
        else if (key == kReverseTrimKey) readByte(key, read(), ReverseTrim, anyByte);
        else if (key == kReverseFlapsKey) readByte(key, read(), ReverseFlaps, anyByte);
        else if (key == kCourseSelKey) readByte(key, read(), CourseSel, course);
        else if (name.starts_with(kRotAccelerationKey)) {
            const std::string_view suffix = name.substr(kRotAccelerationKey.size());
            for (int p = kAlt; p < kPositionCount; ++p)
                if (suffix == kPositionNames[p]) readInteger(key, read(), rotAcceleration_[static_cast<std::size_t>(p)]);
        } else if (name.starts_with(kNGXKey)) {
            const std::string_view rest = name.substr(kNGXKey.size());
            for (int b = kAp; b < kButtonCount; ++b) {
                const std::string_view button = kButtonNames[b];
                if (!rest.starts_with(button)) continue;
                const std::string_view kind = rest.substr(button.size());
                if (kind == "Short") readByte(key, read(), ngxShort_[static_cast<std::size_t>(b)], ngxItem);
                else if (kind == "Long") readByte(key, read(), ngxLong_[static_cast<std::size_t>(b)], ngxItem);
            }
        }
    }
}

bool cMultiPanelActionsHolder::SaveSetup() {
    // Back to the profile the values came from, as for every panel kind.
    return file_.Save([this](config::IIniStore& store, const std::string& path) {
    const actions::ActionSection where = Section(store, path);
    actions::SaveActions(where, rows_);
    // Each number as ReadNumbers reads it: a value it refuses is no value.
    const auto toInteger = [](const std::string& t, config::NumberLocale l) { return config::ToInteger(t, l); };
    const auto byteIf = [](bool (*valid)(std::uint8_t)) {
        return [valid](const std::string& t, config::NumberLocale l) {
            const auto v = config::ToByte(t, l);
            return v && valid(*v) ? v : std::nullopt;
        };
    };
    const auto anyByte = byteIf([](std::uint8_t) { return true; });
    const auto ngxItem = byteIf([](std::uint8_t item) { return IsNGXItem(item); });
    const auto course = byteIf([](std::uint8_t value) { return value <= kCourseNav2; });
    for (int p = kAlt; p < kPositionCount; ++p) {
        const std::int16_t value = rotAcceleration_[static_cast<std::size_t>(p)];
        actions::SaveNumber(where, std::string(kRotAccelerationKey) + kPositionNames[p], value,
                            kDefaultRotAcceleration, config::DecimalText(value), toInteger);
    }
    for (int b = kAp; b < kButtonCount; ++b) {
        const std::uint8_t item = ngxShort_[static_cast<std::size_t>(b)];
        actions::SaveNumber(where, std::string(kNGXKey) + kButtonNames[b] + "Short", item, kNGXShortDefaults[b],
                            config::DecimalText(item), ngxItem);
    }
    for (int b = kAp; b < kButtonCount; ++b) {
        const std::uint8_t item = ngxLong_[static_cast<std::size_t>(b)];
        actions::SaveNumber(where, std::string(kNGXKey) + kButtonNames[b] + "Long", item, kNGXLongDefaults[b],
                            config::DecimalText(item), ngxItem);
    }
    actions::SaveNumber(where, kCourseSelKey, CourseSel, kCourseNav1, config::DecimalText(CourseSel), course);
    actions::SaveNumber(where, kTrimAccelerationKey, TrimAcceleration, kDefaultTrimAcceleration,
                        config::DecimalText(TrimAcceleration), toInteger);
    actions::SaveNumber(where, kTrimSensitivityKey, TrimSensitivity, kDefaultTrimSensitivity,
                        config::DecimalText(TrimSensitivity), toInteger);
    // Stored only when on ("1"); any other value means off.
    const auto on = [](std::uint8_t v) { return std::uint8_t{v == 1}; };
    const auto onByte = [&](const std::string& t, config::NumberLocale l) -> std::optional<std::uint8_t> {
        const auto v = anyByte(t, l);
        return v ? std::optional<std::uint8_t>(on(*v)) : std::nullopt;
    };
    actions::SaveNumber(where, kReverseTrimKey, on(ReverseTrim), std::uint8_t{0}, "1", onByte);
    actions::SaveNumber(where, kReverseFlapsKey, on(ReverseFlaps), std::uint8_t{0}, "1", onByte);
    });
}

} // namespace orvex::panels::multi
