// The wire form shared by the virtual-panel program and the device layer's
// client for virtual devices.
//
// A program publishing virtual panels under an instance name N offers:
// - a directory: the shared block "Local\N.directory" (guarded by the mutex
//   "Local\N.directory.lock") listing the present devices, one text line each
//   with the device path, its pipe name and its IDs;
// - one message-mode named pipe per device, "\\.\pipe\N.dev<n>", that any
//   number of handles may connect to. Every message the program sends is the
//   answer to a request, so a handle that never reads never fills its pipe.
//   Input reports are asked for with 'R' and answered with 'i' when a report
//   is available (at once if the handle has one queued); 'C' withdraws an
//   unanswered 'R' and is always answered with 'c' (after the 'i' if the
//   report was already on its way).
// - the control pipe "\\.\pipe\N" (text commands; the program's own matter).
#pragma once

#include "relaybox/hid/hid_device.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::hid::virt {

inline constexpr const char* kDefaultInstance = "OrvexVirtualPanels";
// The HID interface class identifier, as real device paths end with it.
inline constexpr const char* kHidClassGuidText = "{4d1e55b2-f16f-11cf-88cb-001111000030}";
inline constexpr uint32_t kDirectoryBytes = 64 * 1024;
inline constexpr uint32_t kMaxMessage = 512;
inline constexpr uint32_t kMaxFeatureBytes = 256;
inline constexpr uint32_t kMaxInputBytes = 64;

std::string ControlPipeName(const std::string& instance);
std::string DevicePipeName(const std::string& instance, int number);
std::string DirectoryMappingName(const std::string& instance);
std::string DirectoryMutexName(const std::string& instance);

// \\?\hid#vid_06a3&pid_0d05&virt#<number>#{guid}; `upperIds` spells the ID
// part as VID_06A3&PID_0D05.
std::string DevicePath(uint16_t vendorId, uint16_t productId, int number, bool upperIds = false);

struct DirectoryEntry {
    std::string path;
    std::string pipe;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
    bool operator==(const DirectoryEntry&) const = default;
};

// The block: 4 bytes of little-endian text length, then the text.
std::vector<uint8_t> EncodeDirectory(const std::vector<DirectoryEntry>& entries);
// nullopt when the block is not a well-formed directory.
std::optional<std::vector<DirectoryEntry>> DecodeDirectory(const uint8_t* block, size_t size);

// Message kinds: requests (upper case) and their answers (lower case).
enum class Op : uint8_t {
    Attributes = 'A',  // -> 'a' vid pid version (u16 each)
    Caps = 'P',        // -> 'p' the 32 words of HidCaps
    Read = 'R',        // -> 'i' report bytes
    Cancel = 'C',      // -> 'c'
    SetFeature = 'S',  // body: report  -> 's' ok(1 byte)
    GetFeature = 'G',  // body: length(u16) report id -> 'g' ok(1 byte) report
    AttributesReply = 'a',
    CapsReply = 'p',
    InputReport = 'i',
    CancelReply = 'c',
    SetFeatureReply = 's',
    GetFeatureReply = 'g',
};

struct Message {
    Op op{};
    std::vector<uint8_t> body;
};

std::vector<uint8_t> Encode(const Message& message);
// nullopt for an empty message, an unknown kind, or a body of the wrong size.
std::optional<Message> Decode(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeAttributes(const HidAttributes& attributes);
std::optional<HidAttributes> DecodeAttributes(const std::vector<uint8_t>& body);
std::vector<uint8_t> EncodeCaps(const HidCaps& caps);
std::optional<HidCaps> DecodeCaps(const std::vector<uint8_t>& body);
std::vector<uint8_t> EncodeGetFeature(uint32_t length, uint8_t reportId);

// Hex text of bytes ("00FF12") and back (whitespace ignored; nullopt when
// not an even number of hex digits).
std::string ToHex(const std::vector<uint8_t>& bytes);
std::optional<std::vector<uint8_t>> FromHex(const std::string& text);

} // namespace orvex::hid::virt
