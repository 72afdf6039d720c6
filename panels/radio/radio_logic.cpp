#include "panels/radio/radio_logic.h"

#include "panels/radio/radio_format.h"
#include "simlink/conversions.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string_view>
#include <utility>

namespace orvex::panels::radio {

namespace {

using actions::EventAction;
using actions::Outcome;
using simlink::cOFFSET;

struct KeyInfo {
    const char* Name;
    std::int32_t Offset;
    std::int32_t Type;
};

// In the order of the Key enumeration.
constexpr KeyInfo kKeys[] = {
    {"COM1ACTIVE", 0x034E, 3},     {"COM1STANDBY", 0x311A, 3}, {"COM2ACTIVE", 0x3118, 3},
    {"COM2STANDBY", 0x311C, 3},    {"NAV1ACTIVE", 0x0350, 3},  {"NAV1STANDBY", 0x311E, 3},
    {"NAV2ACTIVE", 0x0352, 3},     {"NAV2STANDBY", 0x3120, 3}, {"ADF1MAIN", 0x034C, 3},
    {"ADF1EXT", 0x0356, 3},        {"ADF2MAIN", 0x02D4, 3},    {"ADF2EXT", 0x02D6, 3},
    {"DME1DIST", 0x0300, 3},       {"DME2DIST", 0x0306, 3},    {"DME1SPEED", 0x0302, 3},
    {"DME2SPEED", 0x0308, 3},      {"DME1TIME", 0x0304, 3},    {"DME2TIME", 0x030A, 3},
    {"QNH", 0x0330, 3},            {"XPDR", 0x0354, 3},        {"MASTERBATTERY", 0x281C, 4},
    {"MASTERAVIONICS", 0x2E80, 4},
};

// The 737NGX's barometric unit (0 = inches), registered in that mode only.
constexpr std::string_view kNgxInHpaKey = "NGX-IN-HPA";
constexpr std::int32_t kNgxInHpaOffset = 0x6516;

// By radio 1-4 (COM1, COM2, NAV1, NAV2).
constexpr std::int32_t kStandbyOffsets[5] = {0, 0x311A, 0x311C, 0x311E, 0x3120};
constexpr std::int32_t kSwapBits[5] = {0, 8, 4, 2, 1};
// By ADF 1-2.
constexpr std::int32_t kAdfMainOffsets[3] = {0, 0x034C, 0x02D4};
constexpr std::int32_t kAdfExtOffsets[3] = {0, 0x0356, 0x02D6};

constexpr double kComLow = 118.0, kComHigh = 137.0;
constexpr double kNavLow = 108.0, kNavHigh = 118.0;
constexpr double kAdfLow = 100.0, kAdfHigh = 1800.0;
constexpr double kComInnerStep = 0.025, kNavInnerStep = 0.05, kOuterStep = 1.0;
constexpr double kInHgPerHpa = 0.02953;
constexpr std::string_view kNoDistance = " . . .";

// An event or refresh that meets a value without a valid form stops there;
// every write checks its values before anything is written, so no write is
// left half done, and the next refresh shows what the simulator holds.
template <class Body>
void Guarded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception&) {
    }
}

// value + delta, brought into [low, high) by whole turns of the range. The
// sum is taken in ten-thousandths so that decimal steps add up exactly
// (117.95 + 0.05 is 118.00, not 117.99999...); whole turns of a large value
// or step are dropped first.
double StepAndWrap(double value, double delta, double low, double high) {
    if (!std::isfinite(value) || !std::isfinite(delta)) return value;
    constexpr double kScale = 10000.0;
    const double range = high - low;
    const std::int64_t span = std::llround(range * kScale);
    std::int64_t units = std::llround(std::fmod(value - low, range) * kScale) +
                         std::llround(std::fmod(delta, range) * kScale);
    units %= span;
    if (units < 0) units += span;
    return (std::llround(low * kScale) + units) / kScale;
}

} // namespace

cRadioPanelLogic::cRadioPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets,
                                   simlink::ILink& link, actions::IActionTarget& target,
                                   simlink::IWaitHost& waitHost, config::cConfiguration& configuration,
                                   IRadioPanelControl& control)
    : state_(state), offsets_(offsets), link_(link), target_(target), waitHost_(waitHost),
      configuration_(configuration), control_(control), holder_(configuration) {
    for (int s = 0; s < 3; ++s) {
        activeText_[s].emplace();
        standbyText_[s].emplace();
    }
}

// ---------------------------------------------------------------------------
// Translation of the device control's events

std::int32_t cRadioPanelLogic::SelectorPosition(std::int32_t selectorValue) {
    switch (selectorValue) {
    case 0x010000: case 0x800000: return kCom1;
    case 0x020000: case 0x000100: return kCom2;
    case 0x040000: case 0x000200: return kNav1;
    case 0x080000: case 0x000400: return kNav2;
    case 0x100000: case 0x000800: return kAdf;
    case 0x200000: case 0x001000: return kDme;
    case 0x400000: case 0x002000: return kXpdr;
    default: return kNoPosition;
    }
}

KnobCall cRadioPanelLogic::TranslateKnob(std::int32_t knob) {
    if (knob < 0 || knob > 3) return {knob & 1, 0};
    return {knob % 2, knob < 2 ? 1 : 2};
}

int cRadioPanelLogic::SelectorOfMask(std::int32_t mask) {
    if (mask == kUpperButtonMask) return 1;
    if (mask == kLowerButtonMask) return 2;
    return 0;
}

std::int32_t cRadioPanelLogic::Position(int selector) const {
    return (selector == 1 || selector == 2) ? position_[selector] : kNoPosition;
}

std::uint8_t cRadioPanelLogic::DmeDisplayMode(int selector) const {
    return (selector == 1 || selector == 2) ? dmeMode_[selector] : std::uint8_t{0};
}

// ---------------------------------------------------------------------------
// Start-up and configuration

void cRadioPanelLogic::StartUp() {
    position_[1] = position_[2] = kCom1;
    state_.ADFStandby[1] = state_.ADFStandby[2] = 0.0f;
    xpdrDigit_ = 1;
    adfChoice_ = 1;
    inches_ = false;
    Guarded([this] {
        holder_.PanelIndex = PanelIndex;
        holder_.LoadSetup();
    });
    SetupChanged();
}

void cRadioPanelLogic::SetupChanged() {
    Guarded([this] {
        offsets_.RemoveOffset(kNgxInHpaKey);
        // Taken over only when complete, so a refresh never meets a partial set.
        std::array<cOFFSET*, kKeyCount> found{};
        for (int k = 0; k < kKeyCount; ++k)
            found[k] = &offsets_.AddOffset(kKeys[k].Offset, kKeys[k].Type, kKeys[k].Name);
        keys_ = found;
        if (SpecialMode() == kSpecialModeNgx) offsets_.AddOffset(kNgxInHpaOffset, 1, kNgxInHpaKey);
    });
    Guarded([this] {
        for (int s = 1; s <= 2; ++s)
            if (position_[s] != kNoPosition) control_.SetAcceleration(s, holder_.GetAcceleration(position_[s]));
    });
    altimeterToggle_ = holder_.AltimeterUnit == kAltimeterToggle;
    inches_ = holder_.AltimeterUnit != kAltimeterHpa;
    dmeMode_[1] = dmeMode_[2] = holder_.DMEMode == 0 ? std::uint8_t{1} : holder_.DMEMode;
    adfMode_ = holder_.ADFMode;
    Pump();
}

void cRadioPanelLogic::Pump() {
    Guarded([this] { waitHost_.PumpMessages(); });
}

// ---------------------------------------------------------------------------
// Refresh

double cRadioPanelLogic::Number(const cOFFSET& offset) { return offset.Data().AsDouble(); }

void cRadioPanelLogic::RefreshData() {
    Guarded([this] {
        if (keys_[0] == nullptr) return; // not registered yet
        RefreshSelector(1);
        RefreshSelector(2);
        if (Number(Item(kMasterBattery)) == 0 || Number(Item(kMasterAvionics)) == 0)
            control_.TurnOffDisplay();
        else
            control_.WriteDisplay(activeText_[1], standbyText_[1], activeText_[2], standbyText_[2]);
    });
}

void cRadioPanelLogic::RefreshSelector(int selector) {
    switch (position_[selector]) {
    case kCom1: case kCom2: case kNav1: case kNav2: RefreshRadio(selector, position_[selector]); break;
    case kAdf: RefreshAdf(selector); break;
    case kDme: RefreshDme(selector); break;
    case kXpdr: RefreshXpdr(selector); break;
    default: break; // no position: the texts stay as they were
    }
}

void cRadioPanelLogic::RefreshRadio(int selector, int radio) {
    const cOFFSET& active = Item(static_cast<Key>(kCom1Active + 2 * (radio - 1)));
    const cOFFSET& standby = Item(static_cast<Key>(kCom1Standby + 2 * (radio - 1)));
    std::string& activeText = ActiveText(selector);
    std::string& standbyText = StandbyText(selector);
    activeText.clear();
    standbyText.clear();
    if (radio >= kNav1 && SpecialMode() == kSpecialModeMd80) {
        // The MD-80 has no standby NAV frequency: the active one is tuned.
        radioValue_[radio] = active.GetFreq();
        AppendSingle(standbyText, radioValue_[radio], "0.00");
        return;
    }
    // A frequency written and not yet read back keeps showing: a refresh
    // from reads taken before the write would show the old one for a moment.
    cOFFSET written(link_);
    written.Offset = standby.Offset;
    written.SetDataType(3);
    radioValue_[radio] = (written.ReadPendingWrite() ? written : standby).GetFreq();
    AppendSingle(activeText, active.GetFreq(), "0.00");
    AppendSingle(standbyText, radioValue_[radio], "0.00");
    if (radio <= kCom2) radioValue_[radio] = simlink::ExpandComFrequency(radioValue_[radio]);
}

void cRadioPanelLogic::ReadAdf() {
    for (int n = 1; n <= 2; ++n) {
        const double main = Item(n == 1 ? kAdf1Main : kAdf2Main).GetBCD();
        const double ext = Item(n == 1 ? kAdf1Ext : kAdf2Ext).GetBCD();
        // The extension holds the tenths, plus 100 for frequencies from 1000 kHz on.
        const double kHz = ext < 100 ? main + ext / 10.0 : main + 1000.0 + (ext - 100.0) / 10.0;
        state_.ADFActive[n] = static_cast<float>(kHz);
        if (state_.ADFStandby[n] == 0.0f) state_.ADFStandby[n] = state_.ADFActive[n];
    }
}

void cRadioPanelLogic::RefreshAdf(int selector) {
    ReadAdf();
    std::string& activeText = ActiveText(selector);
    std::string& standbyText = StandbyText(selector);
    activeText.clear();
    standbyText.clear();
    constexpr std::string_view kPattern = "0000.0";
    switch (adfMode_) {
    case 0:
        AppendSingle(standbyText, state_.ADFActive[1], kPattern);
        AppendDistance(activeText, kDme1Dist);
        break;
    case 1:
        AppendSingle(standbyText, state_.ADFActive[2], kPattern);
        AppendDistance(activeText, kDme2Dist);
        break;
    case 2:
        AppendSingle(standbyText, state_.ADFActive[1], kPattern);
        AppendSingle(activeText, state_.ADFActive[2], kPattern);
        // The decimal point of the last digit marks the ADF the knobs tune.
        (adfChoice_ == 1 ? standbyText : activeText).push_back('.');
        break;
    case 3:
    case 4:
    case 5: {
        const int n = TunedAdf(selector);
        AppendSingle(standbyText, state_.ADFStandby[n], kPattern);
        AppendSingle(activeText, state_.ADFActive[n], kPattern);
        break;
    }
    default: // a mode that does not exist: ADF1, nothing else
        AppendSingle(standbyText, state_.ADFActive[1], kPattern);
        break;
    }
}

void cRadioPanelLogic::AppendDistance(std::string& out, Key distance) const {
    const double tenths = Number(Item(distance));
    if (tenths == 0 || tenths > 9999) out.append(kNoDistance); // no signal
    else if (tenths >= 1000) AppendNumber(out, std::trunc(tenths / 10), "000");
    else AppendNumber(out, tenths / 10, "00.0");
}

void cRadioPanelLogic::RefreshDme(int selector) {
    std::string& activeText = ActiveText(selector);
    std::string& standbyText = StandbyText(selector);
    activeText.clear();
    standbyText.clear();
    const std::uint8_t mode = dmeMode_[selector];
    if (mode != 2 && mode != 3) {
        AppendDistance(activeText, kDme1Dist);
        AppendDistance(standbyText, kDme2Dist);
        return;
    }
    const bool dme1 = mode == 2;
    activeText.append(dme1 ? "1 " : "2 ");
    AppendDistance(activeText, dme1 ? kDme1Dist : kDme2Dist);
    if (activeText.compare(2, std::string::npos, kNoDistance) == 0) {
        standbyText.append(kNoDistance);
    } else if (dmeTime_) {
        AppendNumber(standbyText, std::trunc(Number(Item(dme1 ? kDme1Time : kDme2Time)) / 600), "00");
        standbyText.push_back('.');
    } else {
        AppendNumber(standbyText, Number(Item(dme1 ? kDme1Speed : kDme2Speed)) / 10, "000");
    }
}

void cRadioPanelLogic::RefreshXpdr(int selector) {
    qnh_ = static_cast<float>(Number(Item(kQnhKey)) / 16.0);
    if (SpecialMode() == kSpecialModeNgx) {
        if (const cOFFSET* unit = offsets_.Item(kNgxInHpaKey)) inches_ = Number(*unit) == 0;
    }
    std::string& activeText = ActiveText(selector);
    std::string& standbyText = StandbyText(selector);
    activeText.clear();
    if (inches_) AppendNumber(activeText, static_cast<double>(qnh_) * kInHgPerHpa, "00.00");
    else AppendSingle(activeText, qnh_, "0000");
    xpdrText_.clear();
    AppendNumber(xpdrText_, Item(kXpdrKey).GetBCD(), "0000");
    // The decimal point after the digit the inner ring changes.
    standbyText.assign(xpdrText_);
    standbyText.insert(std::min<std::size_t>(xpdrDigit_, standbyText.size()), 1, '.');
}

// ---------------------------------------------------------------------------
// Events

void cRadioPanelLogic::SelectorChange(std::int16_t selector, std::int32_t newPosition, std::int32_t) {
    Guarded([&] {
        if (selector != 1 && selector != 2) return;
        const std::int32_t position = (newPosition >= 0 && newPosition < kPositionCount) ? newPosition : 0;
        position_[selector] = position;
        if (selector == 1 && position >= kCom1 && position <= kNav2 && PanelIndex == 1)
            state_.RadioUpperSelection = static_cast<std::uint8_t>(position);
        control_.SetAcceleration(selector, holder_.GetAcceleration(position));
        // A copy: the configuration may be reloaded while the wait lets messages run.
        const EventAction action = holder_.SelectorAction(position);
        actions::Press(action, target_);
        if (action.Kind == actions::kVButton) {
            simlink::WaitFor(waitHost_, 50, 25);
            actions::Release(action, target_);
        }
    });
}

void cRadioPanelLogic::ButtonClick(std::int32_t mask) {
    const int selector = SelectorOfMask(mask);
    if (selector == 0) return;
    Guarded([&] {
        const int position = position_[selector];
        if (position == kNoPosition) return;
        // Copies: a keystroke lets messages run, which may reload the configuration.
        const EventAction action = holder_.ButtonAction(position);
        if (actions::Press(action, target_) == Outcome::BuiltIn) ClickBuiltIn(selector, position);
    });
    longClick_ = false;
    Pump();
}

void cRadioPanelLogic::ButtonLongClick(std::int32_t mask) {
    const int selector = SelectorOfMask(mask);
    if (selector == 0) return;
    Guarded([&] {
        const int position = position_[selector];
        if (position == kNoPosition) return;
        const EventAction action = holder_.LongButtonAction(position);
        if (actions::Press(action, target_) == Outcome::BuiltIn) LongClickBuiltIn(selector, position);
    });
    longClick_ = true;
    Pump();
}

void cRadioPanelLogic::ButtonUp(std::int32_t mask) {
    const int selector = SelectorOfMask(mask);
    if (selector == 0) return;
    Guarded([&] {
        const int position = position_[selector];
        if (position == kNoPosition) return;
        const EventAction action = longClick_ ? holder_.LongButtonAction(position) : holder_.ButtonAction(position);
        if (action.Kind == actions::kVButton) actions::Release(action, target_);
    });
    Pump();
}

void cRadioPanelLogic::Rotary(int ring, int direction, int selector, int speed) {
    Guarded([&] {
        if (selector != 1 && selector != 2) return;
        if ((ring != kInnerRing && ring != kOuterRing) || (direction != kDown && direction != kUp)) return;
        const int position = position_[selector];
        if (position == kNoPosition) return;
        const int times = speed < 1 ? 1 : speed;
        const EventAction action = holder_.RotAction(ring, direction, position);
        if (actions::CarryOut(action, target_, times) == Outcome::BuiltIn)
            RotaryBuiltIn(ring, direction, selector, position, times);
    });
    Pump();
}

// ---------------------------------------------------------------------------
// The panel's own functions

void cRadioPanelLogic::ClickBuiltIn(int selector, int position) {
    switch (position) {
    case kCom1: case kCom2: case kNav1: case kNav2:
        // The simulator exchanges the radio's active and standby frequency.
        WriteByteQueued(kRadioSwapOffset, kSwapBits[position]);
        break;
    case kAdf:
        if (adfMode_ == 2) adfChoice_ = adfChoice_ == 1 ? 2 : 1;
        else if (adfMode_ >= 3 && adfMode_ <= 5) SwapAdf(TunedAdf(selector));
        break;
    case kDme:
        if (holder_.DMEMode == 0) dmeMode_[selector] = static_cast<std::uint8_t>(dmeMode_[selector] % 3 + 1);
        break;
    case kXpdr:
        xpdrDigit_ = static_cast<std::uint8_t>(xpdrDigit_ % 4 + 1);
        break;
    default:
        break;
    }
}

void cRadioPanelLogic::LongClickBuiltIn(int selector, int position) {
    switch (position) {
    case kDme:
        dmeTime_ = !dmeTime_;
        break;
    case kXpdr:
        if (!altimeterToggle_) break;
        if (SpecialMode() == kSpecialModeNgx) simlink::SendFsControl(link_, kNgxBaroUnitControl, kNgxBaroUnitParameter);
        else inches_ = !inches_;
        break;
    default:
        ClickBuiltIn(selector, position);
        break;
    }
}

void cRadioPanelLogic::RotaryBuiltIn(int ring, int direction, int selector, int position, int speed) {
    switch (position) {
    case kCom1: case kCom2: case kNav1: case kNav2: TuneRadio(ring, direction, position, speed); break;
    case kAdf: TuneAdf(ring, direction, selector, speed); break;
    case kXpdr:
        if (ring == kInnerRing) StepXpdrDigit(direction);
        else StepQnh(direction);
        break;
    default: break; // DME: nothing to tune
    }
}

void cRadioPanelLogic::TuneRadio(int ring, int direction, int radio, int speed) {
    const bool com = radio <= kCom2;
    // The standby frequency is written at once, so the step goes on from
    // what the simulator holds now: a second Radio Panel on the same radio,
    // or the simulator itself, may have changed it since this panel's last
    // refresh, and a step from that older copy would be lost or undo theirs.
    if (com || SpecialMode() != kSpecialModeMd80) ReadStandbyNow(radio);
    const double step = ring == kInnerRing ? (com ? kComInnerStep : kNavInnerStep) : kOuterStep;
    const double delta = (direction == kUp ? 1.0 : -1.0) * speed * step;
    const double tuned = StepAndWrap(simlink::SnapToChannel(radioValue_[radio]), delta, com ? kComLow : kNavLow,
                                     com ? kComHigh : kNavHigh);
    if (!com && SpecialMode() == kSpecialModeMd80) {
        const auto digits = static_cast<std::int32_t>(simlink::RoundHalfEven(tuned * 100.0 - 10000.0));
        simlink::SendFsControl(link_, radio == kNav1 ? kMd80Nav1Control : kMd80Nav2Control,
                               simlink::DigitsToBcd(digits));
    } else if (!WriteBcd(kStandbyOffsets[radio], FrequencyDigits(tuned))) {
        return;
    }
    // Further steps before the next refresh go on from here.
    radioValue_[radio] = static_cast<float>(tuned);
}

int cRadioPanelLogic::TunedAdf(int selector) const {
    switch (adfMode_) {
    case 0: case 3: return 1;
    case 1: case 4: return 2;
    case 2: return adfChoice_;
    case 5: return selector;
    default: return 0;
    }
}

void cRadioPanelLogic::TuneAdf(int ring, int direction, int selector, int speed) {
    const int n = TunedAdf(selector);
    if (n == 0) return;
    const double step = ring == kInnerRing ? holder_.ADFInnStep : holder_.ADFOutStep;
    const double delta = (direction == kUp ? 1.0 : -1.0) * speed * step;
    if (adfMode_ >= 3) {
        // Only the program knows the standby frequency.
        state_.ADFStandby[n] = static_cast<float>(StepAndWrap(state_.ADFStandby[n], delta, kAdfLow, kAdfHigh));
        return;
    }
    state_.ADFActive[n] = static_cast<float>(StepAndWrap(state_.ADFActive[n], delta, kAdfLow, kAdfHigh));
    WriteAdf(n, state_.ADFActive[n]);
}

void cRadioPanelLogic::SwapAdf(int adf) {
    std::swap(state_.ADFActive[adf], state_.ADFStandby[adf]);
    WriteAdf(adf, state_.ADFActive[adf]);
}

void cRadioPanelLogic::StepXpdrDigit(int direction) {
    if (xpdrText_.size() != 4) return; // the code has not been read yet
    char& digit = xpdrText_[xpdrDigit_ - 1];
    int value = digit - '0' + (direction == kUp ? 1 : -1);
    if (value < 0) value = 7;
    else if (value > 7) value = 0;
    digit = static_cast<char>('0' + value);
    std::int32_t code = 0;
    for (char c : xpdrText_) code = code * 10 + (c - '0');
    WriteBcd(kXpdrOffset, code);
}

void cRadioPanelLogic::StepQnh(int direction) {
    if (SpecialMode() == kSpecialModeNgx) {
        simlink::SendFsControl(link_, kNgxBaroControl, direction == kUp ? kNgxBaroUp : kNgxBaroDown);
        return;
    }
    double qnh = qnh_;
    double step = 0.25;
    if (!inches_) {
        qnh = std::trunc(qnh);
        step = 1.0;
    }
    qnh += direction == kUp ? step : -step;
    if (WriteQnh(qnh)) qnh_ = static_cast<float>(qnh);
}

// ---------------------------------------------------------------------------
// Writes

void cRadioPanelLogic::ReadStandbyNow(int radio) {
    cOFFSET buffer(link_);
    buffer.Offset = kStandbyOffsets[radio];
    buffer.SetDataType(3);
    buffer.DirectRead(true);
    // Without an answer a write still on its way (of this panel or another)
    // serves, else the copy of the last refresh.
    if (buffer.dwResult != simlink::ResultOk && !buffer.ReadPendingWrite()) return;
    const float standby = buffer.GetFreq();
    radioValue_[radio] = radio <= kCom2 ? simlink::ExpandComFrequency(standby) : standby;
}

bool cRadioPanelLogic::WriteBcd(std::int32_t offset, std::int32_t value) {
    if (value < 0 || value > 9999) return false;
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(3);
    buffer.SetBcd(static_cast<double>(value));
    buffer.DirectWrite(true);
    return true;
}

void cRadioPanelLogic::WriteByteQueued(std::int32_t offset, std::int32_t value) {
    cOFFSET buffer(link_);
    buffer.Offset = offset;
    buffer.SetDataType(1);
    buffer.SetData(value);
    buffer.DirectWrite(false);
}

bool cRadioPanelLogic::WriteAdf(int adf, double kHz) {
    // The main offset holds three digits; the extension holds the tenths
    // digit and the thousands digit times 100 (1234.5: main 234, extension
    // 105). The frequency is rounded to its tenths first, so 345.96 becomes
    // 346.0 rather than a tenths digit of 10.
    if (!std::isfinite(kHz)) return false;
    const double tenths = std::round(kHz * 10.0);
    if (tenths < 0 || tenths > 19999) return false;
    const auto t = static_cast<std::int32_t>(tenths);
    const std::int32_t whole = t / 10;
    const std::int32_t main = whole % 1000;
    const std::int32_t ext = (whole / 1000) * 100 + t % 10;
    WriteBcd(kAdfMainOffsets[adf], main);
    WriteBcd(kAdfExtOffsets[adf], ext);
    return true;
}

bool cRadioPanelLogic::WriteQnh(double hPa) {
    const double value = hPa * 16.0;
    if (!(value >= 0.0 && value <= 65535.0)) return false;
    cOFFSET buffer(link_);
    buffer.Offset = kQnhOffset;
    buffer.SetDataType(3);
    buffer.SetData(value);
    buffer.DirectWrite(true);
    return true;
}

} // namespace orvex::panels::radio
