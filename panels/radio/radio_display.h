// The Radio Panel's output: the four five-digit displays, encoded into the
// panel's 23-byte feature report, and the bookkeeping that sends the report
// only when it changed. No platform code: the Windows control sends what
// this object says to send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::panels::radio {

// Report ID 0, then five digit codes per display, then two bytes without digits.
inline constexpr std::size_t kDisplayReportSize = 23;
using DisplayReport = std::array<std::uint8_t, kDisplayReportSize>;

inline constexpr std::size_t kDigitsPerDisplay = 5;
using DisplayDigits = std::array<std::uint8_t, kDigitsPerDisplay>;

// Digit codes: 0x00-0x09 a digit, + kDigitPoint with its decimal point lit.
inline constexpr std::uint8_t kDigitPoint = 0xD0;
inline constexpr std::uint8_t kDigitBlank = 0xFF;
inline constexpr std::uint8_t kDigitPointOnly = 0xDF;

// The four displays in the order of the report (and of WriteDisplay's arguments).
enum class Display : std::uint8_t { ActiveUpper = 0, StandbyUpper = 1, ActiveLower = 2, StandbyLower = 3 };
inline constexpr std::size_t kDisplayCount = 4;
// First byte of a display in the report.
constexpr std::size_t DisplayOffset(Display d) { return 1 + kDigitsPerDisplay * static_cast<std::size_t>(d); }

// The digit codes of a text, filled from the right: a digit shows itself, a
// '.' or ',' lights the point of the character before it, anything else is
// blank (or only a point). What does not fit on the left is dropped.
DisplayDigits EncodeDisplayText(std::string_view text);

// The decimal text of a number for a display: at most 15 significant
// digits, '.' as the separator whatever the locale, no blanks ("118.02",
// "0.5", "-3", "1e+20").
std::string NumberToDisplayText(double value);

// The text a display's on-screen label shows: ',' becomes '.'.
std::string LabelText(std::string_view text);

// The report as it stands, the copy last sent and the send-pending flag.
class RadioDisplayReport {
public:
    struct WriteResult {
        bool send = false;           // the report must go to the panel now
        std::uint8_t labelsChanged = 0;  // bit (1 << display) for each label whose text changed
    };

    RadioDisplayReport();

    // Encodes each given display into the report and its label; a missing
    // one keeps its bytes and label. The report is due when a byte differs
    // from the copy last sent or a send is pending; it is then taken as sent
    // (the pending flag clears and the copy is updated) whether or not the
    // caller's write succeeds.
    WriteResult WriteDisplay(const std::optional<std::string>& activeUpper,
                             const std::optional<std::string>& standbyUpper,
                             const std::optional<std::string>& activeLower,
                             const std::optional<std::string>& standbyLower);

    // Blanks every digit (bytes 1-22) and label; the caller writes the report
    // at once. The copy last sent is kept, so the next WriteDisplay sends
    // whatever it holds (the pending flag says so).
    void TurnOffDisplay();

    // A byte of the report differs from the copy last sent.
    bool Changed() const { return buffer_ != lastSent_; }

    const DisplayReport& Buffer() const { return buffer_; }
    const DisplayReport& LastSent() const { return lastSent_; }
    bool SendPending() const { return sendPending_; }
    const std::string& Label(Display d) const { return labels_[static_cast<std::size_t>(d)]; }

private:
    // True when the label's text changed.
    bool SetDisplay(Display d, const std::string& text);

    DisplayReport buffer_{};
    DisplayReport lastSent_{};
    bool sendPending_ = false;
    std::array<std::string, kDisplayCount> labels_;
};

} // namespace orvex::panels::radio
