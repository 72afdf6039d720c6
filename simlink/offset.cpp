#include "simlink/offset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>
#include <utility>

namespace orvex::simlink {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

double ParseNumber(std::string_view text) {
    std::string_view s = TrimBlanks(text);
    if (s.empty()) return 0.0;  // an empty text counts as zero, like an empty value
    if (s.front() == '+') s.remove_prefix(1);
    double v = 0.0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec == std::errc::result_out_of_range) throw OverflowError("number out of range");
    if (ec != std::errc() || ptr != end) throw TypeMismatchError("not a number: " + std::string(text));
    return v;
}

std::string NumberText(double v, int digits) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    if (ec != std::errc()) return {};
    std::string out(buf, ptr);
    if (out == "-0") out = "0";
    return out;
}

uint8_t LowByte(int64_t v) { return static_cast<uint8_t>(v & 255); }

} // namespace

// ---- OffsetValue ----------------------------------------------------------

OffsetValue OffsetValue::FromNumber(double v) {
    OffsetValue out;
    out.kind_ = Kind::Number;
    out.number_ = v;
    return out;
}

OffsetValue OffsetValue::FromSingle(float v) {
    OffsetValue out = FromNumber(static_cast<double>(v));
    out.single_ = true;
    return out;
}

OffsetValue OffsetValue::FromText(std::string_view text) {
    OffsetValue out;
    out.kind_ = Kind::Text;
    out.text_ = std::string(text);
    return out;
}

double OffsetValue::AsDouble() const {
    switch (kind_) {
    case Kind::Number: return number_;
    case Kind::Text: return ParseNumber(text_);
    case Kind::Empty: break;
    }
    return 0.0;
}

int32_t OffsetValue::AsLong() const {
    return static_cast<int32_t>(RoundToRange(AsDouble(), std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max()));
}

std::string OffsetValue::AsText() const {
    switch (kind_) {
    case Kind::Number: return NumberText(number_, single_ ? 7 : 15);
    case Kind::Text: return text_;
    case Kind::Empty: break;
    }
    return {};
}

// ---- rounding and nibbles -------------------------------------------------

double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const double f = std::floor(v);
    const double diff = v - f;  // exact for every finite double
    if (diff < 0.5) return f;
    if (diff > 0.5) return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

int64_t RoundToRange(double v, int64_t lo, int64_t hi) {
    const double r = RoundHalfEven(v);
    // r is integral, so "r < hi + 1" is "r <= hi"; written this way it also
    // holds for hi = INT64_MAX, whose double is 2^63.
    if (!(r >= static_cast<double>(lo)) || !(r < static_cast<double>(hi) + 1.0) ||
        r >= 9223372036854775808.0)
        throw OverflowError("value out of range");
    const auto out = static_cast<int64_t>(r);
    if (out < lo || out > hi) throw OverflowError("value out of range");
    return out;
}

uint8_t ShiftLeftByte(uint8_t value, unsigned n) {
    if (value == 0) return 0;
    if (n >= 8) throw OverflowError("byte shift overflow");
    const unsigned r = static_cast<unsigned>(value) << n;
    if (r > 255) throw OverflowError("byte shift overflow");
    return static_cast<uint8_t>(r);
}

uint8_t ShiftRightByte(uint8_t value, unsigned n) {
    return n >= 8 ? 0 : static_cast<uint8_t>(value >> n);
}

// ---- cOFFSET --------------------------------------------------------------

int32_t cOFFSET::SlotSize() const {
    switch (dataType_) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 2;
    case 4: return 4;
    case 5: return 4;
    case 6: return 8;
    case 7: return 4;
    case 8: return 8;
    case 9: return kMaxTextLength;
    default: return 0;
    }
}

int32_t cOFFSET::TransferLength() const { return std::clamp(Lenght, 0, SlotSize()); }

void* cOFFSET::DataPtr() { return const_cast<void*>(std::as_const(*this).DataPtr()); }

const void* cOFFSET::DataPtr() const {
    switch (dataType_) {
    case 1: return &byte_;
    case 2: return &int16_;
    case 3: return bytes2_.data();
    case 4: return &int32_;
    case 5: return bytes4_.data();
    case 6: return &int64_;
    case 7: return &single_;
    case 8: return &double_;
    case 9: return text_.data();
    default: return nullptr;
    }
}

void cOFFSET::SetDataType(int32_t type) {
    dataType_ = type;
    switch (type) {
    case 1: Lenght = 1; break;
    case 2: case 3: Lenght = 2; break;
    case 4: case 5: case 7: Lenght = 4; break;
    case 6: case 8: Lenght = 8; break;
    case 9: Lenght = 0; break;
    default: break;  // unknown: Lenght stays
    }
}

OffsetValue cOFFSET::Data() const {
    switch (dataType_) {
    case 1: return OffsetValue::FromNumber(byte_);
    case 2: return OffsetValue::FromNumber(int16_);
    case 3: return OffsetValue::FromNumber(bytes2_[0] + 256 * bytes2_[1]);
    case 4: return OffsetValue::FromNumber(int32_);
    case 5: {
        const uint32_t u = bytes4_[0] | (uint32_t{bytes4_[1]} << 8) | (uint32_t{bytes4_[2]} << 16) |
                           (uint32_t{bytes4_[3]} << 24);
        return OffsetValue::FromNumber(static_cast<int32_t>(u));
    }
    case 6: return OffsetValue::FromNumber(static_cast<double>(int64_));
    case 7: return OffsetValue::FromSingle(single_);
    case 8: return OffsetValue::FromNumber(double_);
    case 9: {
        const auto limit = static_cast<std::size_t>(std::clamp(Lenght, 0, kMaxTextLength));
        const char* begin = text_.data();
        const char* end = std::find(begin, begin + limit, '\0');
        return OffsetValue::FromText(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    }
    default: return {};
    }
}

void cOFFSET::SetData(const OffsetValue& value) {
    if (dataType_ < 1 || dataType_ > 9) return;
    if (dataType_ == 9) {
        SetData(std::string_view(value.AsText()));
        return;
    }
    SetData(value.AsDouble());
}

void cOFFSET::SetData(std::string_view text) {
    if (dataType_ == 9) {
        const std::size_t n = std::min<std::size_t>(text.size(), kMaxTextLength);
        std::memcpy(text_.data(), text.data(), n);
        // Zeros after the text, so a write of Lenght bytes never carries the
        // tail of an older, longer text.
        std::fill(text_.begin() + static_cast<std::ptrdiff_t>(n), text_.end(), '\0');
        return;
    }
    if (dataType_ < 1 || dataType_ > 9) return;
    SetData(ParseNumber(text));
}

void cOFFSET::SetData(double value) {
    switch (dataType_) {
    case 1: byte_ = static_cast<uint8_t>(RoundToRange(value, 0, 255)); break;
    case 2: int16_ = static_cast<int16_t>(RoundToRange(value, -32768, 32767)); break;
    case 3: {
        const int64_t v = RoundToRange(value, 0, 65535);
        bytes2_ = {LowByte(v), LowByte(v / 256)};
        break;
    }
    case 4:
        int32_ = static_cast<int32_t>(RoundToRange(value, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
        break;
    case 5: {
        const int64_t v = RoundToRange(value, 0, std::numeric_limits<int32_t>::max());
        bytes4_ = {LowByte(v), LowByte(v >> 8), LowByte(v >> 16), LowByte(v >> 24)};
        break;
    }
    case 6:
        int64_ = RoundToRange(value, std::numeric_limits<int64_t>::min(),
                              std::numeric_limits<int64_t>::max());
        break;
    case 7:
        if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
            throw OverflowError("value does not fit a single-precision number");
        single_ = static_cast<float>(value);
        break;
    case 8: double_ = value; break;
    case 9: SetData(std::string_view(OffsetValue::FromNumber(value).AsText())); break;
    default: break;
    }
}

void cOFFSET::SetData(int64_t value) {
    switch (dataType_) {
    case 6: int64_ = value; return;
    case 9: SetData(std::string_view(std::to_string(value))); return;
    case 1: case 2: case 3: case 4: case 5: break;
    default:
        // The floating-point types take any 64-bit value (rounded to their
        // precision); an unknown type stores nothing.
        SetData(static_cast<double>(value));
        return;
    }
    // The other integer types are at most 32 bits wide: a value outside the
    // 32-bit range overflows before any precision could matter.
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw OverflowError("value out of range");
    SetData(static_cast<double>(value));
}

uint8_t cOFFSET::ByteN(uint8_t ByteNumber) const {
    switch (ByteNumber) {
    case 0:
    case 1:
        if (dataType_ == 3) return bytes2_[ByteNumber];
        if (dataType_ == 5) return bytes4_[ByteNumber];
        return 0;
    case 2:
    case 3: return bytes4_[ByteNumber];
    default: return 0;
    }
}

namespace {
int32_t BcdPair(uint8_t lo, uint8_t hi) {
    return LowNibble(lo) + 10 * HighNibble(lo) + 100 * LowNibble(hi) + 1000 * HighNibble(hi);
}
} // namespace

int32_t cOFFSET::GetBCD() const { return BcdPair(bytes2_[0], bytes2_[1]); }
int32_t cOFFSET::GetBCDLow() const { return BcdPair(bytes4_[0], bytes4_[1]); }
int32_t cOFFSET::GetBCDHigh() const { return BcdPair(bytes4_[2], bytes4_[3]); }

float cOFFSET::GetFreq() const { return static_cast<float>(GetBCD() / 100.0 + 100.0); }

void cOFFSET::SetBcd(const OffsetValue& Value) {
    const int32_t v = Value.AsLong();
    if (v < 0 || v > 9999) throw OverflowError("BCD value outside 0..9999");
    const int32_t thousands = v / 1000;
    const int32_t r = v - 1000 * thousands;
    const int32_t hundreds = r / 100;
    const int32_t t = r - 100 * hundreds;
    const int32_t tens = t / 10;
    const auto byte1 = static_cast<uint8_t>(ShiftLeftByte(static_cast<uint8_t>(thousands), 4) + hundreds);
    const auto byte0 = static_cast<uint8_t>(ShiftLeftByte(static_cast<uint8_t>(tens), 4) + (t - 10 * tens));
    bytes2_ = {byte0, byte1};
}

bool cOFFSET::QueueRead(int32_t& result) {
    void* ptr = DataPtr();
    if (ptr == nullptr) {
        result = ResultNothingQueued;
        return false;
    }
    return link_->LinkRead(Offset, TransferLength(), ptr, result);
}

void cOFFSET::DirectRead(bool Immediate) {
    // A failed queueing is not followed by a process call: its success would
    // overwrite the failure and report a read that never happened.
    if (QueueRead(dwResult) && Immediate) link_->LinkProcess(dwResult);
}

bool cOFFSET::ReadPendingWrite() {
    void* ptr = DataPtr();
    return ptr != nullptr && link_->LinkPendingWrite(Offset, TransferLength(), ptr);
}

void cOFFSET::DirectWrite(bool Immediate) {
    const void* ptr = DataPtr();
    if (ptr == nullptr) {
        dwResult = ResultNothingQueued;
        return;
    }
    if (link_->LinkWrite(Offset, TransferLength(), ptr, dwResult) && Immediate) link_->LinkProcess(dwResult);
}

} // namespace orvex::simlink
