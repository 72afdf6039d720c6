#include "panels/radio/radio_display.h"

#include <charconv>
#include <system_error>

namespace orvex::panels::radio {

DisplayDigits EncodeDisplayText(std::string_view text) {
    DisplayDigits digits;
    digits.fill(kDigitBlank);
    // Walk from the last character to the first, writing from the rightmost
    // digit leftwards; a point waits for the character before it.
    int position = static_cast<int>(kDigitsPerDisplay) - 1;
    bool pointPending = false;
    for (std::size_t i = text.size(); i-- > 0 && position >= 0;) {
        const char c = text[i];
        if (c == '.' || c == ',') {
            pointPending = true;
            continue;
        }
        std::uint8_t code = kDigitBlank;
        if (c >= '0' && c <= '9') {
            code = static_cast<std::uint8_t>(c - '0');
            if (pointPending) code = static_cast<std::uint8_t>(code + kDigitPoint);
        } else if (pointPending) {
            code = kDigitPointOnly;
        }
        pointPending = false;
        digits[static_cast<std::size_t>(position)] = code;
        --position;
    }
    return digits;
}

std::string NumberToDisplayText(double value) {
    // 15 significant digits: what a double holds exactly in decimal, so
    // 0.1 + 0.2 reads "0.3" and not "0.30000000000000004".
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (result.ec != std::errc{}) return {};
    return std::string(buffer, result.ptr);
}

std::string LabelText(std::string_view text) {
    std::string label(text);
    for (char& c : label)
        if (c == ',') c = '.';
    return label;
}

RadioDisplayReport::RadioDisplayReport() {
    // Report ID 0, every digit blank, the two trailing bytes 0; the copy
    // last sent is all 0, so the first write always goes out.
    for (std::size_t i = 1; i <= 20; ++i) buffer_[i] = kDigitBlank;
}

bool RadioDisplayReport::SetDisplay(Display d, const std::string& text) {
    const DisplayDigits digits = EncodeDisplayText(text);
    const std::size_t offset = DisplayOffset(d);
    for (std::size_t i = 0; i < kDigitsPerDisplay; ++i) buffer_[offset + i] = digits[i];

    std::string& label = labels_[static_cast<std::size_t>(d)];
    bool same = label.size() == text.size();
    for (std::size_t i = 0; same && i < text.size(); ++i)
        same = label[i] == (text[i] == ',' ? '.' : text[i]);
    if (same) return false;
    label.assign(text);  // reuses the label's storage when it is large enough
    for (char& c : label)
        if (c == ',') c = '.';
    return true;
}

RadioDisplayReport::WriteResult RadioDisplayReport::WriteDisplay(const std::optional<std::string>& activeUpper,
                                                                 const std::optional<std::string>& standbyUpper,
                                                                 const std::optional<std::string>& activeLower,
                                                                 const std::optional<std::string>& standbyLower) {
    WriteResult result;
    const std::optional<std::string>* args[kDisplayCount] = {&activeUpper, &standbyUpper, &activeLower,
                                                             &standbyLower};
    for (std::size_t i = 0; i < kDisplayCount; ++i) {
        if (!args[i]->has_value()) continue;
        if (SetDisplay(static_cast<Display>(i), **args[i]))
            result.labelsChanged = static_cast<std::uint8_t>(result.labelsChanged | (1u << i));
    }
    if (Changed() || sendPending_) {
        result.send = true;
        sendPending_ = false;
        lastSent_ = buffer_;
    }
    return result;
}

void RadioDisplayReport::TurnOffDisplay() {
    for (auto& label : labels_) label.clear();
    for (std::size_t i = 1; i < kDisplayReportSize; ++i) buffer_[i] = kDigitBlank;
    sendPending_ = true;
}

} // namespace orvex::panels::radio
