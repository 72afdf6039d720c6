// The logic of one Radio Panel: it makes the panel a radio stack of the
// simulator. It reads the radios through registered offsets and writes the
// four displays; it turns the panel's events into tuning of the standby
// frequencies, the ADF, the transponder code and the altimeter setting, or
// into the event actions the profile binds to them. The two selectors work
// independently on the same seven radio functions (1 COM1, 2 COM2, 3 NAV1,
// 4 NAV2, 5 ADF, 6 DME, 7 XPDR; 0 no position).
//
// Everything runs on the user-interface thread. No event method and no
// refresh lets an exception out: a value that does not convert drops the
// write it was meant for, and the next refresh shows what the simulator
// holds.
#pragma once

#include "actions/event_action.h"
#include "app/program_state.h"
#include "config/configuration.h"
#include "panels/radio/radio_actions_holder.h"
#include "panels/radio/radio_control.h"
#include "simlink/offset.h"
#include "simlink/registered_offsets.h"
#include "simlink/sim_commands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvex::panels::radio {

// ACT/STBY buttons of the upper (selector 1) and lower (selector 2) half.
inline constexpr std::int32_t kUpperButtonMask = 0x4000;
inline constexpr std::int32_t kLowerButtonMask = 0x8000;

// Offsets written through short-lived buffers.
inline constexpr std::int32_t kRadioSwapOffset = 0x3123; // 8 COM1, 4 COM2, 2 NAV1, 1 NAV2
inline constexpr std::int32_t kXpdrOffset = 0x0354;
inline constexpr std::int32_t kQnhOffset = 0x0330;

// FSUIPC controls of the aircraft special modes.
inline constexpr std::int32_t kMd80Nav1Control = 69633;       // BCD of the NAV1 digits after the leading 1
inline constexpr std::int32_t kMd80Nav2Control = 69634;
inline constexpr std::int32_t kNgxBaroControl = 69997;        // altimeter knob
inline constexpr std::int32_t kNgxBaroUp = 16384;
inline constexpr std::int32_t kNgxBaroDown = 8192;
inline constexpr std::int32_t kNgxBaroUnitControl = 69998;    // barometric unit switch
inline constexpr std::int32_t kNgxBaroUnitParameter = 0x20000000;

inline constexpr std::uint8_t kSpecialModeMd80 = 1;
inline constexpr std::uint8_t kSpecialModeNgx = 2;

// A knob event of the device control as the logic takes it.
struct KnobCall {
    int Ring;     // 0 inner, 1 outer
    int Selector; // 1 upper, 2 lower, 0 for a knob number outside 0-3
};

class cRadioPanelLogic {
public:
    cRadioPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets, simlink::ILink& link,
                     actions::IActionTarget& target, simlink::IWaitHost& waitHost,
                     config::cConfiguration& configuration, IRadioPanelControl& control);
    cRadioPanelLogic(const cRadioPanelLogic&) = delete;
    cRadioPanelLogic& operator=(const cRadioPanelLogic&) = delete;

    // The panel's 1-based number; set before StartUp.
    std::int16_t PanelIndex = 0;
    // The panel's configuration; the main window reloads it after the setup
    // dialog closed, then calls SetupChanged.
    cRadioPanelActionsHolder& ActionsHolder() { return holder_; }
    const cRadioPanelActionsHolder& ActionsHolder() const { return holder_; }

    // Once, after PanelIndex is set: initial state, the configuration loaded,
    // then SetupChanged.
    void StartUp();
    // Every poll tick, after the registered offsets were read.
    void RefreshData();
    // After the configuration was (re)loaded: registers the offsets, applies
    // the accelerations and the altimeter, DME and ADF options.
    void SetupChanged();

    // selector 1-2; positions 0-7 (anything else counts as 0).
    void SelectorChange(std::int16_t selector, std::int32_t newPosition, std::int32_t previousPosition);
    // mask kUpperButtonMask or kLowerButtonMask; any other mask is ignored.
    void ButtonClick(std::int32_t mask);
    void ButtonLongClick(std::int32_t mask);
    void ButtonUp(std::int32_t mask);
    // ring 0 inner / 1 outer, direction 1 up / 0 down, selector 1-2, speed
    // 1-20 (a speed below 1 counts as 1). Other values are ignored.
    void Rotary(int ring, int direction, int selector, int speed);

    // The main window's translation of the device control's events: a
    // selector value to its position 1-7 (0 for a value that is none), and
    // a knob number 0-3 to its ring and selector.
    static std::int32_t SelectorPosition(std::int32_t selectorValue);
    static KnobCall TranslateKnob(std::int32_t knob);

    // State, for the main window's other panels and for tests.
    std::int32_t Position(int selector) const;
    std::uint8_t XpdrDigit() const { return xpdrDigit_; }
    bool InchesOfMercury() const { return inches_; }
    bool DmeShowsTime() const { return dmeTime_; }
    std::uint8_t AdfChoice() const { return adfChoice_; }
    std::uint8_t DmeDisplayMode(int selector) const;
    float Qnh() const { return qnh_; }

private:
    enum Key : int {
        kCom1Active, kCom1Standby, kCom2Active, kCom2Standby,
        kNav1Active, kNav1Standby, kNav2Active, kNav2Standby,
        kAdf1Main, kAdf1Ext, kAdf2Main, kAdf2Ext,
        kDme1Dist, kDme2Dist, kDme1Speed, kDme2Speed, kDme1Time, kDme2Time,
        kQnhKey, kXpdrKey, kMasterBattery, kMasterAvionics,
        kKeyCount
    };

    const simlink::cOFFSET& Item(Key key) const { return *keys_[key]; }
    static double Number(const simlink::cOFFSET& offset);
    std::string& ActiveText(int selector) { return *activeText_[selector]; }
    std::string& StandbyText(int selector) { return *standbyText_[selector]; }

    void RefreshSelector(int selector);
    void RefreshRadio(int selector, int radio);
    void RefreshAdf(int selector);
    void RefreshDme(int selector);
    void RefreshXpdr(int selector);
    void ReadAdf();
    void AppendDistance(std::string& out, Key distance) const;

    void ClickBuiltIn(int selector, int position);
    void LongClickBuiltIn(int selector, int position);
    void RotaryBuiltIn(int ring, int direction, int selector, int position, int speed);
    void TuneRadio(int ring, int direction, int radio, int speed);
    void TuneAdf(int ring, int direction, int selector, int speed);
    void StepXpdrDigit(int direction);
    void StepQnh(int direction);
    // The ADF that ADF mode tunes for a selector, 0 when the mode tunes none.
    int TunedAdf(int selector) const;
    void SwapAdf(int adf);

    // Lets the pending window messages run, as every event ends.
    void Pump();
    static int SelectorOfMask(std::int32_t mask);
    std::uint8_t SpecialMode() const { return configuration_.SpecialMode; }

    // The standby frequency of radio 1-4 as the simulator holds it now, into
    // radioValue_ (unchanged when the simulator does not answer).
    void ReadStandbyNow(int radio);
    // Writes through short-lived buffers; false when the value has no BCD
    // form (nothing is written then).
    bool WriteBcd(std::int32_t offset, std::int32_t value);
    void WriteByteQueued(std::int32_t offset, std::int32_t value);
    bool WriteAdf(int adf, double kHz);
    bool WriteQnh(double hPa);

    app::ProgramState& state_;
    simlink::RegisteredOffsets& offsets_;
    simlink::ILink& link_;
    actions::IActionTarget& target_;
    simlink::IWaitHost& waitHost_;
    config::cConfiguration& configuration_;
    IRadioPanelControl& control_;
    cRadioPanelActionsHolder holder_;

    // Registered entries, looked up once by SetupChanged. "NGX-IN-HPA" is not
    // kept: every Radio Panel removes and re-adds it.
    std::array<simlink::cOFFSET*, kKeyCount> keys_{};

    std::array<std::int32_t, 3> position_{0, 1, 1};        // per selector 1-2
    std::array<float, 5> radioValue_{};                     // COM1, COM2, NAV1, NAV2 (index 1-4), MHz
    // The displays' texts per selector (always engaged, handed to the
    // control as they are).
    std::array<std::optional<std::string>, 3> activeText_;
    std::array<std::optional<std::string>, 3> standbyText_;
    std::uint8_t xpdrDigit_ = 1;
    std::string xpdrText_;
    float qnh_ = 0.0f;
    bool inches_ = false;
    bool altimeterToggle_ = false;
    std::uint8_t adfChoice_ = 1;
    std::array<std::uint8_t, 3> dmeMode_{0, 1, 1};
    bool dmeTime_ = false;
    std::uint8_t adfMode_ = 0;
    bool longClick_ = false;
};

} // namespace orvex::panels::radio
