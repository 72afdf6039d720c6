#include "actions/custom_action.h"

#include "config/text_util.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace orvex::actions {

namespace {

// 128-bit arithmetic: every 64-bit value, and the sum of one with a delta
// times a repetition count, fits without overflow.
__extension__ typedef __int128 Wide;

constexpr std::array<const char*, 2> kControlItems = {"Control", "Parameter"};
constexpr std::array<const char*, 3> kSetItems = {"Offset", "Size", "Value"};
constexpr std::array<const char*, 3> kToggleItems = {"Offset", "Size", "Mask"};
constexpr std::array<const char*, 6> kStepItems = {"Offset", "Size", "Delta", "Min", "Max", "Wrap"};

constexpr std::int32_t kLastOffset = 0xFFFF;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Decimal with an optional sign, or 0x hexadecimal; nothing for any other
// text or a magnitude beyond 64 bits.
std::optional<Wide> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        Wide value = 0;
        if (text.size() - 2 > 16) return std::nullopt;
        for (char c : text.substr(2)) {
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return std::nullopt;
            value = value * 16 + digit;
        }
        return value;
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 20) return std::nullopt;
    Wide value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > static_cast<Wide>(UINT64_MAX)) return std::nullopt;
    return negative ? -value : value;
}

Wide SignedMin(std::int32_t size) { return -(static_cast<Wide>(1) << (8 * size - 1)); }
Wide SignedMax(std::int32_t size) { return (static_cast<Wide>(1) << (8 * size - 1)) - 1; }
Wide UnsignedMax(std::int32_t size) { return (static_cast<Wide>(1) << (8 * size)) - 1; }

std::string WideText(Wide value) {
    if (value == 0) return "0";
    const bool negative = value < 0;
    std::string digits;
    for (Wide v = negative ? -value : value; v > 0; v /= 10) digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    return negative ? "-" + digits : digits;
}

std::string HexText(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof(text), "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string RangeText(Wide low, Wide high) { return "a whole number from " + WideText(low) + " to " + WideText(high); }

// Reads the items one by one, noting every one that does not fit.
class ItemReader {
public:
    explicit ItemReader(std::span<const std::string_view> items) : items_(items) {}

    // The next item as a number within low..high.
    std::optional<Wide> Number(Wide low, Wide high, const std::string& reason) {
        const int index = next_++;
        if (static_cast<std::size_t>(index) >= items_.size()) return Fail(index, "missing: " + reason);
        const auto value = ParseNumber(items_[static_cast<std::size_t>(index)]);
        if (!value || *value < low || *value > high) return Fail(index, reason);
        return value;
    }
    // Passes over an item that cannot be judged.
    void Skip() { ++next_; }
    std::nullopt_t Fail(int index, std::string reason) {
        for (const CustomProblem& p : check_.Problems)
            if (p.Item == index) return std::nullopt;
        check_.Problems.push_back({index, std::move(reason)});
        if (check_.Item < 0 || index < check_.Item) {
            check_.Item = index;
            check_.Reason = check_.Problems.back().Reason;
        }
        return std::nullopt;
    }
    bool failed() const { return !check_.Ok(); }
    CustomCheck Check() const {
        CustomCheck sorted = check_;
        std::sort(sorted.Problems.begin(), sorted.Problems.end(),
                  [](const CustomProblem& a, const CustomProblem& b) { return a.Item < b.Item; });
        return sorted;
    }

private:
    std::span<const std::string_view> items_;
    int next_ = 0;
    CustomCheck check_;
};

// The offset and size of kinds 5-7, both checked together; the size in
// bytes, or nothing when it does not fit.
std::optional<std::int32_t> ReadOffsetAndSize(ItemReader& reader, EventAction& out) {
    const auto offset = reader.Number(0, kLastOffset, "an offset from 0x0000 to 0xFFFF");
    auto size = reader.Number(1, 8, "1, 2, 4 or 8 bytes");
    if (size && *size != 1 && *size != 2 && *size != 4 && *size != 8) size = reader.Fail(1, "1, 2, 4 or 8 bytes");
    if (offset && size && *offset + *size - 1 > kLastOffset)
        reader.Fail(0, "with " + WideText(*size) + " bytes at most " +
                           HexText(static_cast<std::uint64_t>(kLastOffset + 1 - *size), 4));
    if (offset) out.Offset = static_cast<std::int32_t>(*offset);
    if (!size) return std::nullopt;
    out.Size = static_cast<std::int32_t>(*size);
    return out.Size;
}

} // namespace

std::string_view CustomKindWord(std::int32_t kind) {
    switch (kind) {
    case kControl: return "Control";
    case kSet: return "Set";
    case kToggle: return "Toggle";
    case kStep: return "Step";
    default: return {};
    }
}

std::span<const char* const> CustomItemNames(std::int32_t kind) {
    switch (kind) {
    case kControl: return kControlItems;
    case kSet: return kSetItems;
    case kToggle: return kToggleItems;
    case kStep: return kStepItems;
    default: return {};
    }
}

std::string CustomItemLimits(std::int32_t kind, int item, std::int32_t size) {
    if (kind == kControl) return item == 0 ? "1 to 2147483647" : item == 1 ? "signed 32-bit" : "";
    if (kind < kSet || kind > kStep) return {};
    if (item == 0) return "0x0000-0xFFFF";
    if (item == 1) return "bytes";
    if (size != 1 && size != 2 && size != 4 && size != 8) return {};
    const std::string bits = std::to_string(8 * size) + "-bit";
    if (kind == kSet && item == 2)
        return size <= 2 ? WideText(SignedMin(size)) + " to " + WideText(UnsignedMax(size)) : bits;
    if (kind == kToggle && item == 2)
        return size <= 4 ? "0x0 to " + HexText(static_cast<std::uint64_t>(UnsignedMax(size)), 1) : bits;
    if (kind == kStep && item >= 2 && item <= 4)
        return size <= 2 ? WideText(SignedMin(size)) + " to " + WideText(SignedMax(size)) : "signed " + bits;
    if (kind == kStep && item == 5) return "0 or 1";
    return {};
}

CustomCheck ReadCustomItems(std::int32_t kind, std::span<const std::string_view> items, EventAction& record) {
    ItemReader reader(items);
    EventAction out = record;
    out.Kind = kind;
    switch (kind) {
    case kControl: {
        const auto control = reader.Number(1, INT32_MAX, "a control from 1 to 2147483647");
        const auto parameter = reader.Number(INT32_MIN, UINT32_MAX, RangeText(INT32_MIN, INT32_MAX));
        if (control) out.Control = static_cast<std::int32_t>(*control);
        if (parameter) out.Parameter = static_cast<std::int32_t>(static_cast<std::uint32_t>(*parameter & 0xFFFFFFFF));
        break;
    }
    case kSet:
    case kToggle: {
        const auto size = ReadOffsetAndSize(reader, out);
        if (!size) break;
        const Wide low = SignedMin(*size), high = UnsignedMax(*size);
        const std::string reason = kind == kSet ? RangeText(low, high)
                                                : "a mask from 0x0 to " + HexText(static_cast<std::uint64_t>(high), 1);
        // The value's bytes (a negative value as its bytes: -1 in one byte
        // is 255), so that the same bytes always read and write the same.
        if (const auto value = reader.Number(low, high, reason))
            out.Value = static_cast<std::int64_t>(static_cast<std::uint64_t>(*value & UnsignedMax(*size)));
        break;
    }
    case kStep: {
        const auto size = ReadOffsetAndSize(reader, out);
        const Wide low = SignedMin(size.value_or(8)), high = SignedMax(size.value_or(8));
        const std::string reason = RangeText(low, high);
        std::optional<Wide> delta, minimum, maximum;
        if (size) {
            delta = reader.Number(low, high, reason);
            minimum = reader.Number(low, high, reason);
            maximum = reader.Number(low, high, reason);
        } else {
            reader.Skip();
            reader.Skip();
            reader.Skip();
        }
        const auto wrap = reader.Number(0, 1, "0 (stop at the limits) or 1 (wrap around)");
        if (minimum && maximum && *minimum > *maximum) reader.Fail(4, "not below the minimum");
        if (delta) out.Value = static_cast<std::int64_t>(*delta);
        if (minimum) out.Minimum = static_cast<std::int64_t>(*minimum);
        if (maximum) out.Maximum = static_cast<std::int64_t>(*maximum);
        if (wrap) out.Wrap = *wrap == 1;
        break;
    }
    default:
        reader.Fail(0, "not a custom action");
        break;
    }
    if (reader.failed()) return reader.Check();
    record = out;
    return {};
}

std::vector<std::string> CustomItemTexts(const EventAction& r) {
    using config::DecimalText;
    switch (r.Kind) {
    case kControl:
        return {DecimalText(r.Control), DecimalText(r.Parameter)};
    case kSet:
        return {HexText(static_cast<std::uint16_t>(r.Offset), 4), DecimalText(r.Size), DecimalText(r.Value)};
    case kToggle: {
        std::uint64_t mask = static_cast<std::uint64_t>(r.Value);
        if (r.Size >= 1 && r.Size < 8) mask &= (std::uint64_t{1} << (8 * r.Size)) - 1;
        return {HexText(static_cast<std::uint16_t>(r.Offset), 4), DecimalText(r.Size), HexText(mask, 1)};
    }
    case kStep:
        return {HexText(static_cast<std::uint16_t>(r.Offset), 4),
                DecimalText(r.Size),
                DecimalText(r.Value),
                DecimalText(r.Minimum),
                DecimalText(r.Maximum),
                r.Wrap ? "1" : "0"};
    default:
        return {};
    }
}

std::string CustomActionText(const EventAction& record) {
    std::string text(CustomKindWord(record.Kind));
    for (const std::string& item : CustomItemTexts(record)) text += "," + item;
    return text;
}

std::string CustomSummary(const EventAction& r) {
    const std::string offset = HexText(static_cast<std::uint16_t>(r.Offset), 4);
    const std::string size = " (" + config::DecimalText(r.Size) + (r.Size == 1 ? " byte)" : " bytes)");
    const std::vector<std::string> items = CustomItemTexts(r);
    switch (r.Kind) {
    case kControl:
        return "FSUIPC control " + items[0] + " with parameter " + items[1];
    case kSet:
        return "Set " + offset + size + " to " + items[2];
    case kToggle:
        return "Toggle bits " + items[2] + " of " + offset + size;
    case kStep:
        return "Step " + offset + size + " by " + items[2] + " within " + items[3] + " to " + items[4] +
               (r.Wrap ? ", wrapping" : ", stopping at the limits");
    default:
        return {};
    }
}

EventAction CustomDefaults(std::int32_t kind) {
    EventAction r;
    r.Kind = kind;
    r.Control = 1;
    r.Offset = 0x66C0;
    r.Size = 2;
    r.Value = 1;
    r.Minimum = 0;
    r.Maximum = 100;
    return r;
}

std::int64_t SignExtend(std::uint64_t raw, std::int32_t size) {
    if (size <= 0 || size >= 8) return static_cast<std::int64_t>(raw);
    const int bits = 8 * size;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    raw &= mask;
    const std::uint64_t sign = std::uint64_t{1} << (bits - 1);
    return static_cast<std::int64_t>((raw ^ sign) - sign);
}

std::int64_t StepValue(std::int64_t current, std::int64_t delta, int times, std::int64_t minimum,
                       std::int64_t maximum, bool wrap) {
    if (minimum > maximum) return current;
    const Wide range = static_cast<Wide>(maximum) - minimum + 1;
    Wide value = static_cast<Wide>(current) + static_cast<Wide>(delta) * times;
    if (wrap) {
        Wide offset = (value - minimum) % range;
        if (offset < 0) offset += range;
        value = minimum + offset;
    } else if (value < minimum) {
        value = minimum;
    } else if (value > maximum) {
        value = maximum;
    }
    return static_cast<std::int64_t>(value);
}

bool CarryOutCustom(const EventAction& action, IActionTarget& target, int repetitions, bool immediate) {
    const int times = repetitions < 1 ? 1 : repetitions;
    switch (action.Kind) {
    case kControl:
        for (int i = 0; i < times; ++i) target.SendFsControl(action.Control, action.Parameter, immediate);
        return true;
    case kSet:
        target.WriteOffset(action.Offset, action.Size, static_cast<std::uint64_t>(action.Value), immediate);
        return true;
    case kToggle:
        for (int i = 0; i < times; ++i) {
            std::uint64_t value = 0;
            if (!target.ReadOffset(action.Offset, action.Size, value)) return false;
            target.WriteOffset(action.Offset, action.Size, value ^ static_cast<std::uint64_t>(action.Value),
                               immediate);
        }
        return true;
    case kStep: {
        std::uint64_t raw = 0;
        if (!target.ReadOffset(action.Offset, action.Size, raw)) return false;
        const std::int64_t next = StepValue(SignExtend(raw, action.Size), action.Value, times,
                                            action.Minimum, action.Maximum, action.Wrap);
        target.WriteOffset(action.Offset, action.Size, static_cast<std::uint64_t>(next), immediate);
        return true;
    }
    default:
        return false;
    }
}

} // namespace orvex::actions
