#include "relaybox/hid/virtual_protocol.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace orvex::hid::virt {

std::string ControlPipeName(const std::string& instance) { return "\\\\.\\pipe\\" + instance; }

std::string DevicePipeName(const std::string& instance, int number) {
    return "\\\\.\\pipe\\" + instance + ".dev" + std::to_string(number);
}

std::string DirectoryMappingName(const std::string& instance) {
    return "Local\\" + instance + ".directory";
}

std::string DirectoryMutexName(const std::string& instance) {
    return "Local\\" + instance + ".directory.lock";
}

std::string DevicePath(uint16_t vendorId, uint16_t productId, int number, bool upperIds) {
    char ids[32];
    std::snprintf(ids, sizeof ids, upperIds ? "VID_%04X&PID_%04X" : "vid_%04x&pid_%04x",
                  static_cast<unsigned>(vendorId), static_cast<unsigned>(productId));
    return std::string("\\\\?\\hid#") + ids + "&virt#" + std::to_string(number) + "#" +
           kHidClassGuidText;
}

namespace {

constexpr const char* kDirectoryMagic = "orvex-virtual-panels 1";

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint16_t GetU16(const std::vector<uint8_t>& in, size_t at) {
    return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::optional<uint16_t> ParseU16Hex(const std::string& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    return static_cast<uint16_t>(value);
}

std::string U16Hex(uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(v));
    return text;
}

} // namespace

std::vector<uint8_t> EncodeDirectory(const std::vector<DirectoryEntry>& entries) {
    std::string text = std::string(kDirectoryMagic) + "\n";
    for (const auto& e : entries) {
        text += e.path + "\t" + e.pipe + "\t" + U16Hex(e.vendorId) + "\t" + U16Hex(e.productId) +
                "\t" + U16Hex(e.versionNumber) + "\n";
    }
    std::vector<uint8_t> block(4 + text.size());
    const auto n = static_cast<uint32_t>(text.size());
    for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
    std::memcpy(block.data() + 4, text.data(), text.size());
    return block;
}

std::optional<std::vector<DirectoryEntry>> DecodeDirectory(const uint8_t* block, size_t size) {
    if (block == nullptr || size < 4) return std::nullopt;
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(block[i]) << (8 * i);
    if (n > size - 4) return std::nullopt;
    const std::string text(reinterpret_cast<const char*>(block + 4), n);
    auto lines = Split(text, '\n');
    if (lines.empty() || lines.front() != kDirectoryMagic || !lines.back().empty())
        return std::nullopt;
    std::vector<DirectoryEntry> entries;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        auto fields = Split(lines[i], '\t');
        if (fields.size() != 5 || fields[0].empty() || fields[1].empty()) return std::nullopt;
        auto vid = ParseU16Hex(fields[2]);
        auto pid = ParseU16Hex(fields[3]);
        auto version = ParseU16Hex(fields[4]);
        if (!vid || !pid || !version) return std::nullopt;
        entries.push_back({fields[0], fields[1], *vid, *pid, *version});
    }
    return entries;
}

std::vector<uint8_t> Encode(const Message& message) {
    std::vector<uint8_t> out;
    out.reserve(1 + message.body.size());
    out.push_back(static_cast<uint8_t>(message.op));
    out.insert(out.end(), message.body.begin(), message.body.end());
    return out;
}

std::optional<Message> Decode(const uint8_t* data, size_t size) {
    if (data == nullptr || size == 0 || size > kMaxMessage) return std::nullopt;
    Message m;
    m.op = static_cast<Op>(data[0]);
    m.body.assign(data + 1, data + size);
    const size_t n = m.body.size();
    bool ok = false;
    switch (m.op) {
    case Op::Attributes:
    case Op::Caps:
    case Op::Read:
    case Op::Cancel:
    case Op::CancelReply: ok = n == 0; break;
    case Op::SetFeature: ok = n >= 1 && n <= kMaxFeatureBytes; break;
    case Op::GetFeature: ok = n == 3; break;
    case Op::AttributesReply: ok = n == 6; break;
    case Op::CapsReply: ok = n == 2 * (sizeof(HidCaps) / sizeof(uint16_t)); break;
    case Op::InputReport: ok = n >= 1 && n <= kMaxInputBytes; break;
    case Op::SetFeatureReply: ok = n == 1; break;
    case Op::GetFeatureReply: ok = n >= 1 && n <= 1 + kMaxFeatureBytes; break;
    }
    if (!ok) return std::nullopt;
    return m;
}

std::vector<uint8_t> EncodeAttributes(const HidAttributes& a) {
    std::vector<uint8_t> out;
    PutU16(out, a.vendorId);
    PutU16(out, a.productId);
    PutU16(out, a.versionNumber);
    return out;
}

std::optional<HidAttributes> DecodeAttributes(const std::vector<uint8_t>& body) {
    if (body.size() != 6) return std::nullopt;
    return HidAttributes{GetU16(body, 0), GetU16(body, 2), GetU16(body, 4)};
}

namespace {
// HidCaps as its 28 words, in declaration order.
constexpr size_t kCapsWords = sizeof(HidCaps) / sizeof(uint16_t);
static_assert(kCapsWords == 32, "HidCaps is 32 16-bit words");

std::array<uint16_t*, kCapsWords> CapsWords(HidCaps& c) {
    std::array<uint16_t*, kCapsWords> w{};
    size_t i = 0;
    for (uint16_t* p : {&c.Usage, &c.UsagePage, &c.InputReportByteLength, &c.OutputReportByteLength,
                        &c.FeatureReportByteLength})
        w[i++] = p;
    for (uint16_t& r : c.Reserved) w[i++] = &r;
    for (uint16_t* p : {&c.NumberLinkCollectionNodes, &c.NumberInputButtonCaps, &c.NumberInputValueCaps,
                        &c.NumberInputDataIndices, &c.NumberOutputButtonCaps, &c.NumberOutputValueCaps,
                        &c.NumberOutputDataIndices, &c.NumberFeatureButtonCaps,
                        &c.NumberFeatureValueCaps, &c.NumberFeatureDataIndices})
        w[i++] = p;
    return w;
}
} // namespace

std::vector<uint8_t> EncodeCaps(const HidCaps& caps) {
    HidCaps copy = caps;
    std::vector<uint8_t> out;
    for (uint16_t* w : CapsWords(copy)) PutU16(out, *w);
    return out;
}

std::optional<HidCaps> DecodeCaps(const std::vector<uint8_t>& body) {
    if (body.size() != 2 * kCapsWords) return std::nullopt;
    HidCaps caps;
    size_t at = 0;
    for (uint16_t* w : CapsWords(caps)) {
        *w = GetU16(body, at);
        at += 2;
    }
    return caps;
}

std::vector<uint8_t> EncodeGetFeature(uint32_t length, uint8_t reportId) {
    std::vector<uint8_t> out;
    PutU16(out, static_cast<uint16_t>(length > 0xFFFF ? 0xFFFF : length));
    out.push_back(reportId);
    return out;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0xF]);
    }
    return text;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        digits.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        auto nibble = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10; };
        bytes.push_back(static_cast<uint8_t>(nibble(digits[i]) * 16 + nibble(digits[i + 1])));
    }
    return bytes;
}

} // namespace orvex::hid::virt
