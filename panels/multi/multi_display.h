// The Multi Panel's output: the two five-digit rows and the eight button
// lamps, encoded into the panel's 13-byte feature report, and the
// bookkeeping that sends the report only when it changed. No platform
// code: the Windows control sends what this object says to send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::panels::multi {

// Report ID 0, five digit codes per row, the lamp byte, a trailing 0.
inline constexpr std::size_t kMultiReportSize = 13;
using MultiReport = std::array<std::uint8_t, kMultiReportSize>;

inline constexpr std::size_t kDigitsPerRow = 5;
using RowDigits = std::array<std::uint8_t, kDigitsPerRow>;
inline constexpr std::size_t kUpperRowOffset = 1;
inline constexpr std::size_t kLowerRowOffset = 6;
inline constexpr std::size_t kLampByte = 11;

// Digit codes: 0-9 a digit, then these.
inline constexpr std::uint8_t kDigitBlank = 10;  // a space or any other character
inline constexpr std::uint8_t kDigitMinus = 14;
inline constexpr std::uint8_t kDigitOff = 15;    // the display switched off

enum class Row : std::uint8_t { Upper = 0, Lower = 1 };

// The digit codes of a text, right-aligned: "0"-"9" show themselves, "-" a
// minus sign, anything else (a space, a ".") nothing. Of a longer text the
// last five characters are shown.
RowDigits EncodeRowText(std::string_view text);

// The report as it stands, the copy last sent, the send-pending flag and
// the texts the on-screen rows show.
class MultiDisplayReport {
public:
    struct WriteResult {
        bool send = false;          // the report must go to the panel now
        bool upperChanged = false;  // the row's on-screen text changed
        bool lowerChanged = false;
        bool lampsChanged = false;  // the lamp byte changed
    };

    // Report ID 0, blank digits, lamps 0; a send is pending, so the first
    // write always goes out.
    MultiDisplayReport();

    // Encodes each given row and the lamp byte into the report; a missing
    // one keeps its bytes and text. The report is due when a byte differs
    // from the copy last sent, `force` is true, or a send is pending; it is
    // then taken as sent (the pending flag clears and the copy is updated)
    // whether or not the caller's write succeeds.
    WriteResult WriteDisplay(const std::optional<std::string>& upper, const std::optional<std::string>& lower,
                             std::optional<std::uint8_t> lamps, bool force = false);

    // Switches both rows off (code 15) and all lamps; the texts become empty
    // and a send is pending, so the next WriteDisplay sends whatever it
    // holds. True when the report must go to the panel now: when it differs
    // from the copy last sent (then taken as sent). A panel that is dark
    // already gets no further reports, so a refresh that keeps it dark on
    // every poll tick writes nothing.
    bool TurnOffDisplay();

    const MultiReport& Buffer() const { return buffer_; }
    const MultiReport& LastSent() const { return lastSent_; }
    bool SendPending() const { return sendPending_; }
    std::uint8_t Lamps() const { return buffer_[kLampByte]; }
    const std::string& Text(Row row) const { return texts_[static_cast<std::size_t>(row)]; }

private:
    // True when the row's text changed.
    bool SetRow(Row row, const std::string& text);

    MultiReport buffer_{};
    MultiReport lastSent_{};
    bool sendPending_ = true;
    std::array<std::string, 2> texts_;
};

// The start-up animation: eleven writes, each of the first ten followed by a
// wait, then the display is switched off.
struct SplashStep {
    const char* Upper;
    const char* Lower;
    std::uint8_t Lamps;
};
inline constexpr std::array<SplashStep, 11> kSplashSteps = {{
    {"    0", "     ", 0},   {"   0 ", "     ", 1},   {"  0  ", "     ", 3},  {" 0   ", "     ", 7},
    {"0    ", "     ", 15},  {"     ", "0    ", 31},  {"     ", " 0   ", 63}, {"     ", "  0  ", 127},
    {"     ", "   0 ", 255}, {"     ", "    0", 0},   {"     ", "     ", 0},
}};
inline constexpr std::int32_t kSplashWaitMs = 100;      // after each of the first ten steps
inline constexpr double kSplashWaitStepMs = 25.0;       // the wait sleeps this long between checks

} // namespace orvex::panels::multi
