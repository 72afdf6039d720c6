// Any text through the action text reader (the four first kinds and the
// custom FSUIPC ones), with either width of field 3 and any decimal
// separator. A text that does not read leaves the record as
// it was; a text that reads gives a record whose stored text reads back to
// the same action, and whose fields fit their widths.
#include "actions/event_action.h"

#include "tests/support/fuzz_input.h"

namespace {

using namespace orvex::actions;
using orvex::fuzzing::FuzzInput;

bool SameAction(const EventAction& a, const EventAction& b) { return a.Kind == b.Kind && ActionText(a) == ActionText(b); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t how = in.Byte();
    const Field3Type field3 = how & 1 ? Field3Type::Byte : Field3Type::Integer16;
    const orvex::config::NumberLocale locale{how & 2 ? ',' : how & 4 ? static_cast<char>(in.Byte()) : '.'};
    const EventAction before{static_cast<std::int32_t>(in.Byte() % 4), in.Byte(), in.Byte(),
                             static_cast<std::int16_t>(in.Word())};
    const std::string text = in.Rest();

    EventAction record = before;
    const ReadResult result = ReadActionText(text, record, field3, locale);
    if (result != ReadResult::Read) {
        FUZZ_CHECK(record == before);
        return 0;
    }
    FUZZ_CHECK(record.Kind >= kNone && record.Kind <= kStep);
    if (record.Kind == kVKey) {
        if (field3 == Field3Type::Byte) FUZZ_CHECK(record.Field3 >= 0 && record.Field3 <= 255);
        else FUZZ_CHECK(record.Field3 >= -32768 && record.Field3 <= 32767);
    }

    // The stored text reads back to the same action, whatever the locale,
    // and is stored the same way again.
    const std::string stored = ActionText(record);
    FUZZ_CHECK(!stored.empty());
    for (const orvex::config::NumberLocale back : {locale, orvex::config::NumberLocale{}}) {
        EventAction again = before;
        FUZZ_CHECK(ReadActionText(stored, again, field3, back) == ReadResult::Read);
        FUZZ_CHECK(SameAction(again, record));
        FUZZ_CHECK(ActionText(again) == stored);
    }

    // The fields of a button or a keystroke go through the accessors unchanged.
    if (record.Kind == kVButton || record.Kind == kVKey) {
        EventAction copy = before;
        for (int field = 0; field < (record.Kind == kVKey ? 4 : 3); ++field)
            FUZZ_CHECK(SetActionField(copy, field, GetActionField(record, field), field3));
        FUZZ_CHECK(ActionText(copy) == stored);
    }
    return 0;
}
