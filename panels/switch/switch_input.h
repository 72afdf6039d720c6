// The Switch Panel's input: decodes each 4-byte input report into switch,
// magneto selector and gear lever events, and keeps what the on-screen copy
// of the panel shows. No platform code: the control hears of screen changes
// through ISwitchInputHost.
//
// Runs once per input report on the user-interface thread: it allocates
// nothing.
#pragma once

#include "common/reentry_queue.h"
#include "panels/switch/switch_events.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvex::panels::switchpanel {

// Switch indices, as the main window, the logic and the configuration name
// the panel's inputs.
enum SwitchIndex : int {
    kNoSwitch = 0,
    kSelOff = 1, kSelR = 2, kSelL = 3, kSelBoth = 4, kSelStart = 5,
    kBat = 6, kAlt = 7, kAvionics = 8, kFuelPump = 9, kDeIce = 10, kPitot = 11, kCowl = 12,
    kPanel = 13, kBeacon = 14, kNav = 15, kStrobe = 16, kTaxi = 17, kLanding = 18,
    kGearUp = 19, kGearDown = 20,
};
inline constexpr int kSwitchCount = 20;
inline constexpr int kFirstTwoPosition = kBat;
inline constexpr int kTwoPositionCount = 13;  // BAT to LANDING

// Bits of the 24-bit state word (first data byte in bits 16-23).
inline constexpr std::uint32_t kSelectorMask = 0xE003;
inline constexpr std::uint32_t kGearUpBit = 0x000004;
inline constexpr std::uint32_t kGearDownBit = 0x000008;

// The bit of a switch index 1-20 (0 for any other index), and the index of
// a bit value (0 for a value that is no single input).
std::uint32_t SwitchBit(int index);
int SwitchIndexOf(std::int32_t bit);

// Parts of the on-screen copy, as bits for ISwitchInputHost::ScreenChanged.
namespace screen {
inline constexpr std::uint32_t kSelector = 1u << 0;
// Two-position switches 0-12 (BAT to LANDING): bits 1-13.
constexpr std::uint32_t Switch(int n) { return 1u << (1 + n); }
inline constexpr std::uint32_t kGear = 1u << 14;
inline constexpr std::uint32_t kLamps = 1u << 15;
} // namespace screen

enum class LeverPosition : std::uint8_t { None, Up, Down };

// What the on-screen copy shows of the inputs.
struct SwitchScreen {
    int selector = kNoSwitch;                        // 1-5, 0 between positions
    std::array<bool, kTwoPositionCount> switchOn{};  // BAT ... LANDING
    LeverPosition gear = LeverPosition::None;
};

class ISwitchInputHost {
public:
    virtual ~ISwitchInputHost() = default;
    // These parts of the on-screen copy (screen:: bits) changed.
    virtual void ScreenChanged(std::uint32_t parts) = 0;
};

class SwitchInputDecoder {
public:
    SwitchInputDecoder(ISwitchInputHost& host, ISwitchPanelEvents& events);
    SwitchInputDecoder(const SwitchInputDecoder&) = delete;
    SwitchInputDecoder& operator=(const SwitchInputDecoder&) = delete;

    // The state word of a report's three data bytes (byte 0 is the report ID).
    static std::uint32_t StateWord(const std::array<std::uint8_t, 4>& report);

    // One input report: RawInput, then the selector, the thirteen switches
    // in panel order and the gear lever. The first report raises every
    // position. A report that arrives while an event handler lets messages
    // run waits until the report before it is decoded, so that events keep
    // the reports' order and every report is compared with the one before.
    void OnRawInput(const std::array<std::uint8_t, 4>& report);
    // Reports dropped because too many arrived during one event handler.
    std::uint32_t DroppedReports() const { return queue_.Dropped(); }

    // Raises every position of the last input report again, as the first
    // report does (the previous selector given as 0), so that a simulator
    // that has just connected is brought into line with the panel. Before
    // the first report nothing is known of the switches and nothing is
    // raised. Called while a report is being decoded, it waits its turn like
    // a report and replays what the decoding reached by then.
    void ReplayPositions();
    // Whether an input report has been decoded.
    bool HasPositions() const { return !firstReport_; }

    const SwitchScreen& Screen() const { return screen_; }
    std::uint32_t PreviousState() const { return previous_; }

private:
    // A queued input: a report, or a replay of the last one.
    struct Input {
        std::array<std::uint8_t, 4> report{};
        bool replay = false;
    };
    void Handle(const Input& input);
    void Decode(const std::array<std::uint8_t, 4>& report);
    void Raise(std::uint32_t state, std::uint32_t previous, bool all);
    void ShowSelector(std::uint32_t value);
    void ShowSwitch(int n, bool on);
    void ShowGear(LeverPosition position);

    ISwitchInputHost& host_;
    ISwitchPanelEvents& events_;

    std::uint32_t previous_ = 0;
    bool firstReport_ = true;
    ReentryQueue<Input, 256> queue_;

    SwitchScreen screen_;
};

} // namespace orvex::panels::switchpanel
