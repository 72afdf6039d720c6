// Operations that act on the simulator: FSUIPC virtual joystick buttons,
// FSUIPC controls, synthesised keystrokes, and a wait that keeps the user
// interface alive. The operating-system parts (SendInput, the clock, the
// message pump) live in simlink/win32; this is the logic behind them.
#pragma once

#include "simlink/link.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvex::simlink {

// FSUIPC virtual buttons: joysticks 64-72, 32 buttons each, one 32-bit word
// per joystick from this offset on.
inline constexpr int32_t kVirtualButtonsOffset = 0x3340;
inline constexpr uint8_t kFirstVirtualJoystick = 64;
inline constexpr uint8_t kLastVirtualJoystick = 72;
// Control number then parameter, 32 bits each.
inline constexpr int32_t kFsControlOffset = 0x3110;

// Presses (State true) or releases a virtual button. The joystick's word is
// read and processed at once so its other 31 buttons keep their state; then
// the changed word is queued, and processed at once if Immediate. If the
// read fails the word is not written (it would release the other buttons).
// Joysticks outside 64-72 and buttons outside 1-32 are ignored.
void SetVirtualButton(ILink& link, uint8_t Joystick, uint8_t Button, bool State, bool Immediate);

// Queues an FSUIPC control with its parameter; the caller (or the next poll
// tick) processes the batch.
void SendFsControl(ILink& link, int32_t control, int32_t parameter);

// Qualifier bits of a keystroke.
inline constexpr uint8_t kQualifierShift = 1;
inline constexpr uint8_t kQualifierCtrl = 2;
inline constexpr uint8_t kQualifierTab = 4;
inline constexpr uint8_t kVkShift = 0x10;
inline constexpr uint8_t kVkControl = 0x11;
inline constexpr uint8_t kVkTab = 0x09;

struct KeyRecord {
    uint8_t virtualKey;
    bool keyUp;
    friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

// Keys whose scan code carries the 0xE0 prefix on a standard keyboard: the
// navigation block (arrows, Insert, Delete, Home, End, Page Up/Down), the
// Windows and menu keys, Print Screen, Num Lock, numeric-pad divide and the
// right-hand Ctrl and Alt. Sent without the extended flag, the navigation
// keys arrive as their numeric-pad twins.
bool IsExtendedKey(uint8_t virtualKey);

// The records of one keystroke: the pressed qualifiers down (Shift, Ctrl,
// Tab), the key down, the key up, the qualifiers up (Tab, Ctrl, Shift).
struct KeySequence {
    std::array<KeyRecord, 8> records{};
    std::size_t count = 0;
};
// Qualifier bits other than 1, 2 and 4 are ignored.
KeySequence BuildKeystroke(uint8_t KeyCode, uint8_t Qualifiers);

// What WaitFor needs from the system.
class IWaitHost {
public:
    virtual ~IWaitHost() = default;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Lets the pending window messages run once.
    virtual void PumpMessages() = 0;
};

// Waits at least `durationMs` (a negative one counts as 0) in whole steps of
// `stepMs` (rounded to the nearest millisecond, ties to even; a negative
// step counts as 0), letting messages run after every step. Returns true when `abortFlag` was given and found
// true after a step, false when the time was up. Elapsed time is measured
// as an unsigned 32-bit difference, so the tick count's wrap-around does
// not end or stretch the wait.
bool WaitFor(IWaitHost& host, int32_t durationMs, double stepMs, const bool* abortFlag = nullptr);

} // namespace orvex::simlink
