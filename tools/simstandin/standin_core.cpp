#include "tools/simstandin/standin_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orvex::simstandin {

namespace {

int32_t LoadInt32(std::span<const uint8_t> block, size_t pos) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(block[pos + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

constexpr size_t kReadHeader = 16;
constexpr size_t kWriteHeader = 12;

bool Overlaps(uint32_t offset, uint32_t size, uint32_t begin, uint32_t end) {
    return offset < end && begin < offset + size;
}

}  // namespace

// ---- OffsetTable ------------------------------------------------------------

bool OffsetTable::Read(uint32_t offset, std::span<uint8_t> out) const {
    if (!InRange(offset, out.size())) return false;
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
}

bool OffsetTable::Write(uint32_t offset, std::span<const uint8_t> in) {
    if (!InRange(offset, in.size())) return false;
    if (!in.empty()) std::memcpy(bytes_.data() + offset, in.data(), in.size());
    return true;
}

uint64_t OffsetTable::GetUnsigned(uint32_t offset, uint32_t size) const {
    if (size == 0 || size > 8 || !InRange(offset, size)) return 0;
    uint64_t v = 0;
    for (uint32_t i = 0; i < size; ++i) v |= static_cast<uint64_t>(bytes_[offset + i]) << (8 * i);
    return v;
}

int64_t OffsetTable::GetSigned(uint32_t offset, uint32_t size) const {
    const uint64_t v = GetUnsigned(offset, size);
    if (size == 0 || size >= 8) return static_cast<int64_t>(v);
    const uint64_t sign = uint64_t{1} << (8 * size - 1);
    return static_cast<int64_t>((v ^ sign) - sign);
}

bool OffsetTable::SetInt(uint32_t offset, uint32_t size, uint64_t value) {
    if (size == 0 || size > 8 || !InRange(offset, size)) return false;
    for (uint32_t i = 0; i < size; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return true;
}

std::string OffsetTable::GetText(uint32_t offset, uint32_t maxSize) const {
    std::string text;
    for (uint32_t i = 0; i < maxSize && offset + i < kTableSize; ++i) {
        const char c = static_cast<char>(bytes_[offset + i]);
        if (c == '\0') break;
        text.push_back(c);
    }
    return text;
}

bool OffsetTable::SetText(uint32_t offset, uint32_t fieldSize, const std::string& text) {
    if (!InRange(offset, fieldSize) || text.size() >= fieldSize) return false;
    std::fill_n(bytes_.begin() + offset, fieldSize, uint8_t{0});
    std::memcpy(bytes_.data() + offset, text.data(), text.size());
    return true;
}

void OffsetTable::Clear() { std::fill(bytes_.begin(), bytes_.end(), uint8_t{0}); }

// ---- Batches ----------------------------------------------------------------

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok: return "ok";
    case Outcome::Zeros: return "zeros";
    case Outcome::Rejected: return "rejected";
    case Outcome::Malformed: return "malformed";
    case Outcome::Unreadable: return "unreadable";
    }
    return "?";
}

BatchLayout ValidateBatch(std::span<const uint8_t> block) {
    BatchLayout layout;
    size_t pos = 0;
    const size_t end = block.size();
    while (true) {
        if (end - pos < 4) return layout;  // no terminator inside the block
        const uint32_t id = static_cast<uint32_t>(LoadInt32(block, pos)) & 0xFFFF;
        if (id == 0) break;
        if (id != 1 && id != 2) return layout;
        const size_t header = id == 1 ? kReadHeader : kWriteHeader;
        if (end - pos < header) return layout;
        const int32_t offset = LoadInt32(block, pos + 4);
        const int32_t size = LoadInt32(block, pos + 8);
        if (offset < 0 || size < 0) return layout;
        if (!OffsetTable::InRange(static_cast<uint32_t>(offset), static_cast<uint32_t>(size))) return layout;
        if (end - pos - header < static_cast<size_t>(size)) return layout;
        layout.records.push_back({id == 1 ? RecordKind::Read : RecordKind::Write, static_cast<uint32_t>(offset),
                                  static_cast<uint32_t>(size)});
        pos += header + static_cast<size_t>(size);
    }
    layout.valid = true;
    layout.used = pos + 4;
    return layout;
}

// ---- Standin ----------------------------------------------------------------

Standin::Standin(uint16_t simulator) : startSimulator_(simulator) {
    LoadInitialValues(table_, simulator, startVersion_);
}

void Standin::ClearFaults() {
    fault_ = Fault{};
    SetFsuipcVersion(startVersion_);
    SetSimulator(startSimulator_);
}

void Standin::SetFsuipcVersion(uint32_t version) {
    table_.SetInt(off::kFsuipcVersion, 4, version);
    ++changes_;
}

void Standin::SetSimulator(uint16_t simulator) {
    table_.SetInt(off::kSimulatorVersion, 4, kSimulatorPattern + simulator);
    ++changes_;
}

void Standin::SetTitle(const std::string& title) {
    table_.SetText(off::kTitle, off::kTitleSize, title.substr(0, off::kTitleSize - 1));
    ++changes_;
}

void Standin::EndHang() {
    if (fault_.kind == FaultKind::Hang) fault_ = Fault{};
    ++changes_;
}

void Standin::ClearLogs() {
    exchanges_ = rejected_ = malformed_ = late_ = 0;
    log_.clear();
    controls_.clear();
    buttons_.clear();
    ++changes_;
}

void Standin::AddLog(ExchangeEntry entry) {
    if (log_.size() >= kMaxLog) log_.pop_front();
    log_.push_back(std::move(entry));
}

void Standin::RecordUnreadable() {
    ++exchanges_;
    ++malformed_;
    ExchangeEntry entry;
    entry.sequence = exchanges_;
    entry.outcome = Outcome::Unreadable;
    AddLog(std::move(entry));
    ++changes_;
}

uint32_t Standin::Exchange(std::span<uint8_t> block) {
    ++exchanges_;
    ++changes_;
    BatchLayout layout = ValidateBatch(block);
    ExchangeEntry entry;
    entry.sequence = exchanges_;
    entry.recordCount = static_cast<uint32_t>(layout.records.size());
    entry.records.assign(layout.records.begin(),
                         layout.records.begin() +
                             static_cast<std::ptrdiff_t>(std::min(layout.records.size(), kMaxLoggedRecords)));

    uint32_t answer = 0;
    if (fault_.kind == FaultKind::Reject) {
        ++rejected_;
        entry.outcome = Outcome::Rejected;
    } else if (!layout.valid) {
        ++malformed_;
        entry.outcome = Outcome::Malformed;
    } else {
        const bool zeros = fault_.kind == FaultKind::Zeros && fault_.count > 0;
        size_t pos = 0;
        for (const RecordInfo& r : layout.records) {
            if (r.kind == RecordKind::Read) {
                std::span<uint8_t> data = block.subspan(pos + kReadHeader, r.size);
                if (zeros) std::fill(data.begin(), data.end(), uint8_t{0});
                else table_.Read(r.offset, data);
                pos += kReadHeader + r.size;
            } else {
                if (!zeros) ApplyWrite(r.offset, block.subspan(pos + kWriteHeader, r.size));
                pos += kWriteHeader + r.size;
            }
        }
        if (zeros && --fault_.count == 0) fault_ = Fault{};
        entry.outcome = zeros ? Outcome::Zeros : Outcome::Ok;
        answer = 1;
    }
    AddLog(std::move(entry));
    return answer;
}

void Standin::ApplyWrite(uint32_t offset, std::span<const uint8_t> data) {
    const auto size = static_cast<uint32_t>(data.size());
    if (size == 0) return;
    // The version words identify the simulator and are not the client's to
    // change; a write to 0x330A is the client telling its library version.
    if (Overlaps(offset, size, off::kFsuipcVersion, off::kIdentityEnd)) {
        if (offset <= off::kClientVersion && offset + size >= off::kClientVersion + 2) {
            const size_t at = off::kClientVersion - offset;
            clientVersion_ = static_cast<int32_t>(data[at] | (data[at + 1] << 8));
        }
        for (uint32_t i = 0; i < size; ++i) {
            const uint32_t o = offset + i;
            if (o < off::kFsuipcVersion || o >= off::kIdentityEnd) table_.Write(o, data.subspan(i, 1));
        }
    } else {
        table_.Write(offset, data);
    }
    AfterWrite(offset, size);
}

// What the simulator does in answer to a write: controls, virtual buttons,
// radio swaps and the gear lever.
void Standin::AfterWrite(uint32_t offset, uint32_t size) {
    if (offset <= off::kControl && offset + size >= off::kControl + 4) {
        if (controls_.size() >= kMaxControlLog) controls_.pop_front();
        controls_.push_back({static_cast<int32_t>(table_.GetUnsigned(off::kControl, 4)),
                             static_cast<int32_t>(table_.GetUnsigned(off::kControlParameter, 4))});
    }
    if (Overlaps(offset, size, off::kVirtualButtons, off::kVirtualButtonsEnd)) {
        const uint32_t begin = std::max(offset, off::kVirtualButtons);
        const uint32_t end = std::min(offset + size, off::kVirtualButtonsEnd);
        ButtonEntry entry{begin, std::vector<uint8_t>(end - begin)};
        table_.Read(begin, entry.bytes);
        if (buttons_.size() >= kMaxButtonLog) buttons_.pop_front();
        buttons_.push_back(std::move(entry));
    }
    if (Overlaps(offset, size, off::kRadioSwap, off::kRadioSwap + 1)) {
        const auto swap = static_cast<uint8_t>(table_.GetUnsigned(off::kRadioSwap, 1));
        auto exchange = [this](uint32_t a, uint32_t b) {
            const uint64_t va = table_.GetUnsigned(a, 2);
            table_.SetInt(a, 2, table_.GetUnsigned(b, 2));
            table_.SetInt(b, 2, va);
        };
        if (swap & 8) exchange(off::kCom1, off::kCom1Standby);
        if (swap & 4) exchange(off::kCom2, off::kCom2Standby);
        if (swap & 2) exchange(off::kNav1, off::kNav1Standby);
        if (swap & 1) exchange(off::kNav2, off::kNav2Standby);
    }
    if (Overlaps(offset, size, off::kGearControl, off::kGearControl + 4)) {
        // The gear moves at once: the three positions follow the lever.
        const uint64_t lever = table_.GetUnsigned(off::kGearControl, 4);
        table_.SetInt(off::kGearNose, 4, lever);
        table_.SetInt(off::kGearRight, 4, lever);
        table_.SetInt(off::kGearLeft, 4, lever);
    }
}

void LoadInitialValues(OffsetTable& t, uint16_t simulator, uint32_t fsuipcVersion) {
    t.Clear();
    t.SetInt(off::kFsuipcVersion, 4, fsuipcVersion);
    t.SetInt(off::kSimulatorVersion, 4, kSimulatorPattern + simulator);
    // Radios: the four digits after the leading 1, as BCD.
    t.SetInt(off::kCom1, 2, 0x2345);          // 123.45
    t.SetInt(off::kCom2, 2, 0x2650);          // 126.50
    t.SetInt(off::kCom1Standby, 2, 0x1875);   // 118.75
    t.SetInt(off::kCom2Standby, 2, 0x2180);   // 121.80
    t.SetInt(off::kNav1, 2, 0x1030);          // 110.30
    t.SetInt(off::kNav2, 2, 0x1380);          // 113.80
    t.SetInt(off::kNav1Standby, 2, 0x0850);   // 108.50
    t.SetInt(off::kNav2Standby, 2, 0x1690);   // 116.90
    t.SetInt(off::kTransponder, 2, 0x1200);
    t.SetInt(off::kAdf1, 2, 0x0350);          // 350.0 kHz
    t.SetInt(off::kAdf1Ext, 2, 0x0000);
    t.SetInt(off::kAdf2, 2, 0x0415);          // 415.0 kHz
    t.SetInt(off::kAdf2Ext, 2, 0x0000);
    t.SetInt(off::kAltimeter, 2, 16212);      // 1013.25 hPa x 16
    t.SetInt(off::kBatteryMaster, 4, 1);
    t.SetInt(off::kBatterySwitch, 1, 1);
    t.SetInt(off::kAvionicsMaster, 4, 1);
    t.SetInt(off::kLights, 2, 0x0003);        // NAV and BEACON
    t.SetInt(off::kGearType, 1, 1);  // retractable, so that the gear lamps have work
    t.SetInt(off::kGearControl, 4, 16383);
    t.SetInt(off::kGearNose, 4, 16383);
    t.SetInt(off::kGearRight, 4, 16383);
    t.SetInt(off::kGearLeft, 4, 16383);
    t.SetInt(off::kApMaster, 4, 0);
    t.SetInt(off::kApHeading, 2, 270u * 65536u / 360u);
    t.SetInt(off::kApAltitude, 4, static_cast<uint64_t>(1524) * 65536u);  // 5,000 ft
    t.SetInt(off::kApVerticalSpeed, 2, 700);
    t.SetInt(off::kApIas, 2, 110);
    t.SetInt(off::kCourseNav1, 2, 90);
    t.SetInt(off::kCourseNav2, 2, 180);
    t.SetText(off::kTitle, off::kTitleSize, "Cessna Skyhawk 172SP");
}

std::string FormatExchange(const ExchangeEntry& entry) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%llu %u", static_cast<unsigned long long>(entry.sequence), entry.recordCount);
    std::string line = buf;
    for (const RecordInfo& r : entry.records) {
        std::snprintf(buf, sizeof buf, " %c:0x%04X:%u", r.kind == RecordKind::Read ? 'R' : 'W', r.offset, r.size);
        line += buf;
    }
    if (entry.records.size() < entry.recordCount) line += " ...";
    if (entry.outcome != Outcome::Ok) {
        line += ' ';
        line += OutcomeName(entry.outcome);
    }
    return line;
}

}  // namespace orvex::simstandin
