// The key texts and the key reader's rules: any key code, qualifier value
// and character gives a text; any sequence of key presses, typed characters,
// releases, held keys and reopenings ends, if it ends, in a capture whose
// qualifiers are the indicators shown and whose key is no qualifier.
#include "actions/key_text.h"

#include "tests/support/fuzz_input.h"

namespace {

using namespace orvex::actions;
using orvex::fuzzing::FuzzInput;

bool StartsWith(const std::string& text, std::string_view prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

void CheckText(std::uint8_t key, std::uint8_t qualifiers, std::int16_t ascii) {
    const std::string text = KeyStrokeText(key, qualifiers, ascii);
    FUZZ_CHECK(StartsWith(text, QualifierPrefix(qualifiers)));
    FUZZ_CHECK(text.size() > QualifierPrefix(qualifiers).size());
    FUZZ_CHECK(QualifierPrefix(qualifiers).empty() == (qualifiers == 0 || qualifiers > 7));
    const std::string name = KeyName(key);
    if (!name.empty()) FUZZ_CHECK(text.substr(QualifierPrefix(qualifiers).size()) == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    CheckText(in.Byte(), in.Byte(), static_cast<std::int16_t>(in.Word()));
    const std::uint8_t c = in.Byte();
    const std::uint8_t upper = UpperCaseCharacter(c);
    FUZZ_CHECK(UpperCaseCharacter(upper) == upper);

    KeyCapture capture;
    capture.Reset();
    while (!in.Empty()) {
        const std::uint8_t op = in.Byte();
        const std::uint8_t key = op & 0x80 ? in.Byte() : static_cast<std::uint8_t>(kKeyTab + (op >> 4) % 10);
        KeyCapture::Reaction reaction = KeyCapture::Reaction::None;
        switch (op % 6) {
        case 0: case 1: reaction = capture.KeyDown(key, (op & 8) != 0); break;
        case 2: capture.Character(static_cast<std::int32_t>(in.Dword())); break;
        case 3: reaction = capture.KeyUp(key); break;
        case 4: capture.AlreadyHeld(key); break;
        case 5: if ((op & 0x70) == 0x70) capture.Reset(); break;
        }
        if (capture.Done()) {
            const CapturedKeys& v = capture.Values();
            FUZZ_CHECK(v.Qualifiers == (capture.ShiftShown() ? 1 : 0) + (capture.CtrlShown() ? 2 : 0) +
                                           (capture.TabShown() ? 4 : 0));
            FUZZ_CHECK(v.KeyCode != kKeyShift && v.KeyCode != kKeyCtrl && v.KeyCode != kKeyTab && v.KeyCode != kKeyAlt);
            CheckText(v.KeyCode, v.Qualifiers, v.KeyAscii);
            // Once captured, nothing but reopening changes the values.
            const CapturedKeys kept = v;
            FUZZ_CHECK(capture.KeyDown(in.Byte()) == KeyCapture::Reaction::None);
            capture.Character(1);
            FUZZ_CHECK(capture.KeyUp(in.Byte()) == KeyCapture::Reaction::None && capture.Values() == kept);
        } else {
            FUZZ_CHECK(reaction != KeyCapture::Reaction::Captured);
        }
    }
    return 0;
}
