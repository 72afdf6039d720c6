#include "config/general_setup_model.h"

#include <bit>
#include <cstdlib>

namespace orvex::config {

namespace {

cSetupHolder::Item PriorityItem(SetupProcess process) {
    return process == SetupProcess::Orvex ? cSetupHolder::kOrvexPriority : cSetupHolder::kRelayboxPriority;
}

cSetupHolder::Item AffinityItem(SetupProcess process) {
    return process == SetupProcess::Orvex ? cSetupHolder::kOrvexAffinity : cSetupHolder::kRelayboxAffinity;
}

// The value rounded to `decimals` (1 or 2) decimals of a second, half away
// from zero, with the user's separator.
std::string Seconds(std::int32_t milliseconds, int decimals, NumberLocale locale) {
    const std::int64_t unit = decimals == 1 ? 100 : 10; // milliseconds per last digit
    std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(milliseconds));
    magnitude = (magnitude + unit / 2) / unit; // in units of the last digit
    const std::int64_t scale = decimals == 1 ? 10 : 100;
    std::string fraction = std::to_string(magnitude % scale);
    while (static_cast<int>(fraction.size()) < decimals) fraction.insert(fraction.begin(), '0');
    std::string text = (milliseconds < 0 && magnitude != 0) ? "-" : "";
    text += std::to_string(magnitude / scale);
    text += locale.DecimalSeparator;
    text += fraction;
    text += " s";
    return text;
}

} // namespace

const char* ProcessFileName(SetupProcess process) {
    return process == SetupProcess::Orvex ? "Orvex.exe" : "Relaybox.exe";
}

int PriorityRowOf(std::int32_t priorityClass) {
    for (std::size_t i = 0; i < kPriorityRows.size(); ++i)
        if (kPriorityRows[i].PriorityClass == priorityClass) return static_cast<int>(i);
    return -1;
}

std::optional<std::int32_t> PriorityClassOfRow(int row) {
    if (row < 0 || row >= static_cast<int>(kPriorityRows.size())) return std::nullopt;
    return kPriorityRows[static_cast<std::size_t>(row)].PriorityClass;
}

std::string AffinityBoxText(std::int32_t affinity) {
    return affinity == kAutomaticAffinity ? std::string() : DecimalText(affinity);
}

std::optional<std::int32_t> AffinityFromText(std::string_view text, NumberLocale locale) {
    return ToLong(text, locale);
}

bool IsUsableAffinityMask(std::int32_t mask, std::uint64_t systemMask) {
    if (mask == 0 || mask == kAutomaticAffinity) return false;
    const std::uint64_t bits = static_cast<std::uint32_t>(mask);
    return systemMask == 0 || (bits & ~systemMask) == 0;
}

std::string AffinityMaskRefusal(SetupProcess process, std::uint64_t systemMask) {
    std::string text = "The Process Affinity Mask of ";
    text += ProcessFileName(process);
    text += " is not valid.\r\n\r\nType a number whose bits select the processors the program may use "
            "(1 = the first processor, 2 = the second, 3 = both";
    if (systemMask != 0) {
        const int count = std::popcount(systemMask);
        text += "; this computer has " + std::to_string(count) + (count == 1 ? " processor" : " processors");
    }
    text += "), or choose \"Automatic\".";
    return text;
}

std::string SecondsText(std::int32_t milliseconds, NumberLocale locale) { return Seconds(milliseconds, 2, locale); }

std::string SecondsTextShort(std::int32_t milliseconds, NumberLocale locale) {
    return Seconds(milliseconds, 1, locale);
}

GeneralSetupEdit::GeneralSetupEdit(cSetupHolder& setup, NumberLocale locale, std::uint64_t systemMask)
    : setup_(setup), locale_(locale), systemMask_(systemMask) {
    Begin();
}

void GeneralSetupEdit::Begin() {
    for (int i = 0; i < cSetupHolder::kItemCount; ++i) opened_[i] = setup_.Get(static_cast<cSetupHolder::Item>(i));
}

int GeneralSetupEdit::PriorityRow(SetupProcess process) const {
    return PriorityRowOf(setup_.Get(PriorityItem(process)));
}

void GeneralSetupEdit::PriorityRowChosen(SetupProcess process, int row) {
    if (auto priorityClass = PriorityClassOfRow(row)) setup_.Set(PriorityItem(process), *priorityClass);
}

std::int32_t GeneralSetupEdit::Affinity(SetupProcess process) const { return setup_.Get(AffinityItem(process)); }

void GeneralSetupEdit::AutomaticChosen(SetupProcess process) {
    setup_.Set(AffinityItem(process), kAutomaticAffinity);
}

void GeneralSetupEdit::AffinityTextChanged(SetupProcess process, std::string_view text) {
    if (auto mask = AffinityFromText(text, locale_)) setup_.Set(AffinityItem(process), *mask);
}

bool GeneralSetupEdit::AffinityAcceptable(bool manual, std::string_view text) const {
    if (!manual) return true;
    const auto mask = AffinityFromText(text, locale_);
    return mask && IsUsableAffinityMask(*mask, systemMask_);
}

void GeneralSetupEdit::StorePosition(std::int32_t top, std::int32_t left) {
    setup_.GeneralSetupFormTop(top);
    setup_.GeneralSetupFormLeft(left);
}

bool GeneralSetupEdit::Confirm(std::int32_t top, std::int32_t left) {
    StorePosition(top, left);
    return setup_.SaveSetup();
}

void GeneralSetupEdit::Discard(std::int32_t top, std::int32_t left) {
    // The values the dialog opened with, rather than a fresh read of the
    // file: the file need not hold them (after converting an old-layout
    // configuration there is no Orvex.ini until the next save, and other
    // windows keep their positions in memory until then).
    for (int i = 0; i < cSetupHolder::kItemCount; ++i) setup_.Set(static_cast<cSetupHolder::Item>(i), opened_[i]);
    StorePosition(top, left);
}

} // namespace orvex::config
