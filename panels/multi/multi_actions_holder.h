// The per-profile configuration of one Multi Panel: the event action of
// every panel event, the knob acceleration per selector position, the trim
// and flaps options, the course source and the 737NGX items of the buttons.
// It loads and saves section "MultiPanel<n>" of the profile file in use; the
// section holds only what differs from the defaults.
#pragma once

#include "actions/event_action.h"
#include "config/configuration.h"
#include "config/profile_file.h"
#include "panels/multi/ngx_items.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex::panels::multi {

// Selector positions; 0 is "no position" and is never bound.
enum MultiPosition : int {
    kNoPosition = 0,
    kAlt = 1,
    kVs = 2,
    kIas = 3,
    kHdg = 4,
    kCrs = 5,
};
inline constexpr int kPositionCount = 6;
// Key suffix of a position ("" for 0 and out of range).
const char* PositionName(int position);

// Buttons; 0 is "no button".
enum MultiButton : int {
    kNoButton = 0,
    kAp = 1,
    kHdgButton = 2,
    kNav = 3,
    kIasButton = 4,
    kAltButton = 5,
    kVsButton = 6,
    kApr = 7,
    kRev = 8,
};
inline constexpr int kButtonCount = 9;
// Key suffix of a button ("" for 0 and out of range).
const char* ButtonName(int button);

// Directions and switch positions as the two-entry tables index them.
inline constexpr int kDown = 0;      // flaps and trim: DOWN
inline constexpr int kUp = 1;        // flaps and trim: UP
inline constexpr int kAtOff = 0;     // auto-throttle OFF
inline constexpr int kAtArm = 1;     // auto-throttle ARM

// CourseSel values.
inline constexpr std::uint8_t kCourseSelectable = 0;  // follows radio panel 1's upper selector
inline constexpr std::uint8_t kCourseNav1 = 1;
inline constexpr std::uint8_t kCourseNav2 = 2;

inline constexpr std::int16_t kDefaultTrimAcceleration = 1;
inline constexpr std::int16_t kDefaultTrimSensitivity = 4;
inline constexpr std::int16_t kDefaultRotAcceleration = 1;

// A field of an action record as the accessors pass it: field 0 the kind,
// 1 and 2 unsigned 8-bit, 3 signed 16-bit, 4-11 the custom kinds' fields.
using ActionFieldValue = actions::ActionFieldValue;

class cMultiPanelActionsHolder {
public:
    // The section is found through the configuration model: its store, the
    // profile path of CurrentProfile, its locale and its bad-value sink.
    explicit cMultiPanelActionsHolder(config::cConfiguration& configuration);
    // The action rows point into the object.
    cMultiPanelActionsHolder(const cMultiPanelActionsHolder&) = delete;
    cMultiPanelActionsHolder& operator=(const cMultiPanelActionsHolder&) = delete;

    std::int16_t PanelIndex = 0;  // 1-based panel number; selects the section
    std::int16_t TrimAcceleration = kDefaultTrimAcceleration;  // trim speed period in units of 3 ms
    std::int16_t TrimSensitivity = kDefaultTrimSensitivity;    // trim step = speed * this * 8
    std::uint8_t ReverseTrim = 0;                              // 1 reverses the trim wheel
    std::uint8_t ReverseFlaps = 0;                             // 1 reverses the flaps lever
    std::uint8_t CourseSel = kCourseNav1;

    // Knob acceleration of a selector position (1-5); 0 out of range.
    std::int16_t GetRotAcceleration(int position) const;
    // False (nothing stored) for a position out of range.
    bool SetRotAcceleration(int position, std::int16_t value);

    // One field (0-3) of one record. Get yields 0 for an index out of range;
    // Set stores nothing and yields false for an index out of range or a
    // value that does not fit the field.
    ActionFieldValue GetSelectorActions(int position, int field) const;
    bool SetSelectorActions(int position, int field, ActionFieldValue value);
    ActionFieldValue GetButtonsActions(int button, int field) const;
    bool SetButtonsActions(int button, int field, ActionFieldValue value);
    ActionFieldValue GetLongButtonsActions(int button, int field) const;
    bool SetLongButtonsActions(int button, int field, ActionFieldValue value);
    ActionFieldValue GetRotUpActions(int position, int field) const;
    bool SetRotUpActions(int position, int field, ActionFieldValue value);
    ActionFieldValue GetRotDownActions(int position, int field) const;
    bool SetRotDownActions(int position, int field, ActionFieldValue value);
    // index 0 OFF, 1 ARM.
    ActionFieldValue GetAutoThrottleActions(int index, int field) const;
    bool SetAutoThrottleActions(int index, int field, ActionFieldValue value);
    // index 0 DOWN, 1 UP.
    ActionFieldValue GetFlapsActions(int index, int field) const;
    bool SetFlapsActions(int index, int field, ActionFieldValue value);
    ActionFieldValue GetTrimActions(int index, int field) const;
    bool SetTrimActions(int index, int field, ActionFieldValue value);

    // The 737NGX item (0-22) of a button's click and long click. Get yields
    // 0 for a button out of range; Set stores nothing and yields false for a
    // button out of range or an item that is not in NGXItemTable.
    std::uint8_t NGXGetShortButtonsActions(int button) const;
    bool NGXSetShortButtonsActions(int button, std::uint8_t item);
    std::uint8_t NGXGetLongButtonsActions(int button) const;
    bool NGXSetLongButtonsActions(int button, std::uint8_t item);

    // Whole records, for the panel logic. An index out of range yields a
    // record of kind "None".
    const actions::EventAction& SelectorAction(int position) const;
    const actions::EventAction& ButtonAction(int button) const;
    const actions::EventAction& LongButtonAction(int button) const;
    // direction 1 up (clockwise), 0 down.
    const actions::EventAction& RotAction(int direction, int position) const;
    const actions::EventAction& AutoThrottleAction(int index) const;
    const actions::EventAction& FlapsAction(int index) const;
    const actions::EventAction& TrimAction(int index) const;

    // Every table and option to its default; PanelIndex and the fields of
    // the records other than the kind are left as they are.
    void LoadDefaults();
    // LoadDefaults, then the section. A value that does not convert (or an
    // NGX item or CourseSel out of range) is reported to the bad-value sink
    // and keeps its default.
    void LoadSetup();
    // Writes the section of the profile last loaded: keys of default values
    // are deleted. False, the user told and the file left as it was, when it
    // cannot be written.
    bool SaveSetup();

    // "MultiPanel" + PanelIndex.
    std::string SectionName() const;
    // The profile file the setup was loaded from (the profile in use before
    // any load); saving goes there.
    std::string FilePath() const;

    // The default NGX items of a button (0 for a button out of range).
    static std::uint8_t DefaultNGXShortItem(int button);
    static std::uint8_t DefaultNGXLongItem(int button);

private:
    template <std::size_t N>
    using Table = std::array<actions::EventAction, N>;

    actions::ActionSection Section(config::IIniStore& store, const std::string& path);
    void ReadNumbers(const actions::ActionSection& where);

    config::cConfiguration& configuration_;
    config::ProfileFile file_{configuration_};
    Table<kPositionCount> selector_{};
    Table<kPositionCount> rotUp_{};
    Table<kPositionCount> rotDown_{};
    Table<kButtonCount> button_{};
    Table<kButtonCount> longButton_{};
    Table<2> autoThrottle_{};
    Table<2> flaps_{};
    Table<2> trim_{};
    std::array<std::int16_t, kPositionCount> rotAcceleration_{};
    std::array<std::uint8_t, kButtonCount> ngxShort_{};
    std::array<std::uint8_t, kButtonCount> ngxLong_{};
    std::vector<actions::ActionRow> rows_;  // every action key, in the order they are saved
};

} // namespace orvex::panels::multi
