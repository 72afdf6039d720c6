// Event actions: what the program does when a panel event happens, their
// stored text form in the profile files, and the shared routines with which
// every panel configuration reads and writes its action keys.
#pragma once

#include "config/ini_store.h"
#include "config/number_text.h"
#include "config/save_key.h"
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
    // Custom FSUIPC actions (see actions/custom_action.h for their rules).
    kControl = 4, // "Control,control,parameter": an FSUIPC control
    kSet = 5,     // "Set,offset,size,value": an offset written
    kToggle = 6,  // "Toggle,offset,size,mask": an offset's bits flipped
    kStep = 7,    // "Step,offset,size,delta,min,max,wrap": an offset stepped within limits
};

// True for the four custom FSUIPC kinds.
constexpr bool IsCustomKind(std::int32_t kind) { return kind >= kControl && kind <= kStep; }

// Qualifier bits of a keystroke (field 2 of kind 3).
inline constexpr std::uint8_t kQualifierShift = 1;
inline constexpr std::uint8_t kQualifierCtrl = 2;
inline constexpr std::uint8_t kQualifierTab = 4;

// The action record. Only field 0 says what the record means; fields a
// kind does not use keep what they held. Fields 0-3 serve kinds 0-3; the
// custom kinds use fields 4-11 (numbered so for the configuration classes'
// Get and Set accessors).
struct EventAction {
    std::int32_t Kind = kNone; // field 0
    std::uint8_t Field1 = 0;   // joystick (64-72) or virtual-key code
    std::uint8_t Field2 = 0;   // button (1-32) or qualifier bits
    std::int32_t Field3 = 0;   // character code of the key (kind 3 only)
    std::int32_t Control = 0;  // field 4: FSUIPC control (kind 4)
    std::int32_t Parameter = 0; // field 5: its parameter
    std::int32_t Offset = 0;   // field 6: FSUIPC offset 0x0000-0xFFFF (kinds 5-7)
    std::int32_t Size = 1;     // field 7: 1, 2, 4 or 8 bytes
    std::int64_t Value = 0;    // field 8: the value set, the mask toggled or the step's delta
    std::int64_t Minimum = 0;  // field 9: the step's lower limit
    std::int64_t Maximum = 0;  // field 10: the step's upper limit
    bool Wrap = false;         // field 11: the step wraps (true) or clamps (false)

    friend bool operator==(const EventAction&, const EventAction&) = default;
};

// Width of field 3 in a table: 16-bit signed in most tables, unsigned 8-bit
// in the Switch Panel's.
enum class Field3Type { Integer16, Byte };

enum class ReadResult {
    Read,        // the record was updated
    UnknownKind, // first item is not a kind word: the record is untouched
    Malformed,   // a kind word with a missing or bad number: untouched
};

// Reads an action text into the record. The kind word matches without
// regard to case; items after the ones used are ignored; numbers of kinds
// 2 and 3 are converted the locale-aware way (blanks allowed, fractions
// rounded to even), those of the custom kinds by their own stricter rules.
// A pure function of its arguments.
ReadResult ReadActionText(std::string_view text, EventAction& record, Field3Type field3 = Field3Type::Integer16,
                          config::NumberLocale locale = {});

// The stored text of a record; empty for a kind outside 0-7.
std::string ActionText(const EventAction& record);

// One field (0-11) of a record as the configuration classes' Get and Set
// accessors pass it: field 0 the kind, 1 and 2 unsigned 8-bit, 3 as the
// table's field 3 type, 4-11 as the record declares them (64-bit for 8-10,
// 0 or 1 for 11). Get yields 0 for a field out of range; Set stores nothing
// and yields false for a field out of range or a value that does not fit
// the field.
using ActionFieldValue = std::int64_t;
inline constexpr int kActionFieldCount = 12;
ActionFieldValue GetActionField(const EventAction& record, int field);
bool SetActionField(EventAction& record, int field, ActionFieldValue value,
                    Field3Type field3 = Field3Type::Integer16);

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
// else writes the record's text. A text that does not read stays while the
// record still holds the default, and one that reads as the record stays as
// written (see config::SaveKey).
void WriteAction(const ActionSection& where, const ActionRow& row);

// Writes every row in order.
void SaveActions(const ActionSection& where, std::span<const ActionRow> rows);

// Saves a number key of a panel's section (see config::SaveKey): deleted
// when the value is the default, else written as `text`. `read` is the
// loader's conversion of a text (with the section's locale), nothing for a
// text it does not take.
template <class T, class Read>
void SaveNumber(const ActionSection& where, const std::string& key, T value, T defaultValue, const std::string& text,
                Read read) {
    config::SaveValueKey(where.Store, where.Path, where.Section, key, value, defaultValue, text,
                         [&](const std::string& t) { return read(t, where.Locale); });
}

// Carrying out an action. The panel logic chooses the moment and the pattern.
class IActionTarget {
public:
    virtual ~IActionTarget() = default;
    virtual void SetVirtualButton(std::uint8_t joystick, std::uint8_t button, bool pressed, bool immediate) = 0;
    virtual void SendKeystroke(std::uint8_t key, std::uint8_t qualifiers) = 0;
    // An FSUIPC control with its parameter; queued, sent at once if immediate.
    virtual void SendFsControl(std::int32_t control, std::int32_t parameter, bool immediate) = 0;
    // Reads `size` (1, 2, 4 or 8) bytes of an offset at once, little-endian
    // into the low bytes of `value`; false when the simulator did not answer.
    virtual bool ReadOffset(std::int32_t offset, std::int32_t size, std::uint64_t& value) = 0;
    // Writes the low `size` bytes of `value`; queued, sent at once if immediate.
    virtual void WriteOffset(std::int32_t offset, std::int32_t size, std::uint64_t value, bool immediate) = 0;
};

enum class Outcome {
    Nothing,  // kind 0 (or unknown): nothing to do
    BuiltIn,  // kind 1: the caller runs its own behaviour for the event
    Done,     // any other kind carried out
};

// Kind 2: press and release at once (both queued unless immediate), times
// repetitions; kind 3: the keystroke, times repetitions; a control or a
// toggle, times repetitions; a Set once; a Step once by delta x repetitions.
Outcome CarryOut(const EventAction& action, IActionTarget& target, int repetitions = 1, bool immediate = false);
// The press and the release of the patterns in which a virtual button is
// held while the physical button (or the position) is: a virtual button is
// pressed or released; every other kind acts as CarryOut on the press and
// does nothing on the release (a Toggle or a Step undone on the release
// would make a click or a switch do nothing).
Outcome Press(const EventAction& action, IActionTarget& target, bool immediate = false);
Outcome Release(const EventAction& action, IActionTarget& target, bool immediate = false);

} // namespace orvex::actions
