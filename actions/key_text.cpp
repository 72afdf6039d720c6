#include "actions/key_text.h"

#include <array>

namespace orvex::actions {

std::string_view QualifierPrefix(std::uint8_t qualifiers) {
    static constexpr std::array<std::string_view, 8> kPrefixes = {
        "", "SHIFT-", "CTRL-", "CTRL-SHIFT-", "TAB-", "SHIFT-TAB-", "CTRL-TAB-", "CTRL-SHIFT-TAB-",
    };
    return qualifiers < kPrefixes.size() ? kPrefixes[qualifiers] : std::string_view{};
}

std::string KeyName(std::uint8_t keyCode) {
    if (keyCode >= 96 && keyCode <= 105) return "NUMPAD " + std::to_string(keyCode - 96);
    if (keyCode >= 112 && keyCode <= 127) return "F" + std::to_string(keyCode - 111);
    switch (keyCode) {
    case 8: return "BACKSPACE";
    case 13: return "ENTER";
    case 19: return "PAUSE";
    case 27: return "ESC";
    case 32: return "SPACE";
    case 33: return "PAGE UP";
    case 34: return "PAGE DOWN";
    case 35: return "END";
    case 36: return "HOME";
    case 37: return "LEFT";
    case 38: return "UP";
    case 39: return "RIGHT";
    case 40: return "DOWN";
    case 44: return "PRINT SCR";
    case 45: return "INS";
    case 46: return "DEL";
    case 106: return "NUMPAD *";
    case 107: return "NUMPAD +";
    case 109: return "NUMPAD -";
    case 110: return "NUMPAD .";
    case 111: return "NUMPAD /";
    case 144: return "NUM LOCK";
    case 145: return "SCROLL LOCK";
    default: return {};
    }
}

std::uint8_t UpperCaseCharacter(std::uint8_t code) {
    if (code >= 'a' && code <= 'z') return static_cast<std::uint8_t>(code - 32);
    // Windows-1252: à-þ map 32 down, except the division sign.
    if (code >= 0xE0 && code <= 0xFE && code != 0xF7) return static_cast<std::uint8_t>(code - 32);
    switch (code) {
    case 0x9A: return 0x8A; // š
    case 0x9C: return 0x8C; // œ
    case 0x9E: return 0x8E; // ž
    case 0xFF: return 0x9F; // ÿ
    default: return code;
    }
}

std::string KeyStrokeText(std::uint8_t keyCode, std::uint8_t qualifiers, std::int16_t keyAscii) {
    std::string text(QualifierPrefix(qualifiers));
    std::string name = KeyName(keyCode);
    if (!name.empty()) return text + name;
    if (keyAscii >= 1 && keyAscii <= 255) {
        text += static_cast<char>(UpperCaseCharacter(static_cast<std::uint8_t>(keyAscii)));
        return text;
    }
    return text + "???";
}

void KeyCapture::Reset() { *this = KeyCapture{}; }

KeyCapture::Reaction KeyCapture::KeyDown(std::uint8_t keyCode, bool repeat) {
    if (done_) return Reaction::None;
    held_.reset(keyCode); // a fresh press: its release counts
    switch (keyCode) {
    case kKeyTab:
        if (tab_) return Reaction::None;
        tab_ = true;
        return Reaction::Indicators;
    case kKeyShift:
        if (shift_) return Reaction::None;
        shift_ = true;
        return Reaction::Indicators;
    case kKeyCtrl:
        if (!ctrlHeld_) {
            ctrlHeld_ = true;
            ctrlLitByThisPress_ = !ctrl_;
        }
        if (ctrl_) return Reaction::None;
        ctrl_ = true;
        return Reaction::Indicators;
    case kKeyAlt: {
        if (repeat) return Reaction::None;
        // AltGr arrives as Ctrl then Alt, both held: that Ctrl was no
        // qualifier the user chose, so its indicator goes out again.
        const bool putOut = ctrlHeld_ && ctrlLitByThisPress_;
        if (putOut) {
            ctrl_ = false;
            ctrlLitByThisPress_ = false;
        }
        return Reaction::AltNotSupported;
    }
    default:
        // A character typed earlier (Tab types one) does not belong to this key.
        if (!repeat) values_.KeyAscii = 0;
        return Reaction::None;
    }
}

void KeyCapture::Character(std::int32_t code) {
    if (done_) return;
    values_.KeyAscii = static_cast<std::int16_t>(code & 0xFFFF);
}

KeyCapture::Reaction KeyCapture::KeyUp(std::uint8_t keyCode) {
    if (done_) return Reaction::None;
    switch (keyCode) {
    case kKeyCtrl:
        ctrlHeld_ = false;
        ctrlLitByThisPress_ = false;
        return Reaction::None;
    case kKeyTab:
    case kKeyShift:
    case kKeyAlt:
        return Reaction::None;
    default:
        break;
    }
    if (held_.test(keyCode)) {
        held_.reset(keyCode);
        return Reaction::None;
    }
    values_.Qualifiers = static_cast<std::uint8_t>((shift_ ? 1 : 0) + (ctrl_ ? 2 : 0) + (tab_ ? 4 : 0));
    values_.KeyCode = keyCode;
    done_ = true;
    return Reaction::Captured;
}

void KeyCapture::AlreadyHeld(std::uint8_t keyCode) { held_.set(keyCode); }

} // namespace orvex::actions
