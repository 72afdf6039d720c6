// The per-profile configuration of one Radio Panel: the event action of
// every panel event of every radio function, the knob acceleration of every
// radio function, and the altimeter, DME and ADF options. It loads and saves
// section "RadioPanel<n>" of the profile file in use; the section holds only
// what differs from the defaults.
#pragma once

#include "actions/event_action.h"
#include "config/configuration.h"
#include "config/profile_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::panels::radio {

// Radio functions by selector position; 0 is "no position" and is never bound.
enum RadioPosition : int {
    kNoPosition = 0,
    kCom1 = 1,
    kCom2 = 2,
    kNav1 = 3,
    kNav2 = 4,
    kAdf = 5,
    kDme = 6,
    kXpdr = 7,
};
inline constexpr int kPositionCount = 8;
// Key suffix of each position ("" for 0).
const char* PositionName(int position);

// Knob rings and directions as the tables index them.
inline constexpr int kInnerRing = 0;
inline constexpr int kOuterRing = 1;
inline constexpr int kDown = 0;
inline constexpr int kUp = 1;

// AltimeterUnit values.
inline constexpr std::uint8_t kAltimeterToggle = 0;
inline constexpr std::uint8_t kAltimeterHpa = 1;
inline constexpr std::uint8_t kAltimeterInHg = 2;

inline constexpr float kDefaultAdfInnStep = 0.1f;
inline constexpr float kDefaultAdfOutStep = 1.0f;

// A field of an action record as the accessors pass it: field 0 the kind,
// 1 and 2 unsigned 8-bit, 3 signed 16-bit, 4-11 the custom kinds' fields.
using ActionFieldValue = actions::ActionFieldValue;

// Locale-aware conversions of the ADF steps: blanks around the number, an
// optional sign, digits with the user's decimal separator, an optional
// exponent ("1E-05"). Nothing for any other text or a value out of the
// single-precision range.
std::optional<float> ParseSingle(std::string_view text, config::NumberLocale locale);
// The shortest text that reads back as the same single ("0.5", "12.25").
std::string SingleText(float value, config::NumberLocale locale);

class cRadioPanelActionsHolder {
public:
    // The section is found through the configuration model: its store, the
    // profile path of CurrentProfile, its locale and its bad-value sink.
    explicit cRadioPanelActionsHolder(config::cConfiguration& configuration);
    // The action rows point into the object.
    cRadioPanelActionsHolder(const cRadioPanelActionsHolder&) = delete;
    cRadioPanelActionsHolder& operator=(const cRadioPanelActionsHolder&) = delete;

    std::int16_t PanelIndex = 0;  // 1-based panel number; selects the section
    std::uint8_t AltimeterUnit = 0;
    std::uint8_t DMEMode = 0;
    std::uint8_t ADFMode = 0;
    float ADFInnStep = kDefaultAdfInnStep; // kHz
    float ADFOutStep = kDefaultAdfOutStep; // kHz

    // Acceleration of a position (0-7); 0 for a position out of range.
    std::int16_t GetAcceleration(int position) const;
    // False (nothing stored) for a position out of range.
    bool SetAcceleration(int position, std::int16_t value);

    // One field (0-3) of one record. Get yields 0 for an index out of range;
    // Set stores nothing and yields false for an index out of range or a
    // value that does not fit the field.
    ActionFieldValue GetSelectorActions(int position, int field) const;
    bool SetSelectorActions(int position, int field, ActionFieldValue value);
    ActionFieldValue GetButtonsActions(int position, int field) const;
    bool SetButtonsActions(int position, int field, ActionFieldValue value);
    ActionFieldValue GetLongButtonsActions(int position, int field) const;
    bool SetLongButtonsActions(int position, int field, ActionFieldValue value);
    // ring 0 inner, 1 outer; direction 1 up, 0 down.
    ActionFieldValue GetRotActions(int ring, int direction, int position, int field) const;
    bool SetRotActions(int ring, int direction, int position, int field, ActionFieldValue value);

    // Whole records, for the panel logic. An index out of range yields a
    // record of kind "None".
    const actions::EventAction& SelectorAction(int position) const;
    const actions::EventAction& ButtonAction(int position) const;
    const actions::EventAction& LongButtonAction(int position) const;
    const actions::EventAction& RotAction(int ring, int direction, int position) const;

    // Every table and option to its default; PanelIndex and the fields of the
    // records other than the kind are left as they are.
    void LoadDefaults();
    // LoadDefaults, then the section. A value that does not convert is
    // reported to the bad-value sink and keeps its default.
    void LoadSetup();
    // Writes the section of the profile last loaded (CurrentProfile when
    // nothing was loaded): keys of default values are deleted. False, the
    // user told and the file left as it was, when it cannot be written.
    bool SaveSetup();

    // "RadioPanel" + PanelIndex.
    std::string SectionName() const;
    // The profile file the setup was loaded from (the profile in use before
    // any load); saving goes there.
    std::string FilePath() const;

private:
    using Table = std::array<actions::EventAction, kPositionCount>;

    static const actions::EventAction* Record(const Table& table, int position);
    static actions::EventAction* Record(Table& table, int position);
    static ActionFieldValue GetField(const actions::EventAction* record, int field);
    static bool SetField(actions::EventAction* record, int field, ActionFieldValue value);
    actions::ActionSection Section(config::IIniStore& store, const std::string& path);
    void ReadNumbers(const actions::ActionSection& where);

    config::cConfiguration& configuration_;
    config::ProfileFile file_{configuration_};
    Table selector_{};
    Table button_{};
    Table longButton_{};
    std::array<std::array<Table, 2>, 2> rot_{}; // [ring][direction][position]
    std::array<std::int16_t, kPositionCount> acceleration_{};
    std::vector<actions::ActionRow> rows_;      // every action key, in the order they are saved
};

} // namespace orvex::panels::radio
