#include "actions/event_action.h"

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
    if (row.Action->Kind == row.DefaultKind) where.Store.DeleteKey(where.Path, where.Section, row.Key);
    else where.Store.WriteString(where.Path, where.Section, row.Key, ActionText(*row.Action));
}

void SaveActions(const ActionSection& where, std::span<const ActionRow> rows) {
    for (const ActionRow& row : rows) WriteAction(where, row);
}

void WriteValue(const ActionSection& where, const std::string& key, bool isDefault, const std::string& text) {
    if (isDefault) where.Store.DeleteKey(where.Path, where.Section, key);
    else where.Store.WriteString(where.Path, where.Section, key, text);
}

std::int32_t GetActionField(const EventAction& record, int field) {
    switch (field) {
    case 0: return record.Kind;
    case 1: return record.Field1;
    case 2: return record.Field2;
    case 3: return record.Field3;
    default: return 0;
    }
}

bool SetActionField(EventAction& record, int field, std::int32_t value, Field3Type field3) {
    const bool fitsByte = value >= 0 && value <= 255;
    switch (field) {
    case 0:
        record.Kind = value;
        return true;
    case 1:
        if (!fitsByte) return false;
        record.Field1 = static_cast<std::uint8_t>(value);
        return true;
    case 2:
        if (!fitsByte) return false;
        record.Field2 = static_cast<std::uint8_t>(value);
        return true;
    case 3:
        if (field3 == Field3Type::Byte ? !fitsByte : (value < -32768 || value > 32767)) return false;
        record.Field3 = value;
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
        return Outcome::Nothing;
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
