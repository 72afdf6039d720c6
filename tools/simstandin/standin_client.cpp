#include "tools/simstandin/standin_client.h"

#include "tools/simstandin/pipe_client_win32.h"

#include "common/win32/handles.h"
#include "common/win32/process_util.h"

#include <windows.h>

#include <charconv>
#include <cstdio>
#include <sstream>

namespace orvex::simstandin {

namespace {
constexpr uint32_t kCommandTimeoutMs = 10000;
constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kStopTimeoutMs = 5000;
constexpr int kStartAttempts = 3;
// The stand-in's own exit codes when it refuses to run.
constexpr DWORD kExitUsage = 2;
constexpr DWORD kExitRefused = 3;
}  // namespace

struct SimStandinProcess::Impl {
    win32::UniqueHandle process;
};

SimStandinProcess::SimStandinProcess() : impl_(std::make_unique<Impl>()), pipePath_(kDefaultPipeName) {}

SimStandinProcess::~SimStandinProcess() { Stop(); }

bool SimStandinProcess::Running() const {
    return impl_->process && ::WaitForSingleObject(impl_->process.get(), 0) == WAIT_TIMEOUT;
}

bool SimStandinProcess::Start(const std::string& args) {
    Stop();
    lastStartError_.clear();
    std::string pipeName;
    std::istringstream in(args);
    for (std::string word; in >> word;)
        if (word == "--pipe") in >> pipeName;
    pipePath_ = simstandin::PipePath(pipeName);

    const ULONGLONG deadline = ::GetTickCount64() + kStartTimeoutMs;
    for (int attempt = 1;; ++attempt) {
        const StartOutcome outcome = StartOnce(args, deadline);
        if (outcome == StartOutcome::Started) return true;
        // A launch that died before the stand-in could refuse (the loader
        // failing under a busy Wine) is tried again; a refusal of its own
        // (a pipe or window already in use, bad options) is final.
        if (outcome != StartOutcome::LaunchFailed || attempt == kStartAttempts || ::GetTickCount64() >= deadline)
            return false;
        ::Sleep(100);
    }
}

SimStandinProcess::StartOutcome SimStandinProcess::StartOnce(const std::string& args, unsigned long long deadline) {
    impl_->process.reset(win32::StartToolBesideProgram("SimStandin.exe", args));
    if (!impl_->process) {
        lastStartError_ = "CreateProcess failed with error " + std::to_string(::GetLastError());
        return StartOutcome::LaunchFailed;
    }
    while (::GetTickCount64() < deadline) {
        if (!Running()) {
            DWORD code = 0;
            ::GetExitCodeProcess(impl_->process.get(), &code);
            impl_->process.reset();
            lastStartError_ = "SimStandin.exe ended at once with exit code " + std::to_string(code);
            return code == kExitUsage || code == kExitRefused ? StartOutcome::Refused : StartOutcome::LaunchFailed;
        }
        std::string reply;
        std::string error;
        // The pipe may belong to a stand-in left over from elsewhere (ours
        // then ends at once): it is ours when it names our process.
        if (PipeRequest(pipePath_, "pid", 1000, reply, error) &&
            reply == "ok " + std::to_string(::GetProcessId(impl_->process.get())))
            return StartOutcome::Started;
        ::Sleep(50);
    }
    Stop();
    lastStartError_ = "SimStandin.exe did not answer on " + pipePath_ + " within 10 s";
    return StartOutcome::Refused;
}

std::string SimStandinProcess::Command(const std::string& line) {
    std::string reply;
    std::string error;
    if (!PipeRequest(pipePath_, line, kCommandTimeoutMs, reply, error)) return "error " + error;
    return reply;
}

bool SimStandinProcess::Ok(const std::string& line) { return Command(line).rfind("ok", 0) == 0; }

std::vector<uint8_t> SimStandinProcess::Get(uint32_t offset, uint32_t size) {
    char line[64];
    std::snprintf(line, sizeof line, "get 0x%X %u", offset, size);
    const std::string reply = Command(line);
    std::vector<uint8_t> bytes;
    if (reply.rfind("ok ", 0) != 0 || (reply.size() - 3) % 2 != 0) return bytes;
    for (size_t i = 3; i + 1 < reply.size(); i += 2) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(reply.data() + i, reply.data() + i + 2, value, 16);
        if (ec != std::errc() || end != reply.data() + i + 2) return {};
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

bool SimStandinProcess::Set(uint32_t offset, const std::vector<uint8_t>& bytes) {
    char head[32];
    std::snprintf(head, sizeof head, "set 0x%X ", offset);
    std::string line = head;
    static const char digits[] = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return Ok(line);
}

bool SimStandinProcess::SetInt(uint32_t offset, int size, int64_t value) {
    char line[80];
    std::snprintf(line, sizeof line, "setint 0x%X %d %lld", offset, size, static_cast<long long>(value));
    return Ok(line);
}

uint64_t SimStandinProcess::Exchanges() { return Stat("exchanges"); }

uint64_t SimStandinProcess::LateAnswers() { return Stat("late"); }

uint64_t SimStandinProcess::Stat(const std::string& name) {
    const std::string reply = Command("stats");
    const size_t at = reply.find(" " + name + "=");
    if (reply.rfind("ok", 0) != 0 || at == std::string::npos) return UINT64_MAX;
    uint64_t n = 0;
    const char* first = reply.data() + at + name.size() + 2;
    const auto [end, ec] = std::from_chars(first, reply.data() + reply.size(), n);
    return ec == std::errc() && end != first ? n : UINT64_MAX;
}

void SimStandinProcess::Stop() {
    if (!impl_->process) return;
    if (Running()) {
        std::string reply;
        std::string error;
        PipeRequest(pipePath_, "quit", 3000, reply, error);
        if (::WaitForSingleObject(impl_->process.get(), kStopTimeoutMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(impl_->process.get(), 9);
            ::WaitForSingleObject(impl_->process.get(), kStopTimeoutMs);
        }
    }
    impl_->process.reset();
}

}  // namespace orvex::simstandin
