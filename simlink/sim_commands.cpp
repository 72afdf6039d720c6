#include "simlink/sim_commands.h"

#include "simlink/offset.h"

#include <cmath>
#include <cstring>

namespace orvex::simlink {

void SetVirtualButton(ILink& link, uint8_t Joystick, uint8_t Button, bool State, bool Immediate) {
    if (Joystick < kFirstVirtualJoystick || Joystick > kLastVirtualJoystick) return;
    if (Button < 1 || Button > 32) return;
    const int32_t offset = kVirtualButtonsOffset + 4 * (Joystick - kFirstVirtualJoystick);

    uint8_t word[4] = {0, 0, 0, 0};
    int32_t result = ResultOk;
    // The other 31 buttons must keep their state: without a good read of the
    // current word nothing is written.
    if (!link.LinkRead(offset, 4, word, result)) return;
    if (!link.LinkProcess(result)) return;

    const int byteIndex = (Button - 1) / 8;
    const auto mask = static_cast<uint8_t>(1u << ((Button - 1) % 8));
    if (State)
        word[byteIndex] = static_cast<uint8_t>(word[byteIndex] | mask);
    else
        word[byteIndex] = static_cast<uint8_t>(word[byteIndex] & ~mask);

    if (link.LinkWrite(offset, 4, word, result) && Immediate) link.LinkProcess(result);
}

void SendFsControl(ILink& link, int32_t control, int32_t parameter) {
    uint8_t record[8];
    std::memcpy(record, &control, 4);
    std::memcpy(record + 4, &parameter, 4);
    int32_t result = ResultOk;
    link.LinkWrite(kFsControlOffset, 8, record, result);
}

bool IsExtendedKey(uint8_t virtualKey) {
    switch (virtualKey) {
    case 0x21: case 0x22: case 0x23: case 0x24:  // Page Up, Page Down, End, Home
    case 0x25: case 0x26: case 0x27: case 0x28:  // the arrows
    case 0x2C: case 0x2D: case 0x2E:             // Print Screen, Insert, Delete
    case 0x5B: case 0x5C: case 0x5D:             // left and right Windows, menu
    case 0x6F: case 0x90:                        // numeric-pad divide, Num Lock
    case 0xA3: case 0xA5:                        // right Ctrl, right Alt
        return true;
    default:
        return false;
    }
}

KeySequence BuildKeystroke(uint8_t KeyCode, uint8_t Qualifiers) {
    static constexpr struct {
        uint8_t bit;
        uint8_t key;
    } kQualifiers[3] = {{kQualifierShift, kVkShift}, {kQualifierCtrl, kVkControl}, {kQualifierTab, kVkTab}};
    KeySequence seq;
    auto add = [&seq](uint8_t key, bool up) { seq.records[seq.count++] = KeyRecord{key, up}; };
    for (const auto& q : kQualifiers)
        if (Qualifiers & q.bit) add(q.key, false);
    add(KeyCode, false);
    add(KeyCode, true);
    for (int i = 2; i >= 0; --i)
        if (Qualifiers & kQualifiers[i].bit) add(kQualifiers[i].key, true);
    return seq;
}

bool WaitFor(IWaitHost& host, int32_t durationMs, double stepMs, const bool* abortFlag) {
    const uint32_t duration = durationMs > 0 ? static_cast<uint32_t>(durationMs) : 0u;
    uint32_t step = 0;
    if (std::isfinite(stepMs) && stepMs > 0) {
        const double r = RoundHalfEven(stepMs);
        step = r >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(r);
    }
    const uint32_t start = host.TickCount();
    for (;;) {
        // Unsigned difference: correct across the wrap of the tick count.
        if (static_cast<uint32_t>(host.TickCount() - start) >= duration) return false;
        host.Sleep(step);
        host.PumpMessages();
        if (abortFlag != nullptr && *abortFlag) return true;
    }
}

} // namespace orvex::simlink
