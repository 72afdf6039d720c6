#include "panels/multi/multi_logic.h"

#include "panels/radio/radio_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <string_view>
#include <utility>

namespace orvex::panels::multi {

namespace {

using actions::EventAction;
using actions::Outcome;
using radio::AppendNumber;
using radio::AppendSingle;
using simlink::cOFFSET;

struct KeyInfo {
    const char* Name;
    std::int32_t StandardOffset;  // 0: not registered in standard mode
    std::int32_t StandardType;
    std::int32_t NgxOffset;       // 0: a lamp key (the button's NGX item) or not registered
    std::int32_t NgxType;
};

// In the order of the Key enumeration; the first eight are the lamps of
// buttons 1-8.
constexpr KeyInfo kKeys[] = {
    {"AP-MASTER", 0x07BC, 4, 0, 1},        {"AP-HDG-HOLD", 0x07C8, 4, 0, 1},
    {"AP-NAV-HOLD", 0x07C4, 4, 0, 1},      {"AP-IAS-HOLD", 0x07DC, 4, 0, 1},
    {"AP-ALT-HOLD", 0x07D0, 4, 0, 1},      {"AP-VS-HOLD", 0x07EC, 4, 0, 1},
    {"AP-APR-HOLD", 0x0800, 4, 0, 1},      {"AP-BC-HOLD", 0x0804, 4, 0, 1},
    {"AP-HDG-VAL", 0x07CC, 3, 0x652C, 3},  {"AP-IAS-VAL", 0x07E2, 2, 0x6524, 7},
    {"AP-ALT-VAL", 0x07D4, 4, 0x652E, 3},  {"AP-VS-VAL", 0x07F2, 2, 0x6530, 2},
    {"NAV1-CRS", 0x0C4E, 3, 0x6520, 3},    {"NAV2-CRS", 0x0C5E, 3, 0x6522, 3},
    {"AP-IAS-BLANK", 0, 0, 0x6528, 1},     {"AP-IAS-OVER", 0, 0, 0x6529, 1},
    {"AP-IAS-UNDER", 0, 0, 0x652A, 1},     {"AP-VS-BLANK", 0, 0, 0x6532, 1},
    {"AT-ARM", 0, 0, 0x6535, 1},
};
constexpr int kLampKeys = 8;

constexpr const char* kBatteryKey = "MASTERBATTERY";
constexpr const char* kAvionicsKey = "MASTERAVIONICS";
constexpr std::int32_t kBatteryOffset = 0x281C;
constexpr std::int32_t kAvionicsOffset = 0x2E80;

constexpr double kFeetPerMetre = 3.28084;
constexpr double kUnitsPerMetre = 65536.0;
constexpr double kUnitsPerTurn = 65536.0;

// MD-80 controls.
constexpr std::int32_t kMdApMaster = 69666;
constexpr std::int32_t kMdAutoThrottle = 69665;
constexpr std::int32_t kMdMachMode = 69655;
constexpr std::int32_t kMdAltitudeSelect = 69662;
constexpr std::int32_t kMdAltitudeValue = 69663;
constexpr std::int32_t kMdAltitudeHold = 69664;
constexpr std::int32_t kMdVsValue = 69660;
constexpr std::int32_t kMdIasSelect = 69653;
constexpr std::int32_t kMdIasValue = 69661;
constexpr std::int32_t kMdMachValue = 69654;
constexpr std::int32_t kMdHeadingValue = 69656;
constexpr std::int32_t kMdCourse1 = 65716;
constexpr std::int32_t kMdCourse2 = 65717;
constexpr std::int32_t kMdRevValue = 69740;
constexpr std::int32_t kMdRevSelect = 69671;
constexpr std::int32_t kMdVsClick = 69676;       // the VS button's click, also sent by the VS knob
constexpr std::int32_t kMdIasLongClick = 69677;  // the IAS button's long click, also sent by the VS knob

// One control and its parameter of an MD-80 button.
struct MdCommand {
    std::int32_t Control;
    std::int32_t Parameter;
};
// Button clicks with a fixed parameter, and long clicks, by button 1-8;
// control 0 where the button does something else.
constexpr MdCommand kMdClicks[9] = {{0, 0}, {0, 0},          {69659, 1}, {69672, 1}, {0, 0},
                                    {0, 0}, {kMdVsClick, 1}, {69674, 1}, {0, 0}};
constexpr MdCommand kMdLongClicks[9] = {{0, 0},     {0, 0},     {69658, 1}, {69673, 1}, {kMdIasLongClick, 1},
                                        {69679, 1}, {69678, 1}, {69675, 1}, {0, 0}};
constexpr std::int32_t kMdIasHold = 69669;
constexpr std::int32_t kMdMachHold = 69745;
// The REV cycle value that follows each value 1-6.
constexpr std::int32_t kMdRevNext[7] = {1, 5, 1, 4, 6, 3, 2};

constexpr std::uint8_t kApLamp = 0x01;
constexpr std::uint8_t kRevLamp = 0x80;

// An event or refresh that meets a value without a valid form stops there;
// every write converts its value before anything is queued, so no write is
// left half done.
template <class Body>
void Safely(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception&) {
        // the next refresh shows what the simulator holds
    }
}

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

std::int32_t RoundToInt(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<std::int32_t>(std::clamp(simlink::RoundHalfEven(value), -2147483648.0, 2147483647.0));
}

// The autopilot's altitude (metres * 65536) in feet and heading (65536 a
// turn) in degrees, as the rows show them.
std::int32_t AltitudeFeet(double units) { return RoundToInt(units * kFeetPerMetre / kUnitsPerMetre); }
std::int32_t HeadingDegrees(double units) { return RoundToInt(units * 360.0 / kUnitsPerTurn); }

// Heading and course steps of the standard and NGX modes: one step past
// either end lands on the other end, whatever the speed.
std::int32_t StepDegrees(std::int32_t value, std::int32_t delta) {
    const std::int32_t next = value + delta;
    if (next < 0) return 359;
    if (next > 359) return 0;
    return next;
}

// The MD-80's: whole turns are taken off.
std::int32_t WrapDegrees(std::int32_t value) { return ((value % 360) + 360) % 360; }

} // namespace

cMultiPanelLogic::cMultiPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets,
                                   simlink::ILink& link, actions::IActionTarget& target,
                                   simlink::IWaitHost& waitHost, config::cConfiguration& configuration,
                                   IMultiPanelControl& control)
    : state_(state), offsets_(offsets), link_(link), target_(target), waitHost_(waitHost),
      configuration_(configuration), control_(control), holder_(configuration), upperRow_(std::in_place),
      lowerRow_(std::in_place) {}

// ---------------------------------------------------------------------------
// Start-up and configuration

void cMultiPanelLogic::StartUp() {
    Safely([this] {
        holder_.PanelIndex = PanelIndex;
        holder_.LoadSetup();
    });
    lamps_ = 0;
    force_ = false;
    Safely([this] {
        offsets_.AddOffset(kBatteryOffset, 4, kBatteryKey);
        offsets_.AddOffset(kAvionicsOffset, 4, kAvionicsKey);
    });
    SetupChanged();
}

void cMultiPanelLogic::SetupChanged() {
    Safely([this] { ApplyAccelerations(); });
    Safely([this] { Register(); });
    if (SpecialMode() == kSpecialModeMaddog) ResetMaddog();
    Pump();
}

void cMultiPanelLogic::ApplyAccelerations() {
    if (selector_ != kNoPosition) control_.SetRotAcceleration(holder_.GetRotAcceleration(selector_));
    control_.SetTrimAcceleration(holder_.TrimAcceleration);
}

// Entries are looked up by key on every use, never kept: every Multi Panel
// removes and re-adds them when its configuration changes.
void cMultiPanelLogic::Register() {
    for (const KeyInfo& key : kKeys) offsets_.RemoveOffset(key.Name);
    switch (SpecialMode()) {
    case kSpecialModeMaddog:
        break;  // the MD-80's values live in the logic
    case kSpecialModeNgx:
        for (int button = kAp; button < kButtonCount; ++button) {
            const int item = holder_.NGXGetShortButtonsActions(button);
            // Items without a lamp register nothing: their lamp stays dark.
            if (!IsNGXItem(item) || NGXItemTable[static_cast<std::size_t>(item)].LampOffset == 0) continue;
            offsets_.AddOffset(NGXItemTable[static_cast<std::size_t>(item)].LampOffset, 1, kKeys[button - 1].Name);
        }
        for (int k = kLampKeys; k < kKeyCount; ++k) offsets_.AddOffset(kKeys[k].NgxOffset, kKeys[k].NgxType, kKeys[k].Name);
        break;
    default:
        for (const KeyInfo& key : kKeys)
            if (key.StandardOffset != 0) offsets_.AddOffset(key.StandardOffset, key.StandardType, key.Name);
        break;
    }
}

void cMultiPanelLogic::ResetMaddog() {
    maddog_ = MaddogValues{};
    lamps_ = static_cast<std::uint8_t>(lamps_ & ~(kApLamp | kRevLamp));
    // The rows show the values just set, not what the simulator held.
    lowerRow_->clear();
    MaddogSelectorRows();
}

void cMultiPanelLogic::Pump() {
    Safely([this] { waitHost_.PumpMessages(); });
}

int cMultiPanelLogic::CourseRadio() const {
    switch (holder_.CourseSel) {
    case kCourseSelectable:
        return state_.RadioUpperSelection == 2 || state_.RadioUpperSelection == 4 ? 2 : 1;
    case kCourseNav2:
        return 2;
    default:
        return 1;  // NAV1, also for a value that names no radio
    }
}

double cMultiPanelLogic::Number(Key key) const {
    const cOFFSET* entry = offsets_.Item(kKeys[key].Name);
    return entry ? entry->Data().AsDouble() : 0.0;
}

std::optional<double> cMultiPanelLogic::Pending(Key key) const {
    const cOFFSET* entry = offsets_.Item(kKeys[key].Name);
    if (entry == nullptr) return std::nullopt;
    // Read back through a buffer of the registered type, so that the value
    // converts exactly as a refresh would convert it.
    cOFFSET written(link_);
    written.Offset = entry->Offset;
    written.SetDataType(entry->DataType());
    written.Lenght = entry->TransferLength();
    if (!written.ReadPendingWrite()) return std::nullopt;
    return written.Data().AsDouble();
}

double cMultiPanelLogic::Expected(Key key) const {
    const std::optional<double> pending = Pending(key);
    return pending ? *pending : Number(key);
}

// ---------------------------------------------------------------------------
// Refresh

void cMultiPanelLogic::RefreshData() {
    Safely([this] {
        const cOFFSET* battery = offsets_.Item(kBatteryKey);
        const cOFFSET* avionics = offsets_.Item(kAvionicsKey);
        if (battery == nullptr || avionics == nullptr) return;  // not started
        if (SpecialMode() == kSpecialModeMaddog) {
            // The MD-80's AP lamp shows the autopilot state the panel set.
            lamps_ = static_cast<std::uint8_t>(maddog_.Ap ? lamps_ | kApLamp : lamps_ & ~kApLamp);
            control_.WriteDisplay(upperRow_, lowerRow_, lamps_, force_);
            force_ = false;
            return;
        }
        RefreshLamps();
        // A value the knob wrote keeps showing until a refresh reads it
        // back: a refresh from reads taken before the write would show the
        // old value for a moment and let the next step start from it.
        airspeed_ = Expected(kApIasVal);
        verticalSpeed_ = RoundToInt(Expected(kApVsVal));
        course_ = RoundToInt(Expected(CourseKey()));
        if (SpecialMode() == kSpecialModeNgx) RefreshNgxRows();
        else RefreshStandardRows();
        if (battery->Data().AsDouble() == 0 || avionics->Data().AsDouble() == 0) {
            control_.TurnOffDisplay();
            return;
        }
        control_.WriteDisplay(upperRow_, lowerRow_, lamps_, force_);
        force_ = false;
    });
}

void cMultiPanelLogic::RefreshLamps() {
    std::uint8_t lamps = 0;
    for (int i = 0; i < kLampKeys; ++i)
        if (Number(static_cast<Key>(i)) == 1) lamps = static_cast<std::uint8_t>(lamps | (1u << i));
    lamps_ = lamps;
}

void cMultiPanelLogic::RefreshStandardRows() {
    heading_ = HeadingDegrees(Expected(kApHdgVal));
    altitude_ = AltitudeFeet(Expected(kApAltVal));
    std::string& upper = *upperRow_;
    std::string& lower = *lowerRow_;
    upper.clear();
    lower.clear();
    switch (selector_) {
    case kAlt: case kVs:
        AppendNumber(upper, altitude_, "00000");
        AppendInteger(lower, verticalSpeed_);
        break;
    case kIas: AppendInteger(upper, RoundToInt(airspeed_)); break;
    case kHdg: AppendNumber(upper, heading_, "000"); break;
    case kCrs: AppendNumber(upper, course_, "000"); break;
    default: break;
    }
}

void cMultiPanelLogic::RefreshNgxRows() {
    heading_ = RoundToInt(Number(kApHdgVal));
    altitude_ = RoundToInt(Number(kApAltVal));
    const bool iasBlank = Number(kApIasBlank) != 0;
    const bool vsBlank = Number(kApVsBlank) != 0;
    std::string& upper = *upperRow_;
    std::string& lower = *lowerRow_;
    upper.clear();
    lower.clear();
    switch (selector_) {
    case kAlt: case kVs:
        AppendInteger(upper, altitude_);
        if (!vsBlank) AppendNumber(lower, verticalSpeed_, "0000");
        break;
    case kIas:
        if (iasBlank) break;
        // Below 10 the window shows a Mach number.
        if (airspeed_ < 10) AppendSingle(upper, static_cast<float>(airspeed_), "0.000");
        else AppendInteger(upper, RoundToInt(airspeed_));
        break;
    case kHdg: AppendNumber(upper, heading_, "000"); break;
    case kCrs: AppendNumber(upper, course_, "000"); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// Events

void cMultiPanelLogic::SelectorChange(int newSelector, int previousSelector) {
    const int position = newSelector >= kAlt && newSelector < kPositionCount ? newSelector : kNoPosition;
    const int previous = previousSelector >= kAlt && previousSelector < kPositionCount ? previousSelector : kNoPosition;
    selector_ = position;
    Safely([this] { ApplyAccelerations(); });
    force_ = true;
    Safely([&] {
        if (SpecialMode() == kSpecialModeMaddog) {
            MaddogSelectorRows();
            control_.WriteDisplay(upperRow_, lowerRow_, std::nullopt, false);
            return;
        }
        // Copies: a keystroke lets messages run, which may reload the configuration.
        const EventAction action = holder_.SelectorAction(position);
        const EventAction left = holder_.SelectorAction(previous);
        actions::Press(action, target_);
        // A button held while the selector stood at the position it left
        // is released, whatever the new position does.
        if (left.Kind == actions::kVButton) actions::Release(left, target_);
    });
    Pump();
}

void cMultiPanelLogic::ButtonClick(int button) {
    if (button < kAp || button >= kButtonCount) return;
    if (SpecialMode() == kSpecialModeMaddog) {
        SM_MADDOG_ButtonLongClick(button);
        return;
    }
    Safely([&] {
        const EventAction action = holder_.ButtonAction(button);
        if (actions::CarryOut(action, target_) == Outcome::BuiltIn) ButtonBuiltIn(button, false);
    });
    Pump();
}

void cMultiPanelLogic::ButtonLongClick(int button) {
    if (button < kAp || button >= kButtonCount) return;
    Safely([&] {
        if (SpecialMode() == kSpecialModeMaddog) {
            MaddogLongClick(button);
            return;
        }
        const EventAction action = holder_.LongButtonAction(button);
        if (actions::CarryOut(action, target_) == Outcome::BuiltIn) ButtonBuiltIn(button, true);
    });
    Pump();
}

void cMultiPanelLogic::ButtonBuiltIn(int button, bool longClick) {
    if (SpecialMode() == kSpecialModeNgx) {
        const int item = longClick ? holder_.NGXGetLongButtonsActions(button) : holder_.NGXGetShortButtonsActions(button);
        if (IsNGXItem(item)) Control(NGXItemTable[static_cast<std::size_t>(item)].Control, kNGXClickParameter);
        return;
    }
    const std::int32_t offset = kHoldOffsets[static_cast<std::size_t>(button)];
    const std::optional<double> value = ReadNow(offset, 4);
    if (!value) return;  // the simulator did not answer: toggling 0 would guess
    const double toggled = *value == 0 ? 1 : 0;
    WriteQueued(offset, 4, toggled);
    if (button == kApr) WriteQueued(kApGlideslopeOffset, 4, toggled);
}

void cMultiPanelLogic::SM_MADDOG_ButtonLongClick(int button) {
    if (button < kAp || button >= kButtonCount) return;
    Safely([&] {
        switch (button) {
        case kAp:
            maddog_.Ap = !maddog_.Ap;
            Control(kMdApMaster, maddog_.Ap ? 1 : 0);
            break;
        case kIasButton:
            Control(maddog_.MachMode ? kMdMachHold : kMdIasHold, 1);
            break;
        case kAltButton:
            Control(kMdAltitudeValue, maddog_.Altitude);
            Control(kMdAltitudeHold, 1);
            break;
        case kRev: {
            const std::int32_t cycle = maddog_.RevCycle;
            Control(kMdRevValue, cycle);
            Control(kMdRevSelect, 1);
            maddog_.RevCycle = cycle >= 1 && cycle <= 6 ? kMdRevNext[cycle] : 1;
            break;
        }
        default: {
            const MdCommand& command = kMdClicks[button];
            Control(command.Control, command.Parameter);
            break;
        }
        }
    });
    Pump();
}

void cMultiPanelLogic::MaddogLongClick(int button) {
    switch (button) {
    case kAp:
        maddog_.Ap = !maddog_.Ap;
        Control(kMdApMaster, maddog_.Ap ? 1 : 0);
        break;
    case kRev:
        maddog_.MachMode = !maddog_.MachMode;
        lamps_ = static_cast<std::uint8_t>(lamps_ ^ kRevLamp);
        Control(kMdMachMode, maddog_.MachMode ? 1 : 0);
        if (selector_ == kIas) {
            std::string& upper = *upperRow_;
            upper.clear();
            if (maddog_.MachMode) AppendNumber(upper, maddog_.Mach, "0000");
            else AppendNumber(upper, maddog_.Airspeed, "000");
            control_.WriteDisplay(upperRow_, std::nullopt, lamps_, false);
        }
        break;
    default: {
        const MdCommand& command = kMdLongClicks[button];
        Control(command.Control, command.Parameter);
        break;
    }
    }
}

void cMultiPanelLogic::MaddogSelectorRows() {
    std::string& upper = *upperRow_;
    upper.clear();
    switch (selector_) {
    case kAlt: case kVs:
        AppendNumber(upper, maddog_.Altitude, "00000");
        lowerRow_->clear();
        AppendInteger(*lowerRow_, maddog_.VerticalSpeed);
        break;
    case kIas:
        if (maddog_.MachMode) AppendNumber(upper, maddog_.Mach, "0000");
        else AppendInteger(upper, maddog_.Airspeed);
        break;
    case kHdg: AppendNumber(upper, maddog_.Heading, "000"); break;
    case kCrs: AppendNumber(upper, maddog_.Course, "000"); break;
    default: break;
    }
}

void cMultiPanelLogic::Rotary(int direction, int speed) {
    if (direction != kUp && direction != kDown) return;
    const int times = speed < 1 ? 1 : speed;
    Safely([&] {
        if (selector_ == kNoPosition) return;
        if (SpecialMode() == kSpecialModeMaddog) {
            RotaryMaddog(direction, times);
            return;
        }
        const EventAction action = holder_.RotAction(direction, selector_);
        if (actions::CarryOut(action, target_, times) != Outcome::BuiltIn) return;
        if (SpecialMode() == kSpecialModeNgx) RotaryNgx(direction);
        else RotaryStandard(direction, times);
    });
    Pump();
}

// Each step goes on from the value the last refresh read, or from the last
// step when no refresh came in between; a write on its way (of another Multi
// Panel on the same autopilot, or sent after the refresh's reads were taken)
// counts over both, so that no step is written twice and lost.
void cMultiPanelLogic::RotaryStandard(int direction, int speed) {
    const int sign = direction == kUp ? 1 : -1;
    auto from = [this](Key key, auto convert, auto copy) {
        const std::optional<double> pending = Pending(key);
        return pending ? convert(*pending) : copy;
    };
    const auto asIs = [](double v) { return v; };
    const auto asInt = [](double v) { return RoundToInt(v); };
    switch (selector_) {
    case kAlt: {
        const std::int32_t altitude =
            std::clamp(from(kApAltVal, AltitudeFeet, altitude_) + sign * 100 * speed, 0, kAltitudeMax);
        if (WriteQueued(kApAltValOffset, 4, simlink::RoundHalfEven(altitude / kFeetPerMetre * kUnitsPerMetre)))
            altitude_ = altitude;
        break;
    }
    case kVs: {
        const std::int32_t vs =
            std::clamp(from(kApVsVal, asInt, verticalSpeed_) + sign * 100 * speed, -kVsLimit, kVsLimit);
        if (WriteQueued(kApVsValOffset, 2, vs)) verticalSpeed_ = vs;
        break;
    }
    case kIas: {
        const double airspeed =
            std::clamp(std::round(from(kApIasVal, asIs, airspeed_)) + sign * speed, 0.0, 32767.0);
        if (WriteQueued(kApIasValOffset, 2, airspeed)) airspeed_ = airspeed;
        break;
    }
    case kHdg: {
        const std::int32_t heading = StepDegrees(from(kApHdgVal, HeadingDegrees, heading_), sign * speed);
        if (WriteQueued(kApHdgValOffset, 3, simlink::RoundHalfEven(heading / 360.0 * kUnitsPerTurn))) heading_ = heading;
        break;
    }
    case kCrs: {
        const std::int32_t course = StepDegrees(from(CourseKey(), asInt, course_), sign * speed);
        if (WriteQueued(CourseRadio() == 2 ? kNav2CrsOffset : kNav1CrsOffset, 2, course)) course_ = course;
        break;
    }
    default: break;
    }
}

void cMultiPanelLogic::RotaryNgx(int direction) {
    const bool up = direction == kUp;
    const std::int32_t wheel = up ? kNGXWheelUp : kNGXWheelDown;
    switch (selector_) {
    case kAlt: Control(kNGXAltitudeWheel, wheel); break;
    // The V/S wheel turns the other way.
    case kVs: Control(kNGXVsWheel, up ? kNGXWheelDown : kNGXWheelUp); break;
    case kIas: Control(kNGXSpeedWheel, wheel); break;
    case kHdg: Control(kNGXHeadingWheel, wheel); break;
    case kCrs: Control(CourseRadio() == 2 ? kNGXRightCourseWheel : kNGXLeftCourseWheel, wheel); break;
    default: break;
    }
}

void cMultiPanelLogic::RotaryMaddog(int direction, int speed) {
    const int sign = direction == kUp ? 1 : -1;
    MaddogValues& md = maddog_;
    std::string& upper = *upperRow_;
    switch (selector_) {
    case kAlt:
        md.Altitude = std::clamp(md.Altitude + sign * 100 * speed, 0, kAltitudeMax);
        upper.clear();
        AppendNumber(upper, md.Altitude, "00000");
        control_.WriteDisplay(upperRow_, std::nullopt, std::nullopt, false);
        Control(kMdAltitudeSelect, md.Altitude);
        Control(kMdAltitudeValue, md.Altitude);
        break;
    case kVs:
        md.VerticalSpeed = std::clamp(md.VerticalSpeed + sign * 100 * speed, kMaddogVsMin, kMaddogVsMax);
        lowerRow_->clear();
        AppendInteger(*lowerRow_, md.VerticalSpeed);
        control_.WriteDisplay(std::nullopt, lowerRow_, std::nullopt, false);
        Control(kMdIasLongClick, 1);
        Control(kMdVsClick, 1);
        Control(kMdVsValue, md.VerticalSpeed);
        break;
    case kIas:
        upper.clear();
        if (md.MachMode) {
            md.Mach = std::clamp(md.Mach + sign * speed, kMaddogMachMin, kMaddogMachMax);
            AppendNumber(upper, md.Mach, "0000");
            control_.WriteDisplay(upperRow_, std::nullopt, std::nullopt, false);
            Control(kMdMachValue, md.Mach);
        } else {
            md.Airspeed = std::clamp(md.Airspeed + sign * speed, kMaddogIasMin, kMaddogIasMax);
            AppendInteger(upper, md.Airspeed);
            control_.WriteDisplay(upperRow_, std::nullopt, std::nullopt, false);
            Control(kMdIasSelect, md.Airspeed);
            Control(kMdIasValue, md.Airspeed);
        }
        break;
    case kHdg:
        md.Heading = WrapDegrees(md.Heading + sign * speed);
        upper.clear();
        AppendNumber(upper, md.Heading, "000");
        control_.WriteDisplay(upperRow_, std::nullopt, std::nullopt, false);
        Control(kMdHeadingValue, md.Heading);
        break;
    case kCrs:
        md.Course = WrapDegrees(md.Course + sign * speed);
        upper.clear();
        AppendNumber(upper, md.Course, "000");
        control_.WriteDisplay(upperRow_, std::nullopt, std::nullopt, false);
        Control(CourseRadio() == 2 ? kMdCourse2 : kMdCourse1, md.Course);
        break;
    default: break;
    }
}

void cMultiPanelLogic::Trim(int direction, int speed) {
    if (direction != kUp && direction != kDown) return;
    const int times = speed < 1 ? 1 : speed;
    Safely([&] {
        const EventAction action = holder_.TrimAction(direction);
        if (actions::CarryOut(action, target_, times) == Outcome::BuiltIn) TrimBuiltIn(direction, times);
    });
    Pump();
}

void cMultiPanelLogic::TrimBuiltIn(int direction, int speed) {
    if (SpecialMode() == kSpecialModeNgx) {
        const bool up = (direction == kUp) != (holder_.ReverseTrim != 0);
        for (int i = 0; i < speed; ++i) {
            Control(up ? kTrimUpControl : kTrimDownControl, 0);
            // Sent one by one, so that the aircraft sees each step.
            std::int32_t result = 0;
            link_.LinkProcess(result);
            simlink::WaitFor(waitHost_, kNGXTrimWaitMs, 25);
        }
        return;
    }
    // Worked out in 32 bits: a large sensitivity from the profile file must
    // not overflow the step.
    std::int32_t step = speed * std::int32_t{holder_.TrimSensitivity} * 8;
    if (holder_.ReverseTrim == 1) step = -step;
    const std::optional<double> value = ReadNow(kElevatorTrimOffset, 2);
    if (!value) return;
    const double moved = direction == kUp ? *value + step : *value - step;
    // Kept within the trim's range both ways, also when reversed.
    WriteNow(kElevatorTrimOffset, 2, std::clamp(moved, double{-kTrimLimit}, double{kTrimLimit}));
}

void cMultiPanelLogic::Flaps(int direction) {
    if (direction != kUp && direction != kDown) return;
    Safely([&] {
        const EventAction action = holder_.FlapsAction(direction);
        if (actions::CarryOut(action, target_) == Outcome::BuiltIn) FlapsBuiltIn(direction);
    });
    Pump();
}

void cMultiPanelLogic::FlapsBuiltIn(int direction) {
    if (SpecialMode() == kSpecialModeNgx) {
        const bool up = (direction == kUp) != (holder_.ReverseFlaps != 0);
        Control(up ? kFlapsUpControl : kFlapsDownControl, 0);
        return;
    }
    const std::optional<double> increment = ReadNow(kFlapsIncrementOffset, 2);
    if (!increment) return;
    double step = *increment;
    if (holder_.ReverseFlaps == 1) step = -step;
    if (direction == kUp) step = -step;
    const std::optional<double> flaps = ReadNow(kFlapsOffset, 3, 2);
    if (!flaps) return;
    WriteQueued(kFlapsOffset, 3, std::clamp(*flaps + step, 0.0, double{kFlapsMax}));
}

void cMultiPanelLogic::AutoThrottleChange(bool armed) {
    const int position = armed ? kAtArm : kAtOff;
    Safely([&] {
        if (SpecialMode() == kSpecialModeMaddog) {
            Control(kMdAutoThrottle, armed ? 1 : 0);
            return;
        }
        const EventAction action = holder_.AutoThrottleAction(position);
        if (actions::CarryOut(action, target_) == Outcome::BuiltIn) AutoThrottleBuiltIn(armed);
    });
    Pump();
}

void cMultiPanelLogic::AutoThrottleBuiltIn(bool armed) {
    if (SpecialMode() == kSpecialModeNgx) {
        const cOFFSET* arm = offsets_.Item(kKeys[kAtArmSwitch].Name);
        if (arm == nullptr) return;
        const double switchPosition = arm->Data().AsDouble();
        // The switch is clicked only when the aircraft's is the other way.
        if ((armed && switchPosition == 0) || (!armed && switchPosition == 1))
            Control(kNGXAutoThrottleArm, kNGXClickParameter);
        return;
    }
    WriteQueued(kAutoThrottleArmOffset, 4, armed ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Simulator access

bool cMultiPanelLogic::Write(std::int32_t offset, std::int32_t type, double value, bool immediate) {
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(type);
    try {
        buffer.SetData(value);
    } catch (const std::exception&) {
        return false;
    }
    buffer.DirectWrite(immediate);
    return true;
}

bool cMultiPanelLogic::WriteQueued(std::int32_t offset, std::int32_t type, double value) {
    return Write(offset, type, value, false);
}

bool cMultiPanelLogic::WriteNow(std::int32_t offset, std::int32_t type, double value) {
    return Write(offset, type, value, true);
}

std::optional<double> cMultiPanelLogic::ReadNow(std::int32_t offset, std::int32_t type,
                                                std::optional<std::int32_t> length) {
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(type);
    if (length) buffer.Lenght = *length;
    buffer.DirectRead(true);
    if (buffer.dwResult != simlink::ResultOk) return std::nullopt;
    return buffer.Data().AsDouble();
}

void cMultiPanelLogic::Control(std::int32_t control, std::int32_t parameter) {
    simlink::SendFsControl(link_, control, parameter);
}

} // namespace orvex::panels::multi
