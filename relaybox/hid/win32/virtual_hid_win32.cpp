// The client side of the virtual panels: the directory in shared memory and
// one message-mode pipe connection per opened device.
#include "relaybox/hid/hid_system.h"
#include "relaybox/hid/virtual_protocol.h"

#include "common/win32/handles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>

namespace orvex::hid {

namespace {

using namespace virt;
using win32::UniqueFile;
using win32::UniqueHandle;
using win32::UniqueView;

constexpr DWORD kReplyTimeoutMs = 2000;  // a feature or attribute request
constexpr DWORD kDirectoryLockMs = 1000;
constexpr size_t kMaxQueuedReports = 32;

class VirtualHidDevice final : public IHidDevice {
public:
    explicit VirtualHidDevice(UniqueFile pipe)
        : pipe_(std::move(pipe)), event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    bool GetAttributes(HidAttributes& attributes) override {
        auto reply = Transact({Op::Attributes, {}}, Op::AttributesReply);
        if (!reply) return false;
        auto a = DecodeAttributes(reply->body);
        if (!a) return false;
        attributes = *a;
        return true;
    }

    bool GetCaps(HidCaps& caps) override {
        auto reply = Transact({Op::Caps, {}}, Op::CapsReply);
        if (!reply) return false;
        auto c = DecodeCaps(reply->body);
        if (!c) return false;
        caps = *c;
        return true;
    }

    ReadStatus ReadReport(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        return Read(buffer, size, timeoutMs, false);
    }
    ReadStatus ReadReportOrMessage(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        return Read(buffer, size, timeoutMs, true);
    }

    ReadStatus Read(uint8_t* buffer, uint32_t size, uint32_t timeoutMs, bool wakeOnMessage) {
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        if (!reports_.empty()) return Deliver(buffer, size);
        if (broken_ || !Send({Op::Read, {}})) return Pace(deadline);
        // Wait for the answer until the deadline.
        for (;;) {
            const ULONGLONG now = ::GetTickCount64();
            const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            bool timedOut = false;
            auto m = Receive(left, timedOut, wakeOnMessage);
            if (m && m->op == Op::InputReport) {
                Keep(m->body);
                return Deliver(buffer, size);
            }
            if (timedOut) break;
            if (broken_) return Pace(deadline);
        }
        // Withdraw the request; a report already on its way comes first.
        if (!Send({Op::Cancel, {}})) return Pace(deadline);
        for (;;) {
            bool timedOut = false;
            auto m = Receive(kReplyTimeoutMs, timedOut);
            if (!m) {
                broken_ = true;
                return ReadStatus::Failed;
            }
            if (m->op == Op::InputReport) Keep(m->body);
            if (m->op == Op::CancelReply) break;
        }
        return reports_.empty() ? ReadStatus::Timeout : Deliver(buffer, size);
    }

    bool SetFeature(const uint8_t* report, uint32_t size) override {
        if (report == nullptr || size == 0 || size > kMaxFeatureBytes) return false;
        auto reply = Transact({Op::SetFeature, std::vector<uint8_t>(report, report + size)}, Op::SetFeatureReply);
        return reply && reply->body.size() == 1 && reply->body[0] == 1;
    }

    bool GetFeature(uint8_t* report, uint32_t size) override {
        if (report == nullptr || size == 0 || size > kMaxFeatureBytes) return false;
        auto reply = Transact({Op::GetFeature, EncodeGetFeature(size, report[0])}, Op::GetFeatureReply);
        if (!reply || reply->body.empty() || reply->body[0] != 1 || reply->body.size() != size + 1u) return false;
        std::memcpy(report, reply->body.data() + 1, size);
        return true;
    }

private:
    ReadStatus Deliver(uint8_t* buffer, uint32_t size) {
        const std::vector<uint8_t> r = std::move(reports_.front());
        reports_.pop_front();
        std::memset(buffer, 0, size);
        std::memcpy(buffer, r.data(), std::min<size_t>(size, r.size()));
        return ReadStatus::Report;
    }

    void Keep(const std::vector<uint8_t>& report) {
        if (reports_.size() == kMaxQueuedReports) reports_.pop_front();
        reports_.push_back(report);
    }

    // The device is gone: wait out the time-out, as a read on a removed
    // device does, then fail.
    static ReadStatus Pace(ULONGLONG deadline) {
        const ULONGLONG now = ::GetTickCount64();
        if (now < deadline) ::Sleep(static_cast<DWORD>(deadline - now));
        return ReadStatus::Failed;
    }

    std::optional<Message> Transact(const Message& request, Op answer) {
        if (broken_ || !Send(request)) return std::nullopt;
        for (;;) {
            bool timedOut = false;
            auto m = Receive(kReplyTimeoutMs, timedOut);
            if (!m) {
                broken_ = true;  // no answer: the connection can no longer be trusted
                return std::nullopt;
            }
            if (m->op == answer) return m;
            if (m->op == Op::InputReport) Keep(m->body);
        }
    }

    // Waits for one overlapped operation; on time-out cancels it and waits for
    // the cancel, so the buffer is free when this returns.
    // `wakeOnMessage`: a message for the thread ends the wait as a time-out.
    bool Finish(OVERLAPPED& ov, DWORD timeoutMs, DWORD& bytes, bool& timedOut, bool wakeOnMessage = false) {
        HANDLE event = event_.get();
        const DWORD wait =
            wakeOnMessage
                ? ::MsgWaitForMultipleObjectsEx(1, &event, timeoutMs, QS_POSTMESSAGE | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE)
                : ::WaitForSingleObject(event, timeoutMs);
        if (wait != WAIT_OBJECT_0) {
            ::CancelIo(pipe_.get());
            timedOut = wait == WAIT_TIMEOUT || wait == WAIT_OBJECT_0 + 1;
        }
        if (::GetOverlappedResult(pipe_.get(), &ov, &bytes, TRUE)) {
            timedOut = false;
            return true;
        }
        if (!timedOut) broken_ = true;
        return false;
    }

    bool Send(const Message& message) {
        const auto bytes = Encode(message);
        OVERLAPPED ov{};
        ov.hEvent = event_.get();
        ::ResetEvent(event_.get());
        if (!::WriteFile(pipe_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov) &&
            ::GetLastError() != ERROR_IO_PENDING) {
            broken_ = true;
            return false;
        }
        DWORD written = 0;
        bool timedOut = false;
        if (!Finish(ov, kReplyTimeoutMs, written, timedOut) || written != bytes.size()) {
            broken_ = true;
            return false;
        }
        return true;
    }

    std::optional<Message> Receive(DWORD timeoutMs, bool& timedOut, bool wakeOnMessage = false) {
        timedOut = false;
        OVERLAPPED ov{};
        ov.hEvent = event_.get();
        ::ResetEvent(event_.get());
        if (!::ReadFile(pipe_.get(), buffer_, sizeof buffer_, nullptr, &ov) && ::GetLastError() != ERROR_IO_PENDING) {
            broken_ = true;
            return std::nullopt;
        }
        DWORD got = 0;
        if (!Finish(ov, timeoutMs, got, timedOut, wakeOnMessage)) return std::nullopt;
        auto m = Decode(buffer_, got);
        if (!m) broken_ = true;  // not our protocol
        return m;
    }

    UniqueFile pipe_;
    UniqueHandle event_;
    std::deque<std::vector<uint8_t>> reports_;
    bool broken_ = false;
    uint8_t buffer_[kMaxMessage];
};

class VirtualHidSystem final : public IHidSystem {
public:
    explicit VirtualHidSystem(std::string instance) : instance_(std::move(instance)) {}

    std::vector<std::string> EnumerateInterfacePaths() override {
        std::vector<std::string> paths;
        for (const auto& e : ReadDirectory()) paths.push_back(e.path);
        return paths;
    }

    std::unique_ptr<IHidDevice> Open(const std::string& path, bool /*overlapped*/) override {
        // Every connection is overlapped, so that reads can time out; the
        // caller's choice makes no difference here.
        std::string pipeName;
        for (const auto& e : ReadDirectory())
            if (e.path == path) pipeName = e.pipe;
        if (pipeName.empty()) return nullptr;
        SECURITY_ATTRIBUTES sa{};
        sa.nLength = sizeof(SECURITY_ATTRIBUTES);
        sa.bInheritHandle = TRUE;
        for (int attempt = 0; attempt < 10; ++attempt) {
            UniqueFile pipe(::CreateFileA(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &sa, OPEN_EXISTING,
                                          FILE_FLAG_OVERLAPPED, nullptr));
            if (pipe) {
                DWORD mode = PIPE_READMODE_MESSAGE;
                if (!::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) return nullptr;
                auto device = std::make_unique<VirtualHidDevice>(std::move(pipe));
                return device;
            }
            // All instances busy: the program is between two connections.
            if (::GetLastError() != ERROR_PIPE_BUSY) return nullptr;
            ::WaitNamedPipeA(pipeName.c_str(), 200);
        }
        return nullptr;
    }

private:
    std::vector<DirectoryEntry> ReadDirectory() {
        UniqueHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, DirectoryMappingName(instance_).c_str()));
        if (!mapping) return {};
        UniqueView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, kDirectoryBytes));
        if (!view) return {};
        UniqueHandle lock(::OpenMutexA(SYNCHRONIZE, FALSE, DirectoryMutexName(instance_).c_str()));
        std::vector<uint8_t> copy(kDirectoryBytes);
        if (lock) {
            const DWORD wait = ::WaitForSingleObject(lock.get(), kDirectoryLockMs);
            if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return {};
            std::memcpy(copy.data(), view.get(), kDirectoryBytes);
            ::ReleaseMutex(lock.get());
        } else {
            return {};
        }
        auto entries = DecodeDirectory(copy.data(), copy.size());
        return entries ? *entries : std::vector<DirectoryEntry>{};
    }

    std::string instance_;
};

} // namespace

std::unique_ptr<IHidSystem> MakeVirtualHidSystem(const std::string& instance) {
    return std::make_unique<VirtualHidSystem>(instance);
}

} // namespace orvex::hid
