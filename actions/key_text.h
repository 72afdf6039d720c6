// The keystroke side of the event selector that needs no window: the text
// shown for a keystroke ("CTRL-SHIFT-A", "F1", "???") and the rules by which
// the key reader turns key presses, typed characters and key releases into
// a key code, qualifier bits and a character code.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvex::actions {

// Virtual-key codes the key reader treats specially.
inline constexpr std::uint8_t kKeyTab = 9;
inline constexpr std::uint8_t kKeyShift = 16;
inline constexpr std::uint8_t kKeyCtrl = 17;
inline constexpr std::uint8_t kKeyAlt = 18;

// "SHIFT-", "CTRL-", "CTRL-SHIFT-", "TAB-", "SHIFT-TAB-", "CTRL-TAB-",
// "CTRL-SHIFT-TAB-" for the qualifier values 1-7; empty for 0 and for any
// value above 7.
std::string_view QualifierPrefix(std::uint8_t qualifiers);

// The name of a key ("ENTER", "NUMPAD 5", "F12"...); empty when the key has
// none, in which case the key text uses its character.
std::string KeyName(std::uint8_t keyCode);

// A character code in upper case (Windows-1252: a-z, the accented letters
// and the few letters above 127 that have a capital).
std::uint8_t UpperCaseCharacter(std::uint8_t code);

// The qualifier prefix and the key's name; a key without a name shows its
// character in upper case, and "???" when it has no character (0) or a code
// that is no single character (outside 1-255).
std::string KeyStrokeText(std::uint8_t keyCode, std::uint8_t qualifiers, std::int16_t keyAscii);

// What the key reader captured: it starts at 0 each time the reader opens
// and stays until the next opening.
struct CapturedKeys {
    std::uint8_t KeyCode = 0;
    std::uint8_t Qualifiers = 0;
    std::int16_t KeyAscii = 0;
    friend bool operator==(const CapturedKeys&, const CapturedKeys&) = default;
};

// The key reader's rules. Qualifiers are pressed and released one after the
// other before the main key; each lights its indicator, which stays lit. The
// release of the main key ends the capture.
class KeyCapture {
public:
    enum class Reaction {
        None,             // nothing visible changed
        Indicators,       // an indicator was lit or put out
        AltNotSupported,  // tell the user that Alt and AltGr cannot be captured
        Captured,         // the main key was released: the values are final
    };

    // Opening: values and indicators back to nothing.
    void Reset();

    // A key went down; `repeat` is the keyboard's auto-repeat of a held key.
    Reaction KeyDown(std::uint8_t keyCode, bool repeat = false);
    // A character was typed (by the key that went down last).
    void Character(std::int32_t code);
    // A key went up. Any key but the qualifiers and Alt ends the capture.
    Reaction KeyUp(std::uint8_t keyCode);

    // A key that is already held (when the reader opens, or after the Alt
    // message, which took the keys pressed meanwhile): its release is not
    // the main key, only a fresh press of it is.
    void AlreadyHeld(std::uint8_t keyCode);

    bool ShiftShown() const { return shift_; }
    bool CtrlShown() const { return ctrl_; }
    bool TabShown() const { return tab_; }
    bool Done() const { return done_; }
    const CapturedKeys& Values() const { return values_; }

private:
    CapturedKeys values_;
    bool shift_ = false, ctrl_ = false, tab_ = false;
    bool done_ = false;
    bool ctrlHeld_ = false;         // Ctrl is down now
    bool ctrlLitByThisPress_ = false; // ...and its indicator was lit by this press
    std::bitset<256> held_;         // releases that do not count
};

} // namespace orvex::actions
