#include "panels/multi/multi_display.h"

namespace orvex::panels::multi {

RowDigits EncodeRowText(std::string_view text) {
    RowDigits digits;
    digits.fill(kDigitBlank);
    if (text.size() > kDigitsPerRow) text.remove_prefix(text.size() - kDigitsPerRow);
    std::size_t position = kDigitsPerRow - text.size();
    for (const char c : text) {
        std::uint8_t code = kDigitBlank;
        if (c >= '0' && c <= '9') code = static_cast<std::uint8_t>(c - '0');
        else if (c == '-') code = kDigitMinus;
        digits[position++] = code;
    }
    return digits;
}

MultiDisplayReport::MultiDisplayReport() {
    for (std::size_t i = 0; i < kDigitsPerRow; ++i) {
        buffer_[kUpperRowOffset + i] = kDigitBlank;
        buffer_[kLowerRowOffset + i] = kDigitBlank;
    }
}

bool MultiDisplayReport::SetRow(Row row, const std::string& text) {
    const RowDigits digits = EncodeRowText(text);
    const std::size_t offset = row == Row::Upper ? kUpperRowOffset : kLowerRowOffset;
    for (std::size_t i = 0; i < kDigitsPerRow; ++i) buffer_[offset + i] = digits[i];
    std::string& shown = texts_[static_cast<std::size_t>(row)];
    if (shown == text) return false;
    shown.assign(text);  // reuses the text's storage when it is large enough
    return true;
}

MultiDisplayReport::WriteResult MultiDisplayReport::WriteDisplay(const std::optional<std::string>& upper,
                                                                 const std::optional<std::string>& lower,
                                                                 std::optional<std::uint8_t> lamps, bool force) {
    WriteResult result;
    if (upper) result.upperChanged = SetRow(Row::Upper, *upper);
    if (lower) result.lowerChanged = SetRow(Row::Lower, *lower);
    if (lamps) {
        result.lampsChanged = buffer_[kLampByte] != *lamps;
        buffer_[kLampByte] = *lamps;
    }
    if (buffer_ != lastSent_ || force || sendPending_) {
        result.send = true;
        sendPending_ = false;
        lastSent_ = buffer_;
    }
    return result;
}

bool MultiDisplayReport::TurnOffDisplay() {
    for (std::size_t i = 0; i < kDigitsPerRow; ++i) {
        buffer_[kUpperRowOffset + i] = kDigitOff;
        buffer_[kLowerRowOffset + i] = kDigitOff;
    }
    buffer_[kLampByte] = 0;
    for (std::string& text : texts_) text.clear();
    sendPending_ = true;
    if (buffer_ == lastSent_) return false;
    lastSent_ = buffer_;
    return true;
}

} // namespace orvex::panels::multi
