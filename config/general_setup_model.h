// What the general setup dialog does to the general setup, without the
// dialog: the priority lists, the affinity mask boxes, the click threshold
// slider, and what OK and Cancel do. Every control writes its property at
// once; OK saves, Cancel puts back the values the dialog opened with.
#pragma once

#include "config/number_text.h"
#include "config/setup_holder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::config {

// The two programs whose priority and affinity the dialog sets.
enum class SetupProcess { Orvex, Relaybox };
inline constexpr std::array<SetupProcess, 2> kSetupProcesses{SetupProcess::Orvex, SetupProcess::Relaybox};
const char* ProcessFileName(SetupProcess process); // "Orvex.exe", "Relaybox.exe"

// --- Priority lists: both combo boxes hold these rows, in this order.
struct PriorityRow {
    const char* Text;
    std::int32_t PriorityClass;
};
inline constexpr std::array<PriorityRow, 6> kPriorityRows{{
    {"Idle", 0x40},
    {"Below Normal", 0x4000},
    {"Normal", 0x20},
    {"Above Normal", 0x8000},
    {"High", 0x80},
    {"Real-time", 0x100},
}};
// The row of a priority class; -1 when the class is not in the list.
int PriorityRowOf(std::int32_t priorityClass);
// The priority class of a row; nothing for a row outside the list.
std::optional<std::int32_t> PriorityClassOfRow(int row);

// --- Affinity: -1 lets the program choose; anything else is a mask.
inline constexpr std::int32_t kAutomaticAffinity = -1;
// The text box of a stored affinity: empty for automatic, else decimal.
std::string AffinityBoxText(std::int32_t affinity);
// The text as a 32-bit number (the configuration's number rules), or nothing.
std::optional<std::int32_t> AffinityFromText(std::string_view text, NumberLocale locale);
// A mask the program can run with: at least one processor, not the value
// that means automatic, and (when systemMask is known, non-zero) no
// processor this computer does not have. Bit 31 of the 32-bit value is
// processor 31.
bool IsUsableAffinityMask(std::int32_t mask, std::uint64_t systemMask);
// What the user is told when a manual mask is refused.
std::string AffinityMaskRefusal(SetupProcess process, std::uint64_t systemMask);

// --- Click threshold slider, in milliseconds (shown in seconds).
struct ThresholdSlider {
    static constexpr std::int32_t kMin = 100;
    static constexpr std::int32_t kMax = 2000;
    static constexpr std::int32_t kLine = 10;  // arrow keys
    static constexpr std::int32_t kPage = 100; // page keys, and a tick every page
};
// Milliseconds as seconds with two decimals and the user's separator:
// 500 -> "0.50 s".
std::string SecondsText(std::int32_t milliseconds, NumberLocale locale);
// One decimal, for the slider's end labels: 100 -> "0.1 s".
std::string SecondsTextShort(std::int32_t milliseconds, NumberLocale locale);

// The dialog's session on the general setup: opened with Begin, ended by
// Confirm (OK) or Discard (Cancel, the close box, or the dialog going away).
class GeneralSetupEdit {
public:
    // systemMask: the processors of this computer (0 when unknown).
    GeneralSetupEdit(cSetupHolder& setup, NumberLocale locale, std::uint64_t systemMask);

    // Remembers the values the dialog opens with, for Discard.
    void Begin();

    cSetupHolder& Setup() { return setup_; }
    const cSetupHolder& Setup() const { return setup_; }
    std::uint64_t SystemMask() const { return systemMask_; }

    // Priority list of a program: the selected row (-1: none), a row chosen.
    int PriorityRow(SetupProcess process) const;
    void PriorityRowChosen(SetupProcess process, int row);

    std::int32_t Affinity(SetupProcess process) const;
    // The option selected when the dialog opens: Manual for a stored mask.
    bool AffinityManual(SetupProcess process) const { return Affinity(process) != kAutomaticAffinity; }
    // "Automatic" chosen: the program chooses (the box is emptied).
    void AutomaticChosen(SetupProcess process);
    // The mask box changed: a text that converts becomes the affinity, any
    // other text leaves it as it was.
    void AffinityTextChanged(SetupProcess process, std::string_view text);
    // Whether OK may close with this state of a program's affinity controls:
    // with "Manual" selected the box must hold a usable mask.
    bool AffinityAcceptable(bool manual, std::string_view text) const;

    // OK: stores the window position (twips) and saves the setup (which also
    // applies autostart). False when the autostart could not be applied; the
    // user has been told and the file is written in any case.
    bool Confirm(std::int32_t top, std::int32_t left);
    // Cancel: every property back to its value at Begin, then the window
    // position stored (in memory, like every dialog's position).
    void Discard(std::int32_t top, std::int32_t left);

private:
    void StorePosition(std::int32_t top, std::int32_t left);

    cSetupHolder& setup_;
    NumberLocale locale_;
    std::uint64_t systemMask_;
    std::array<std::int32_t, cSetupHolder::kItemCount> opened_{};
};

} // namespace orvex::config
