#include "tools/virtualpanels/switch_face.h"

#include <cmath>

namespace orvex::virtualpanels::switchpanel {

namespace {

constexpr uint32_t kMagnetoBits[kMagnetoPositions] = {0x002000, 0x004000, 0x008000, 0x000001, 0x000002};
constexpr uint32_t kMagnetoMask = 0x00E003;
constexpr uint32_t kSwitchBits[kSwitches] = {0x010000, 0x020000, 0x040000, 0x080000, 0x100000, 0x200000, 0x400000,
                                             0x800000, 0x000100, 0x000200, 0x000400, 0x000800, 0x001000};
constexpr uint32_t kGearUp = 0x04, kGearDown = 0x08;

constexpr const char* kLampWords[4] = {"off", "green", "red", "both"};

// The switches: BAT to COWL in the upper row, PANEL to LANDING in the lower.
constexpr int kUpperRow = 7;
constexpr double kFirstColumn = 252, kColumnStep = 72, kRowTop[2] = {44, 158};
constexpr double kCaptionHeight = 26, kSlotHalfWidth = 12, kSlotHeight = 56;
constexpr double kGearX = 735, kGearTop = 70, kGearBottom = 250;

std::string Device(int device) { return std::to_string(device); }

} // namespace

Lamps DecodeLamps(const std::vector<uint8_t>& report) {
    Lamps lamps{};
    if (report.size() < 2) return lamps;
    for (int i = 0; i < kLamps; ++i) {
        const bool green = (report[1] >> i) & 1;
        const bool red = (report[1] >> (i + 3)) & 1;
        lamps[static_cast<size_t>(i)] = green && red ? Lamp::Both : green ? Lamp::Green : red ? Lamp::Red : Lamp::Off;
    }
    return lamps;
}

std::string LampsText(const Lamps& lamps) {
    std::string text;
    for (int i = 0; i < kLamps; ++i) {
        if (i) text += ' ';
        text += kLampNames[i];
        text += '=';
        text += kLampWords[static_cast<int>(lamps[static_cast<size_t>(i)])];
    }
    return text;
}

int MagnetoAt(uint32_t positions) {
    const uint32_t held = positions & kMagnetoMask;
    for (int i = 0; i < kMagnetoPositions; ++i)
        if (held == kMagnetoBits[i]) return i;
    return -1;
}

uint32_t SwitchBit(int n) { return n >= 0 && n < kSwitches ? kSwitchBits[n] : 0; }

int GearAt(uint32_t positions) {
    const bool up = positions & kGearUp, down = positions & kGearDown;
    return up == down ? 0 : up ? 1 : -1;
}

namespace face {

CircleF Magneto() { return {{120, 170}, 38}; }

double MagnetoAngle(int position) { return -80.0 + 40.0 * position; }

RectF MagnetoLabel(int position) {
    const PointF at = OnCircle(Magneto().centre, 76, MagnetoAngle(position));
    return {at.x - 28, at.y - 10, at.x + 28, at.y + 10};
}

RectF SwitchCaption(int n) {
    const int row = n < kUpperRow ? 0 : 1;
    const double x = kFirstColumn + kColumnStep * (row == 0 ? n : n - kUpperRow);
    return {x - kColumnStep / 2 + 2, kRowTop[row], x + kColumnStep / 2 - 2, kRowTop[row] + kCaptionHeight};
}

RectF SwitchSlot(int n) {
    const RectF caption = SwitchCaption(n);
    const double x = (caption.left + caption.right) / 2;
    return {x - kSlotHalfWidth, caption.bottom + 8, x + kSlotHalfWidth, caption.bottom + 8 + kSlotHeight};
}

RectF GearSlot() { return {kGearX - 6, kGearTop, kGearX + 6, kGearBottom}; }
RectF Gear() { return {kGearX - 40, kGearTop - 24, kGearX + 40, kGearBottom + 24}; }

CircleF LampAt(int lamp) {
    constexpr PointF kCentres[kLamps] = {{830, 92}, {800, 142}, {860, 142}};
    return {kCentres[lamp < 0 || lamp >= kLamps ? 0 : lamp], 15};
}

RectF HelpLine() { return {20, kHeight - 26, kWidth - 20, kHeight - 8}; }

} // namespace face

Hit ControlAt(PointF point) {
    for (int i = 0; i < kMagnetoPositions; ++i)
        if (face::MagnetoLabel(i).Contains(point)) return {Part::MagnetoPosition, i};
    const CircleF magneto = face::Magneto();
    if (std::hypot(point.x - magneto.centre.x, point.y - magneto.centre.y) <= magneto.radius + 4)
        return {Part::Magneto, -1};
    for (int n = 0; n < kSwitches; ++n) {
        const RectF slot = face::SwitchSlot(n);
        const RectF room{slot.left - 14, face::SwitchCaption(n).top, slot.right + 14, slot.bottom + 8};
        if (room.Contains(point)) return {Part::Switch, n};
    }
    const RectF gear = face::Gear();
    if (gear.Contains(point)) return {Part::Gear, point.y < (gear.top + gear.bottom) / 2 ? 0 : 1};
    return {};
}

namespace {

std::optional<std::string> MagnetoCommand(int device, int position) {
    if (position < 0 || position >= kMagnetoPositions) return std::nullopt;
    return "selector " + Device(device) + " magneto " + kMagnetoNames[position];
}

std::optional<std::string> GearCommand(int device, bool up) {
    return "gear " + Device(device) + (up ? " up" : " down");
}

} // namespace

std::optional<std::string> ClickCommand(int device, const Hit& hit, bool forward, uint32_t positions, int magnetoAt) {
    switch (hit.part) {
    case Part::MagnetoPosition:
        if (hit.index == magnetoAt) return std::nullopt;
        return MagnetoCommand(device, hit.index);
    case Part::Magneto:
        // From nowhere, a step on reaches OFF and a step back START.
        if (magnetoAt < 0) return MagnetoCommand(device, forward ? 0 : kMagnetoPositions - 1);
        return MagnetoCommand(device, magnetoAt + (forward ? 1 : -1));
    case Part::Switch: {
        if (hit.index < 0 || hit.index >= kSwitches) return std::nullopt;
        const bool on = (positions & SwitchBit(hit.index)) != 0;
        return "switch " + Device(device) + " " + kSwitchNames[hit.index] + (on ? " off" : " on");
    }
    case Part::Gear: {
        const int at = GearAt(positions);
        if (at == 0) return GearCommand(device, hit.index == 0);
        return GearCommand(device, at < 0);
    }
    case Part::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> WheelCommand(int device, const Hit& hit, int notches, int magnetoAt) {
    if (notches == 0) return std::nullopt;
    if (hit.part == Part::Gear) return GearCommand(device, notches > 0);
    if (hit.part != Part::Magneto && hit.part != Part::MagnetoPosition) return std::nullopt;
    int target = (magnetoAt < 0 ? (notches > 0 ? -1 : kMagnetoPositions) : magnetoAt) + notches;
    if (target < 0) target = 0;
    if (target >= kMagnetoPositions) target = kMagnetoPositions - 1;
    if (target == magnetoAt) return std::nullopt;
    return MagnetoCommand(device, target);
}

int MagnetoTarget(const std::string& command) {
    const std::string key = " magneto ";
    const auto at = command.find(key);
    if (command.rfind("selector ", 0) != 0 || at == std::string::npos) return -1;
    const std::string name = command.substr(at + key.size());
    for (int i = 0; i < kMagnetoPositions; ++i)
        if (name == kMagnetoNames[i]) return i;
    return -1;
}

} // namespace orvex::virtualpanels::switchpanel
