// The simulator stand-in's model: an FSUIPC offset table and the execution
// of one request batch against it, with the fault modes and logs that tests
// use. Pure logic: the window, the shared block and the pipe are elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace orvex::simstandin {

constexpr uint32_t kTableSize = 0x10000;  // offsets 0x0000..0xFFFF
constexpr size_t kBlockSize = 0x8000;     // the shared block a client hands over

// Offsets with a meaning of their own to the stand-in.
namespace off {
constexpr uint32_t kFsuipcVersion = 0x3304;     // 4 bytes
constexpr uint32_t kSimulatorVersion = 0x3308;  // 4 bytes: 0xFADE0000 + simulator id
constexpr uint32_t kClientVersion = 0x330A;     // clients write their library version here
constexpr uint32_t kIdentityEnd = 0x330C;       // 0x3304..0x330B is not writable by clients
constexpr uint32_t kControl = 0x3110;           // control number, then its parameter at 0x3114
constexpr uint32_t kControlParameter = 0x3114;
constexpr uint32_t kRadioSwap = 0x3123;         // 8 COM1, 4 COM2, 2 NAV1, 1 NAV2
constexpr uint32_t kVirtualButtons = 0x3340;    // 9 joysticks x 4 bytes
constexpr uint32_t kVirtualButtonsEnd = 0x3364;
constexpr uint32_t kTitle = 0x3D00;
constexpr uint32_t kTitleSize = 256;
constexpr uint32_t kGearType = 0x060C;         // 0 fixed, else retractable
constexpr uint32_t kGearControl = 0x0BE8;
constexpr uint32_t kGearNose = 0x0BEC;
constexpr uint32_t kGearRight = 0x0BF0;
constexpr uint32_t kGearLeft = 0x0BF4;
constexpr uint32_t kCom1 = 0x034E;
constexpr uint32_t kNav1 = 0x0350;
constexpr uint32_t kNav2 = 0x0352;
constexpr uint32_t kTransponder = 0x0354;
constexpr uint32_t kAdf1 = 0x034C;
constexpr uint32_t kAdf1Ext = 0x0356;
constexpr uint32_t kAdf2 = 0x02D4;
constexpr uint32_t kAdf2Ext = 0x02D6;
constexpr uint32_t kCom2 = 0x3118;
constexpr uint32_t kCom1Standby = 0x311A;
constexpr uint32_t kCom2Standby = 0x311C;
constexpr uint32_t kNav1Standby = 0x311E;
constexpr uint32_t kNav2Standby = 0x3120;
constexpr uint32_t kAltimeter = 0x0330;
constexpr uint32_t kBatteryMaster = 0x281C;
constexpr uint32_t kBatterySwitch = 0x3102;
constexpr uint32_t kAvionicsMaster = 0x2E80;
constexpr uint32_t kLights = 0x0D0C;
constexpr uint32_t kApMaster = 0x07BC;
constexpr uint32_t kApNavHold = 0x07C4;
constexpr uint32_t kApHeadingHold = 0x07C8;
constexpr uint32_t kApHeading = 0x07CC;
constexpr uint32_t kApAltitudeHold = 0x07D0;
constexpr uint32_t kApAltitude = 0x07D4;
constexpr uint32_t kApIasHold = 0x07DC;
constexpr uint32_t kApIas = 0x07E2;
constexpr uint32_t kApVsHold = 0x07EC;
constexpr uint32_t kApVerticalSpeed = 0x07F2;
constexpr uint32_t kApApproach = 0x0800;
constexpr uint32_t kApBackCourse = 0x0804;
constexpr uint32_t kCourseNav1 = 0x0C4E;
constexpr uint32_t kCourseNav2 = 0x0C5E;
constexpr uint32_t kFlaps = 0x0BDC;
}  // namespace off

constexpr uint32_t kDefaultFsuipcVersion = 0x40050000;
constexpr uint16_t kDefaultSimulator = 8;  // FSX
constexpr uint32_t kSimulatorPattern = 0xFADE0000;

// 64 KiB of offsets; every access outside it is refused.
class OffsetTable {
public:
    OffsetTable() : bytes_(kTableSize, 0) {}

    static bool InRange(uint64_t offset, uint64_t size) {
        return offset < kTableSize && size <= kTableSize - offset;
    }
    bool Read(uint32_t offset, std::span<uint8_t> out) const;
    bool Write(uint32_t offset, std::span<const uint8_t> in);
    // Little-endian integers of 1, 2, 4 or 8 bytes. Get yields 0 when out of range.
    uint64_t GetUnsigned(uint32_t offset, uint32_t size) const;
    int64_t GetSigned(uint32_t offset, uint32_t size) const;
    bool SetInt(uint32_t offset, uint32_t size, uint64_t value);
    // NUL-terminated text of at most maxSize bytes (without the NUL).
    std::string GetText(uint32_t offset, uint32_t maxSize) const;
    // Writes the text and zero-fills the rest of the field; false if it does not fit with its NUL.
    bool SetText(uint32_t offset, uint32_t fieldSize, const std::string& text);
    void Clear();

private:
    std::vector<uint8_t> bytes_;
};

enum class RecordKind : uint8_t { Read = 1, Write = 2 };

struct RecordInfo {
    RecordKind kind;
    uint32_t offset;
    uint32_t size;
    bool operator==(const RecordInfo&) const = default;
};

enum class Outcome : uint8_t {
    Ok,         // executed, answered 1
    Zeros,      // answered 1 with zeros, writes ignored (the zeros fault)
    Rejected,   // answered 0 by the reject fault
    Malformed,  // answered 0: the batch broke a rule, nothing was applied
    Unreadable  // answered 0: the block could not be found or mapped
};
const char* OutcomeName(Outcome outcome);

struct ExchangeEntry {
    uint64_t sequence = 0;       // 1 for the first exchange after the counters were cleared
    Outcome outcome = Outcome::Ok;
    uint32_t recordCount = 0;    // records in the batch (for a malformed one: those before the fault)
    std::vector<RecordInfo> records;  // the first kMaxLoggedRecords of them
};

struct ControlEntry {
    int32_t control;
    int32_t parameter;
    bool operator==(const ControlEntry&) const = default;
};

struct ButtonEntry {
    uint32_t offset;             // where the write landed (clipped to the button words)
    std::vector<uint8_t> bytes;  // the bytes written there
};

enum class FaultKind : uint8_t { None, Reject, Zeros, Slow, Hang };

// The answer fault in force; the version and simulator id are table values.
struct Fault {
    FaultKind kind = FaultKind::None;
    uint32_t count = 0;  // zeros: exchanges still to answer with zeros
    uint32_t ms = 0;     // slow: delay; hang: longest block
};

// Result of validating a batch: where it ends and what it holds.
struct BatchLayout {
    bool valid = false;
    size_t used = 0;  // bytes up to and including the terminator
    std::vector<RecordInfo> records;
};

// Walks a batch without touching it. A batch is valid when every record has
// id 1 or 2 (low 16 bits of its first field), a non-negative size, stays in
// the block and in the 64 KiB table, and a zero id ends it inside the block.
BatchLayout ValidateBatch(std::span<const uint8_t> block);

class Standin {
public:
    static constexpr size_t kMaxLog = 1000;
    static constexpr size_t kMaxLoggedRecords = 256;
    static constexpr size_t kMaxControlLog = 1000;
    static constexpr size_t kMaxButtonLog = 100;

    explicit Standin(uint16_t simulator = kDefaultSimulator);

    // Executes one batch in place and returns the answer (1 or 0). A malformed
    // batch changes nothing, neither the table nor the block. The slow and
    // hang faults are the caller's to carry out before calling this.
    uint32_t Exchange(std::span<uint8_t> block);
    // Counts a message whose block could not be opened (answered 0).
    void RecordUnreadable();
    // An exchange answered after its sender had stopped waiting: the
    // client's send time-out passed while the window thread held it.
    void RecordLate() { ++late_; ++changes_; }
    // How long a client waits for one send.
    static constexpr uint32_t kClientTimeoutMs = 2000;

    OffsetTable& Table() { return table_; }
    const OffsetTable& Table() const { return table_; }

    const Fault& CurrentFault() const { return fault_; }
    void SetFault(const Fault& fault) { fault_ = fault; ++changes_; }
    // Back to no fault, the start-up version and simulator id.
    void ClearFaults();
    void SetFsuipcVersion(uint32_t version);
    void SetSimulator(uint16_t simulator);
    void SetTitle(const std::string& title);  // clipped to 255 bytes
    // The hang fault ends once it has held up one message.
    void EndHang();

    uint64_t Exchanges() const { return exchanges_; }
    uint64_t Rejected() const { return rejected_; }
    uint64_t Late() const { return late_; }
    uint64_t Malformed() const { return malformed_; }
    int32_t ClientVersion() const { return clientVersion_; }
    const std::deque<ExchangeEntry>& Log() const { return log_; }
    const std::deque<ControlEntry>& Controls() const { return controls_; }
    const std::deque<ButtonEntry>& Buttons() const { return buttons_; }
    // Clears the exchange, control and button logs and the counters.
    void ClearLogs();
    // Grows with every change a status display would show.
    uint64_t Changes() const { return changes_; }
    void Touch() { ++changes_; }

private:
    void ApplyWrite(uint32_t offset, std::span<const uint8_t> data);
    void AfterWrite(uint32_t offset, uint32_t size);
    void AddLog(ExchangeEntry entry);

    OffsetTable table_;
    Fault fault_;
    uint32_t startVersion_ = kDefaultFsuipcVersion;
    uint16_t startSimulator_;
    uint64_t exchanges_ = 0;
    uint64_t rejected_ = 0;
    uint64_t late_ = 0;
    uint64_t malformed_ = 0;
    int32_t clientVersion_ = -1;  // none written yet
    uint64_t changes_ = 0;
    std::deque<ExchangeEntry> log_;
    std::deque<ControlEntry> controls_;
    std::deque<ButtonEntry> buttons_;
};

// Fills the table with a plausible parked Cessna.
void LoadInitialValues(OffsetTable& table, uint16_t simulator, uint32_t fsuipcVersion);

// One exchange as a log line: "<seq> <count> R:0x3304:4 W:0x330A:2 ..."
// followed by the outcome when it is not Ok, e.g. "7 0 rejected".
std::string FormatExchange(const ExchangeEntry& entry);

}  // namespace orvex::simstandin
