// Event actions: what the program does when a panel event happens, their
// stored text form in the profile files, and the shared routines with which
// every panel configuration reads and writes its action keys.
#pragma once

#include "config/ini_store.h"
#include "config/number_text.h"
#include "config/user_messages.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvex::actions {

enum ActionKind : std::int32_t {
    kNone = 0,    // "None": nothing
    kOffset = 1,  // "Offset": the panel's own built-in behaviour
    kVButton = 2, // "VButton,joystick,button": an FSUIPC virtual joystick button
    kVKey = 3,    // "VKey,key,qualifiers,character": a keystroke
};

// Qualifier bits of a keystroke (field 2 of kind 3).
inline constexpr std::uint8_t kQualifierShift = 1;
inline constexpr std::uint8_t kQualifierCtrl = 2;
inline constexpr std::uint8_t kQualifierTab = 4;

// The four-field record. Only field 0 says what the record means; fields a
// kind does not use keep what they held.
struct EventAction {
    std::int32_t Kind = kNone; // field 0
    std::uint8_t Field1 = 0;   // joystick (64-72) or virtual-key code
    std::uint8_t Field2 = 0;   // button (1-32) or qualifier bits
    std::int32_t Field3 = 0;   // character code of the key (kind 3 only)

    friend bool operator==(const EventAction&, const EventAction&) = default;
};

// Width of field 3 in a table: 16-bit signed in most tables, unsigned 8-bit
// in the Switch Panel's.
enum class Field3Type { Integer16, Byte };

enum class ReadResult {
    Read,        // the record was updated
    UnknownKind, // first item is not a kind word: the record is untouched
    Malformed,   // "vbutton"/"vkey" with a missing or bad number: untouched
};

// Reads an action text into the record. The kind word matches without
// regard to case; items after the ones used are ignored; numbers are
// converted the locale-aware way (blanks allowed, fractions rounded to even).
ReadResult ReadActionText(std::string_view text, EventAction& record, Field3Type field3 = Field3Type::Integer16,
                          config::NumberLocale locale = {});

// The stored text of a record; empty for a kind outside 0-3.
std::string ActionText(const EventAction& record);

// One field (0-3) of a record as the configuration classes' Get and Set
// accessors pass it: field 0 the kind, 1 and 2 unsigned 8-bit, 3 as the
// table's field 3 type. Get yields 0 for a field out of range; Set stores
// nothing and yields false for a field out of range or a value that does
// not fit the field.
std::int32_t GetActionField(const EventAction& record, int field);
bool SetActionField(EventAction& record, int field, std::int32_t value, Field3Type field3 = Field3Type::Integer16);

// One row of a panel's action table: the key in the panel's section, the
// record it fills and the table's default kind. A panel configuration class
// builds its rows from its own members each time it loads or saves.
struct ActionRow {
    std::string Key;
    EventAction* Action;
    std::int32_t DefaultKind;
};

// Where a panel's section is and how its numbers convert.
struct ActionSection {
    config::IIniStore& Store;
    std::string Path;
    std::string Section;
    Field3Type Field3 = Field3Type::Integer16;
    config::NumberLocale Locale{};
    config::IBadValueSink* BadValues = nullptr;
};

// Sets field 0 of every row to its default kind (other fields untouched).
void LoadActionDefaults(std::span<const ActionRow> rows);

// Reads one key's text into a row's record; a malformed text keeps the
// record and is reported to the section's bad-value sink.
void ReadAction(const ActionSection& where, const ActionRow& row, const std::string& text);

// Enumerates the section's keys in file order and reads every key whose name
// matches a row exactly (with case); other keys are left to the caller.
// Malformed texts keep their row's default, are reported, and reading goes on.
void LoadActions(const ActionSection& where, std::span<const ActionRow> rows);

// Writes one row: deletes the key when the kind equals the default kind,
// else writes the record's text.
void WriteAction(const ActionSection& where, const ActionRow& row);

// Writes every row in order.
void SaveActions(const ActionSection& where, std::span<const ActionRow> rows);

// A key of a default value is deleted, any other value written.
void WriteValue(const ActionSection& where, const std::string& key, bool isDefault, const std::string& text);

// Carrying out an action. The panel logic chooses the moment and the pattern.
class IActionTarget {
public:
    virtual ~IActionTarget() = default;
    virtual void SetVirtualButton(std::uint8_t joystick, std::uint8_t button, bool pressed, bool immediate) = 0;
    virtual void SendKeystroke(std::uint8_t key, std::uint8_t qualifiers) = 0;
};

enum class Outcome {
    Nothing,  // kind 0 (or unknown): nothing to do
    BuiltIn,  // kind 1: the caller runs its own behaviour for the event
    Done,     // kind 2 or 3 carried out
};

// Kind 2: press and release at once (both queued unless immediate), times
// repetitions; kind 3: the keystroke, times repetitions.
Outcome CarryOut(const EventAction& action, IActionTarget& target, int repetitions = 1, bool immediate = false);
// Kind 2 only: the press or the release alone (a button held while the
// physical button is held). Other kinds: as CarryOut on press, nothing on release.
Outcome Press(const EventAction& action, IActionTarget& target, bool immediate = false);
Outcome Release(const EventAction& action, IActionTarget& target, bool immediate = false);

} // namespace orvex::actions
