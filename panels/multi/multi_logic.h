// The logic of one Multi Panel: it makes the panel the simulator's
// autopilot mode control. It reads the autopilot's values and modes through
// registered offsets and writes the two rows and the eight button lamps; it
// turns the panel's events into autopilot settings, trim, flaps and
// auto-throttle, or into the event actions the profile binds to them. The
// profile's special mode changes the built-in behaviour: standard (FSUIPC
// autopilot offsets), the 737NGX (its offsets and control numbers) and the
// MD-80 (values kept here, its own control numbers).
//
// Indices: selector 1 ALT, 2 VS, 3 IAS, 4 HDG, 5 CRS (0 before the first
// SelectorChange); button 1 AP, 2 HDG, 3 NAV, 4 IAS, 5 ALT, 6 VS, 7 APR,
// 8 REV; direction 1 up, 0 down.
//
// Everything runs on the user-interface thread. No event method and no
// refresh lets an exception out: a value that does not convert drops the
// write it was meant for, and the next refresh shows what the simulator
// holds.
#pragma once

#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/configuration.h"
#include "panels/multi/multi_actions_holder.h"
#include "panels/multi/multi_control.h"
#include "simlink/offset.h"
#include "simlink/registered_offsets.h"
#include "simlink/sim_commands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvex::panels::multi {

inline constexpr std::uint8_t kSpecialModeMaddog = 1;
inline constexpr std::uint8_t kSpecialModeNgx = 2;

// Offsets the built-in behaviour reads and writes directly.
inline constexpr std::int32_t kApGlideslopeOffset = 0x07FC;  // written with the APR hold
inline constexpr std::int32_t kApAltValOffset = 0x07D4;
inline constexpr std::int32_t kApVsValOffset = 0x07F2;
inline constexpr std::int32_t kApIasValOffset = 0x07E2;
inline constexpr std::int32_t kApHdgValOffset = 0x07CC;
inline constexpr std::int32_t kNav1CrsOffset = 0x0C4E;
inline constexpr std::int32_t kNav2CrsOffset = 0x0C5E;
inline constexpr std::int32_t kElevatorTrimOffset = 0x0BC0;
inline constexpr std::int32_t kFlapsOffset = 0x0BDC;
inline constexpr std::int32_t kFlapsIncrementOffset = 0x3BFA;
inline constexpr std::int32_t kAutoThrottleArmOffset = 0x0810;

// The standard-mode hold offset of each button 1-8 (the lamps read the same).
inline constexpr std::array<std::int32_t, 9> kHoldOffsets = {
    0, 0x07BC, 0x07C8, 0x07C4, 0x07DC, 0x07D0, 0x07EC, 0x0800, 0x0804,
};

// Limits of the built-in knob behaviour.
inline constexpr std::int32_t kAltitudeMax = 99000;    // feet, from 0
inline constexpr std::int32_t kVsLimit = 9900;         // ft/min, both ways (standard)
inline constexpr std::int32_t kMaddogVsMin = -8000;
inline constexpr std::int32_t kMaddogVsMax = 4000;
inline constexpr std::int32_t kMaddogIasMin = 100, kMaddogIasMax = 350;
inline constexpr std::int32_t kMaddogMachMin = 500, kMaddogMachMax = 900;  // Mach * 1000
inline constexpr std::int32_t kTrimLimit = 16383;
inline constexpr std::int32_t kFlapsMax = 16383;

// 737NGX controls (parameters: kNGXClickParameter for clicks, the wheel
// values for the selector wheels).
inline constexpr std::int32_t kNGXWheelUp = 16384;
inline constexpr std::int32_t kNGXWheelDown = 8192;
inline constexpr std::int32_t kNGXAltitudeWheel = 70032;
inline constexpr std::int32_t kNGXVsWheel = 70033;
inline constexpr std::int32_t kNGXSpeedWheel = 70016;
inline constexpr std::int32_t kNGXHeadingWheel = 70022;
inline constexpr std::int32_t kNGXLeftCourseWheel = 70008;
inline constexpr std::int32_t kNGXRightCourseWheel = 70041;
inline constexpr std::int32_t kNGXAutoThrottleArm = 70012;
inline constexpr std::int32_t kTrimUpControl = 65615;     // elevator trim up
inline constexpr std::int32_t kTrimDownControl = 65607;   // elevator trim down
inline constexpr std::int32_t kFlapsUpControl = 65759;    // flaps decrement
inline constexpr std::int32_t kFlapsDownControl = 65758;  // flaps increment
inline constexpr std::int32_t kNGXTrimWaitMs = 50;

class cMultiPanelLogic {
public:
    cMultiPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets, simlink::ILink& link,
                     actions::IActionTarget& target, simlink::IWaitHost& waitHost,
                     config::cConfiguration& configuration, IMultiPanelControl& control);
    cMultiPanelLogic(const cMultiPanelLogic&) = delete;
    cMultiPanelLogic& operator=(const cMultiPanelLogic&) = delete;

    // The panel's 1-based number; set before StartUp.
    std::int16_t PanelIndex = 0;
    // The panel's configuration; the main window reloads it after the setup
    // dialog closed, then calls SetupChanged.
    cMultiPanelActionsHolder& ActionsHolder() { return holder_; }
    const cMultiPanelActionsHolder& ActionsHolder() const { return holder_; }

    // After PanelIndex is set: the configuration loaded, the master switches
    // registered, then SetupChanged.
    void StartUp();
    // Every poll tick, after the registered offsets were read.
    void RefreshData();
    // After the configuration (or the profile and its special mode) changed:
    // applies the accelerations and registers the offsets of the mode.
    void SetupChanged();

    void AutoThrottleChange(bool armed);
    // button index 1-8; anything else is ignored.
    void ButtonClick(int button);
    void ButtonLongClick(int button);
    // direction 1 up / 0 down; speed 1-20 (below 1 counts as 1).
    void Rotary(int direction, int speed);
    // selector indices 0-5 (anything else counts as 0).
    void SelectorChange(int newSelector, int previousSelector);
    void Trim(int direction, int speed);
    void Flaps(int direction);
    // The MD-80's click actions (ButtonClick calls it in that mode).
    void SM_MADDOG_ButtonLongClick(int button);

    // State, for tests and the main window.
    int Selector() const { return selector_; }
    const std::string& UpperText() const { return *upperRow_; }
    const std::string& LowerText() const { return *lowerRow_; }
    std::uint8_t LampByte() const { return lamps_; }
    struct MaddogValues {
        bool Ap = false;
        bool MachMode = false;
        std::int32_t Altitude = 0;
        std::int32_t VerticalSpeed = 0;
        std::int32_t Airspeed = 100;
        std::int32_t Mach = 500;  // Mach * 1000
        std::int32_t Heading = 0;
        std::int32_t Course = 0;
        std::int32_t RevCycle = 1;
    };
    const MaddogValues& Maddog() const { return maddog_; }
    // 1 NAV1 or 2 NAV2: the course the CRS position shows and sets.
    int CourseRadio() const;

private:
    enum Key : int {
        kApMaster, kApHdgHold, kApNavHold, kApIasHold, kApAltHold, kApVsHold, kApAprHold, kApBcHold,
        kApHdgVal, kApIasVal, kApAltVal, kApVsVal, kNav1Crs, kNav2Crs,
        kApIasBlank, kApIasOver, kApIasUnder, kApVsBlank, kAtArmSwitch,
        kKeyCount
    };

    std::uint8_t SpecialMode() const { return configuration_.SpecialMode; }
    double Number(Key key) const;
    // The value of a registered offset that a write on its way will give it
    // (this panel's or another's, not yet shown by a refresh); nothing when
    // none is on its way.
    std::optional<double> Pending(Key key) const;
    // The registered value as the simulator will hold it: a write on its way,
    // else what the last refresh read.
    double Expected(Key key) const;
    // The course the CRS position shows and sets.
    Key CourseKey() const { return CourseRadio() == 2 ? kNav2Crs : kNav1Crs; }
    void Register();
    void ResetMaddog();
    void ApplyAccelerations();
    void Pump();

    void RefreshLamps();
    void RefreshStandardRows();
    void RefreshNgxRows();

    void ButtonBuiltIn(int button, bool longClick);
    void MaddogLongClick(int button);
    void MaddogSelectorRows();
    void RotaryStandard(int direction, int speed);
    void RotaryNgx(int direction);
    void RotaryMaddog(int direction, int speed);
    void TrimBuiltIn(int direction, int speed);
    void FlapsBuiltIn(int direction);
    void AutoThrottleBuiltIn(bool armed);

    // Writes through short-lived buffers, queued (sent with the next
    // exchange) or at once; false when the value does not fit the type
    // (nothing is written then).
    bool Write(std::int32_t offset, std::int32_t type, double value, bool immediate);
    bool WriteQueued(std::int32_t offset, std::int32_t type, double value);
    bool WriteNow(std::int32_t offset, std::int32_t type, double value);
    // Reads a value at once; nothing when the read failed.
    std::optional<double> ReadNow(std::int32_t offset, std::int32_t type, std::optional<std::int32_t> length = {});
    void Control(std::int32_t control, std::int32_t parameter);

    app::ProgramState& state_;
    simlink::RegisteredOffsets& offsets_;
    simlink::ILink& link_;
    actions::IActionTarget& target_;
    simlink::IWaitHost& waitHost_;
    config::cConfiguration& configuration_;
    IMultiPanelControl& control_;
    cMultiPanelActionsHolder holder_;

    int selector_ = 0;
    bool force_ = false;
    // The rows and lamps of the last refresh (always engaged, handed to the
    // control as they are).
    std::optional<std::string> upperRow_;
    std::optional<std::string> lowerRow_;
    std::uint8_t lamps_ = 0;

    std::int32_t altitude_ = 0;
    std::int32_t verticalSpeed_ = 0;
    double airspeed_ = 0.0;
    std::int32_t heading_ = 0;
    std::int32_t course_ = 0;
    MaddogValues maddog_;
};

} // namespace orvex::panels::multi
