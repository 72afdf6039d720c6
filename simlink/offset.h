// One FSUIPC offset together with a typed buffer holding its value.
//
// Panel logic never handles raw bytes: it creates offset objects, reads their
// values through typed accessors and lets the poll loop refresh them (or
// reads and writes them directly). Each data type has its own storage slot;
// only the slot of the current type is used.
//
//   type  storage              Lenght  Data yields
//   1     unsigned 8-bit       1       0..255
//   2     signed 16-bit        2       the signed value
//   3     2 bytes              2       byte0 + 256*byte1 (0..65535)
//   4     signed 32-bit        4       the signed value
//   5     4 bytes              4       the little-endian 32-bit value (signed wrap)
//   6     signed 64-bit        8       the integer as a double
//   7     single float         4       the float
//   8     double float         8       the double
//   9     256-byte text        0 (set) the text up to the first zero byte or Lenght
//
// The byte arrays of types 3 and 5 are the raw little-endian image of the
// value, so BCD-coded values (frequencies, transponder codes, versions) and
// single bytes can be taken apart.
#pragma once

#include "simlink/link.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace orvex::simlink {

// Raised when a value does not fit the storage it is converted to (a byte,
// a 16/32/64-bit integer, a float, a BCD digit group). The storage is left
// unchanged when it is raised.
class OverflowError : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

// Raised when a text that is not a number is used where a number is needed.
class TypeMismatchError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The value of an offset as panel logic sees it: empty, a number or a text.
class OffsetValue {
public:
    enum class Kind { Empty, Number, Text };

    OffsetValue() = default;
    static OffsetValue FromNumber(double v);
    // A single-precision number: its text form has up to 7 significant
    // digits, so 123.45f reads "123.45".
    static OffsetValue FromSingle(float v);
    static OffsetValue FromText(std::string_view text);

    Kind GetKind() const { return kind_; }
    bool IsEmpty() const { return kind_ == Kind::Empty; }
    bool IsNumber() const { return kind_ == Kind::Number; }
    bool IsText() const { return kind_ == Kind::Text; }

    // The number rounded to nearest (ties to even) as a 32-bit integer.
    // Texts are parsed as numbers (a '.' decimal point, surrounding blanks
    // allowed); an empty value or an empty text is 0. Throws OverflowError
    // when out of range, TypeMismatchError for a text that is not a number.
    int32_t AsLong() const;
    // The number; texts parsed as for AsLong; an empty value is 0.
    double AsDouble() const;
    // A text as it is; a number in its shortest form with up to 15
    // significant digits and a '.' decimal point ("9029", "123.45");
    // an empty value is "".
    std::string AsText() const;

    friend bool operator==(const OffsetValue&, const OffsetValue&) = default;

private:
    Kind kind_ = Kind::Empty;
    double number_ = 0.0;
    std::string text_;
    bool single_ = false;
};

// Rounds to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4), without
// depending on the floating-point environment's rounding mode.
double RoundHalfEven(double v);
// RoundHalfEven, then checks the range [lo, hi]; throws OverflowError for a
// value outside it or for NaN.
int64_t RoundToRange(double v, int64_t lo, int64_t hi);

// Nibble helpers of the BCD work.
// value * 2^n; throws OverflowError when the result exceeds 255.
uint8_t ShiftLeftByte(uint8_t value, unsigned n);
// floor(value / 2^n).
uint8_t ShiftRightByte(uint8_t value, unsigned n);
constexpr uint8_t LowNibble(uint8_t value) { return static_cast<uint8_t>(value & 15u); }
constexpr uint8_t HighNibble(uint8_t value) { return static_cast<uint8_t>(value >> 4); }

inline constexpr int32_t kTextBufferSize = 256;
// The most bytes of a text (type 9) offset that are transferred or read.
inline constexpr int32_t kMaxTextLength = 255;

// The class name is the one the rest of the program uses for offset buffers.
class cOFFSET {
public:
    // Bytes transferred to or from FSUIPC. Set by SetDataType, may be changed
    // afterwards. Transfers never exceed the storage slot of the current
    // type: a larger Lenght is clamped to the slot size (255 for text, so the
    // text buffer always keeps a terminating zero), a negative one counts as 0.
    int32_t Lenght = 0;
    // The FSUIPC offset.
    int32_t Offset = 0;
    // Result code of the last DirectRead/DirectWrite and of its process call.
    int32_t dwResult = 0;

    explicit cOFFSET(ILink& link) : link_(&link) {}
    // Queued reads point into the object, so it never moves.
    cOFFSET(const cOFFSET&) = delete;
    cOFFSET& operator=(const cOFFSET&) = delete;

    // The storage slot of the current type (the first byte for the arrays);
    // nullptr for an unknown type.
    void* DataPtr();
    const void* DataPtr() const;

    // The value, converted as in the table above; empty for an unknown type.
    OffsetValue Data() const;
    // Stores a value in the slot of the current type: rounded to nearest,
    // ties to even, for the integer types; throws OverflowError (storage
    // unchanged) when it does not fit, TypeMismatchError for a text that is
    // not a number given to a numeric type. A number given to type 9 is
    // stored as its text form. Nothing is stored for an unknown type.
    void SetData(const OffsetValue& value);
    void SetData(double value);
    // Exact for type 6 over the whole 64-bit range.
    void SetData(int64_t value);
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, int64_t>)
    void SetData(T value) {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(int64_t)) {
            if (value > static_cast<T>(std::numeric_limits<int64_t>::max()))
                throw OverflowError("value does not fit a 64-bit integer");
        }
        SetData(static_cast<int64_t>(value));
    }
    // Type 9: up to 255 characters, then zeros. Other types: parsed as a number.
    void SetData(std::string_view text);
    void SetData(const char* text) { SetData(std::string_view(text)); }

    int32_t DataType() const { return dataType_; }
    // Types 1-9 also set Lenght (9 sets 0: a text length is set explicitly);
    // any other value is stored and leaves Lenght unchanged.
    void SetDataType(int32_t type);

    // Bytes 0 and 1: of the 2-byte storage for type 3, of the 4-byte storage
    // for type 5, else 0. Bytes 2 and 3: of the 4-byte storage whatever the
    // type. Any other byte number yields 0.
    uint8_t ByteN(uint8_t ByteNumber) const;

    // The 2-byte storage as a radio frequency: GetBCD / 100 + 100
    // (BCD 0x2345 -> 123.45).
    float GetFreq() const;
    // The four BCD digits of the 2-byte storage (units in the low nibble of
    // byte 0, thousands in the high nibble of byte 1). Nibbles are weighted
    // as they stand, without checking that they are below 10.
    int32_t GetBCD() const;
    // The four BCD digits of bytes 0-1 / 2-3 of the 4-byte storage.
    int32_t GetBCDLow() const;
    int32_t GetBCDHigh() const;
    // Writes Value (converted to a 32-bit integer, 0..9999) as four BCD
    // digits into the 2-byte storage; DataType and Lenght are not changed.
    // Throws OverflowError (storage unchanged) outside 0..9999.
    void SetBcd(const OffsetValue& Value);
    void SetBcd(double Value) { SetBcd(OffsetValue::FromNumber(Value)); }

    // Queue a write (bytes copied at once) / a read of the transfer length at
    // Offset; with Immediate the batch is processed at once. Results go to
    // dwResult only; nothing is raised. With an unknown type nothing is queued
    // and dwResult is ResultNothingQueued. A read whose process call fails
    // leaves the storage unchanged. A read queued without Immediate writes
    // into this object when the batch is processed: keep it alive until then.
    void DirectWrite(bool Immediate);
    void DirectRead(bool Immediate);

    // Fills the storage with a write to this offset of the transfer length
    // that is still on its way to the simulator (see
    // ILink::LinkPendingWrite); false, storage unchanged, when there is none.
    bool ReadPendingWrite();

    // Queues a read of this offset without touching dwResult (the poll loop's
    // form). Returns the link's answer.
    bool QueueRead(int32_t& result);

    // The number of bytes a transfer moves: Lenght clamped to the slot size.
    int32_t TransferLength() const;

private:
    int32_t SlotSize() const;

    ILink* link_;
    int32_t dataType_ = 0;
    uint8_t byte_ = 0;
    int16_t int16_ = 0;
    std::array<uint8_t, 2> bytes2_{};
    int32_t int32_ = 0;
    std::array<uint8_t, 4> bytes4_{};
    int64_t int64_ = 0;
    float single_ = 0.0f;
    double double_ = 0.0;
    std::array<char, kTextBufferSize> text_{};
};

} // namespace orvex::simlink
