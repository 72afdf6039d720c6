#include "actions/event_action.h"

#include "actions/custom_action.h"

#include "config/text_util.h"

#include <optional>

namespace orvex::actions {

using config::DecimalText;
using config::ToByte;
using config::ToInteger;

ReadResult ReadActionText(std::string_view text, EventAction& record, Field3Type field3,
                          config::NumberLocale locale) {
    const auto items = config::SplitAll(text, ',');
    const std::string word = config::ToLowerAscii(items[0]);
    if (word == "none") {
        record.Kind = kNone;
        return ReadResult::Read;
    }
    if (word == "offset") {
        record.Kind = kOffset;
        return ReadResult::Read;
    }
    if (word == "vbutton") {
        if (items.size() < 3) return ReadResult::Malformed;
        const auto joystick = ToByte(items[1], locale);
        const auto button = ToByte(items[2], locale);
        if (!joystick || !button) return ReadResult::Malformed;
        record.Kind = kVButton;
        record.Field1 = *joystick;
        record.Field2 = *button;
        return ReadResult::Read;
    }
    if (word == "vkey") {
        if (items.size() < 4) return ReadResult::Malformed;
        const auto key = ToByte(items[1], locale);
        const auto qualifiers = ToByte(items[2], locale);
        std::optional<std::int32_t> character;
        if (field3 == Field3Type::Byte) {
            if (auto c = ToByte(items[3], locale)) character = *c;
        } else if (auto c = ToInteger(items[3], locale)) {
            character = *c;
        }
        if (!key || !qualifiers || !character) return ReadResult::Malformed;
        record.Kind = kVKey;
        record.Field1 = *key;
        record.Field2 = *qualifiers;
        record.Field3 = *character;
        return ReadResult::Read;
    }
    for (std::int32_t kind = kControl; kind <= kStep; ++kind) {
        if (word != config::ToLowerAscii(CustomKindWord(kind))) continue;
        const std::span<const std::string_view> rest(items.data() + 1, items.size() - 1);
        return ReadCustomItems(kind, rest, record).Ok() ? ReadResult::Read : ReadResult::Malformed;
    }
    return ReadResult::UnknownKind;
}

std::string ActionText(const EventAction& record) {
    switch (record.Kind) {
    case kNone:
        return "None";
    case kOffset:
        return "Offset";
    case kVButton:
        return "VButton," + DecimalText(record.Field1) + "," + DecimalText(record.Field2);
    case kVKey:
        return "VKey," + DecimalText(record.Field1) + "," + DecimalText(record.Field2) + "," +
               DecimalText(record.Field3);
    case kControl:
    case kSet:
    case kToggle:
    case kStep:
        return CustomActionText(record);
    default:
        return "";
    }
}

void LoadActionDefaults(std::span<const ActionRow> rows) {
    for (const ActionRow& row : rows) row.Action->Kind = row.DefaultKind;
}

void ReadAction(const ActionSection& where, const ActionRow& row, const std::string& text) {
    if (ReadActionText(text, *row.Action, where.Field3, where.Locale) == ReadResult::Malformed && where.BadValues)
        where.BadValues->BadValue(where.Path, where.Section, row.Key, text);
}

void LoadActions(const ActionSection& where, std::span<const ActionRow> rows) {
    for (const std::string& key : where.Store.KeyNames(where.Path, where.Section)) {
        for (const ActionRow& row : rows) {
            if (key != row.Key) continue;
            ReadAction(where, row, where.Store.ReadString(where.Path, where.Section, key, ""));
            break;
        }
    }
}

void WriteAction(const ActionSection& where, const ActionRow& row) {
    const EventAction& value = *row.Action;
    const bool isDefault = value.Kind == row.DefaultKind;
    // The record a text loads as: the default kind, then the text read over it.
    const auto read = [&](const std::string& seen) {
        EventAction loaded = value;
        loaded.Kind = row.DefaultKind;
        if (ReadActionText(seen, loaded, where.Field3, where.Locale) != ReadResult::Read)
            return config::SeenText::Unreadable;
        return loaded.Kind == value.Kind && ActionText(loaded) == ActionText(value) ? config::SeenText::Same
                                                                                     : config::SeenText::Different;
    };
    config::SaveKey(where.Store, where.Path, where.Section, row.Key,
                    isDefault ? std::nullopt : std::optional<std::string>(ActionText(value)), isDefault, read);
}

void SaveActions(const ActionSection& where, std::span<const ActionRow> rows) {
    for (const ActionRow& row : rows) WriteAction(where, row);
}

ActionFieldValue GetActionField(const EventAction& record, int field) {
    switch (field) {
    case 0: return record.Kind;
    case 1: return record.Field1;
    case 2: return record.Field2;
    case 3: return record.Field3;
    case 4: return record.Control;
    case 5: return record.Parameter;
    case 6: return record.Offset;
    case 7: return record.Size;
    case 8: return record.Value;
    case 9: return record.Minimum;
    case 10: return record.Maximum;
    case 11: return record.Wrap ? 1 : 0;
    default: return 0;
    }
}

bool SetActionField(EventAction& record, int field, ActionFieldValue value, Field3Type field3) {
    const auto within = [value](std::int64_t low, std::int64_t high) { return value >= low && value <= high; };
    switch (field) {
    case 0:
        if (!within(INT32_MIN, INT32_MAX)) return false;
        record.Kind = static_cast<std::int32_t>(value);
        return true;
    case 1:
        if (!within(0, 255)) return false;
        record.Field1 = static_cast<std::uint8_t>(value);
        return true;
    case 2:
        if (!within(0, 255)) return false;
        record.Field2 = static_cast<std::uint8_t>(value);
        return true;
    case 3:
        if (field3 == Field3Type::Byte ? !within(0, 255) : !within(-32768, 32767)) return false;
        record.Field3 = static_cast<std::int32_t>(value);
        return true;
    case 4:
    case 5:
        if (!within(INT32_MIN, INT32_MAX)) return false;
        (field == 4 ? record.Control : record.Parameter) = static_cast<std::int32_t>(value);
        return true;
    case 6:
        if (!within(0, 0xFFFF)) return false;
        record.Offset = static_cast<std::int32_t>(value);
        return true;
    case 7:
        if (value != 1 && value != 2 && value != 4 && value != 8) return false;
        record.Size = static_cast<std::int32_t>(value);
        return true;
    case 8: record.Value = value; return true;
    case 9: record.Minimum = value; return true;
    case 10: record.Maximum = value; return true;
    case 11:
        if (!within(0, 1)) return false;
        record.Wrap = value == 1;
        return true;
    default:
        return false;
    }
}

Outcome CarryOut(const EventAction& action, IActionTarget& target, int repetitions, bool immediate) {
    switch (action.Kind) {
    case kOffset:
        return Outcome::BuiltIn;
    case kVButton:
        for (int i = 0; i < repetitions; ++i) {
            target.SetVirtualButton(action.Field1, action.Field2, true, immediate);
            target.SetVirtualButton(action.Field1, action.Field2, false, immediate);
        }
        return Outcome::Done;
    case kVKey:
        for (int i = 0; i < repetitions; ++i) target.SendKeystroke(action.Field1, action.Field2);
        return Outcome::Done;
    default:
        if (!IsCustomKind(action.Kind)) return Outcome::Nothing;
        CarryOutCustom(action, target, repetitions, immediate);
        return Outcome::Done;
    }
}

Outcome Press(const EventAction& action, IActionTarget& target, bool immediate) {
    if (action.Kind == kVButton) {
        target.SetVirtualButton(action.Field1, action.Field2, true, immediate);
        return Outcome::Done;
    }
    return CarryOut(action, target, 1, immediate);
}

Outcome Release(const EventAction& action, IActionTarget& target, bool immediate) {
    if (action.Kind == kVButton) {
        target.SetVirtualButton(action.Field1, action.Field2, false, immediate);
        return Outcome::Done;
    }

    return action.Kind == kOffset ? Outcome::BuiltIn : Outcome::Nothing;
}

} // namespace orvex::actions
