// The device layer: what Relaybox and Orvex do with a HID panel, behind one
// small interface, so that real panels and the virtual panels of the
// development tools are used the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// The HID capabilities as the platform reports them.
struct HidCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t Reserved[17] = {};
    uint16_t NumberLinkCollectionNodes = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberInputDataIndices = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberOutputDataIndices = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
    uint16_t NumberFeatureDataIndices = 0;
};

enum class ReadStatus {
    Report,   // a whole input report arrived
    Timeout,  // nothing within the time-out; the pending read was cancelled
    Failed,   // the read could not be started or failed (e.g. unplugged)
};

// One opened device interface.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    virtual bool GetAttributes(HidAttributes& attributes) = 0;
    virtual bool GetCaps(HidCaps& caps) = 0;
    // Reads one input report of `size` bytes, waiting at most `timeoutMs`.
    // On Timeout the pending read is cancelled, so nothing is left in flight.
    virtual ReadStatus ReadReport(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) = 0;
    // The same, but the wait also ends, as a time-out, when a message for
    // the calling thread arrives (a client's call to a server object whose
    // loop is reading): the read is cancelled as on a time-out. No report is
    // lost by that: the device keeps them for the handle until read.
    virtual ReadStatus ReadReportOrMessage(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
        return ReadReport(buffer, size, timeoutMs);
    }
    // Feature reports: byte 0 is the report id.
    virtual bool SetFeature(const uint8_t* report, uint32_t size) = 0;
    virtual bool GetFeature(uint8_t* report, uint32_t size) = 0;
};

// Enumerates and opens device interfaces.
class IHidSystem {
public:
    virtual ~IHidSystem() = default;
    // Paths of every present HID device interface, in enumeration order.
    virtual std::vector<std::string> EnumerateInterfacePaths() = 0;
    // Opens a path for reading and writing (shared); nullptr when it cannot
    // be opened. `overlapped` asks for a handle that ReadReport can wait on
    // with a time-out (the reader threads); writers pass false.
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path, bool overlapped) = 0;
};

} // namespace orvex::hid
