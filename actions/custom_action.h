// The custom FSUIPC actions: an FSUIPC control, and an offset set, toggled
// or stepped. Their items, the rules their numbers follow, the Step
// arithmetic and how they are carried out.
//
// Stored texts (items after the ones listed are ignored):
//     Control,<control>,<parameter>
//     Set,<offset>,<size>,<value>
//     Toggle,<offset>,<size>,<mask>
//     Step,<offset>,<size>,<delta>,<min>,<max>,<wrap>
// Numbers are decimal (with an optional sign) or 0x hexadecimal, with blanks
// around them allowed. Offsets 0x0000-0xFFFF, and an offset plus its size
// never reaches past 0xFFFF; sizes 1, 2, 4 or 8 bytes; a control 1 to
// 2147483647; a parameter a signed 32-bit number (0x80000000-0xFFFFFFFF
// stand for the negative ones); a value or mask of n bytes from -2^(8n-1) to
// 2^(8n)-1; a step's delta and limits signed n-byte numbers, min not above
// max; wrap 0 (clamp) or 1 (wrap).
#pragma once

#include "actions/event_action.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::actions {

// The stored kind word of a custom kind ("Control", "Set", "Toggle", "Step"),
// empty for another kind.
std::string_view CustomKindWord(std::int32_t kind);

// The names of a custom kind's items after its kind word, in stored order
// ("Offset", "Size", ...; empty for another kind).
std::span<const char* const> CustomItemNames(std::int32_t kind);

// The unit and limits of an item, short enough to stand beside its field
// ("0x0000-0xFFFF", "bytes", "-128 to 127", "signed 64-bit"); those of a
// value depend on the size in bytes (nothing for a size that does not fit).
std::string CustomItemLimits(std::int32_t kind, int item, std::int32_t size);

// The outcome of reading a custom kind's items.
struct CustomProblem {
    int Item;           // the item that does not fit
    std::string Reason; // why, in words for the user
};
struct CustomCheck {
    int Item = -1;      // the first item that does not fit (-1: all fit)
    std::string Reason; // why
    // Every item that does not fit, in item order (an item whose limits
    // depend on a size that does not fit is not judged).
    std::vector<CustomProblem> Problems;
    bool Ok() const { return Item < 0; }
};

// Reads a custom kind's items (without the kind word) into the record:
// on success the kind and its fields are set, else the record is untouched
// and the check names the items that do not fit (a missing item included).
// Items beyond the kind's are ignored.
CustomCheck ReadCustomItems(std::int32_t kind, std::span<const std::string_view> items, EventAction& record);

// The items of a custom record as they are stored (offsets "0x" and four
// digits, masks in hexadecimal, the rest in decimal); empty for another kind.
std::vector<std::string> CustomItemTexts(const EventAction& record);

// The stored text of a custom record ("Step,0x07CC,2,1,0,359,1").
std::string CustomActionText(const EventAction& record);

// What a custom record does, in a line for the user ("Step 0x07CC (2 bytes)
// by 1 within 0 to 359, wrapping").
std::string CustomSummary(const EventAction& record);

// Fields of a record that the event selector starts a custom kind with when
// the record holds nothing valid for it: the free user offset 0x66C0, two
// bytes, a value or mask of 1, a step of 1 within 0 to 100.
EventAction CustomDefaults(std::int32_t kind);

// A signed value of `size` bytes from the low bytes of `raw`, and back.
std::int64_t SignExtend(std::uint64_t raw, std::int32_t size);

// The Step arithmetic: current + delta x times, then wrapped into
// min..max (a value past max goes on from min, modulo max - min + 1, and the
// same downwards) or clamped into it. Exact for every input (min above max
// leaves the value as it is).
std::int64_t StepValue(std::int64_t current, std::int64_t delta, int times, std::int64_t minimum,
                       std::int64_t maximum, bool wrap);

// Carries out a custom action `repetitions` times (a Step once by
// delta x repetitions; a Set once). A Toggle or a Step reads the offset
// first and writes nothing when the read fails. Returns false for another
// kind or a failed read.
bool CarryOutCustom(const EventAction& action, IActionTarget& target, int repetitions, bool immediate);

} // namespace orvex::actions
