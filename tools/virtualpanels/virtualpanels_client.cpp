#include "tools/virtualpanels/virtualpanels_client.h"

#include "common/win32/handles.h"
#include "common/win32/process_util.h"
#include "relaybox/hid/virtual_protocol.h"

#include <windows.h>

#include <charconv>
#include <cstdio>
#include <sstream>

namespace orvex::virtualpanels {

using win32::UniqueFile;
using win32::UniqueHandle;

struct VirtualPanelsProcess::Impl {
    UniqueHandle process;
    UniqueFile pipe;

    bool Connect(const std::string& instance) {
        const std::string name = hid::virt::ControlPipeName(instance);
        for (int attempt = 0; attempt < 10; ++attempt) {
            pipe.reset(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (pipe) break;
            if (::GetLastError() != ERROR_PIPE_BUSY) return false;
            ::WaitNamedPipeA(name.c_str(), 250);
        }
        if (!pipe) return false;
        DWORD mode = PIPE_READMODE_MESSAGE;
        return ::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr) != FALSE;
    }

    bool Exchange(const std::string& line, std::string& reply) {
        DWORD n = 0;
        if (!::WriteFile(pipe.get(), line.data(), static_cast<DWORD>(line.size()), &n, nullptr)) return false;
        reply.assign(4096, '\0');
        if (!::ReadFile(pipe.get(), reply.data(), static_cast<DWORD>(reply.size()), &n, nullptr)) return false;
        reply.resize(n);
        return true;
    }
};

VirtualPanelsProcess::VirtualPanelsProcess() : impl_(std::make_unique<Impl>()), instance_(hid::virt::kDefaultInstance) {}

VirtualPanelsProcess::~VirtualPanelsProcess() { Stop(); }

bool VirtualPanelsProcess::Start(const std::string& args) {
    Stop();
    instance_ = hid::virt::kDefaultInstance;
    std::istringstream in(args);
    for (std::string word; in >> word;)
        if (word == "--pipe") in >> instance_;

    impl_->process.reset(win32::StartToolBesideProgram("VirtualPanels.exe", args));
    if (!impl_->process) return false;

    const ULONGLONG deadline = ::GetTickCount64() + 20000;
    while (::GetTickCount64() < deadline) {
        if (::WaitForSingleObject(impl_->process.get(), 0) == WAIT_OBJECT_0) {
            impl_->process.reset();
            return false;  // it ended: bad arguments, or the name is taken
        }
        if (Command("ping") == "ok pong") return true;
        ::Sleep(50);
    }
    Stop();
    return false;
}

std::string VirtualPanelsProcess::Command(const std::string& line) {
    std::string reply;
    if (impl_->pipe && impl_->Exchange(line, reply)) return reply;
    // Reconnect once: the program may have been restarted or the pipe broken.
    impl_->pipe.reset();
    if (impl_->Connect(instance_) && impl_->Exchange(line, reply)) return reply;
    impl_->pipe.reset();
    return "error no connection";
}

bool VirtualPanelsProcess::Ok(const std::string& line) { return Command(line).rfind("ok", 0) == 0; }

std::vector<uint8_t> VirtualPanelsProcess::LastFeature(int device, int reportId) {
    char id[8];
    std::snprintf(id, sizeof id, "%02x", reportId & 0xFF);
    const std::string reply = Command("feature " + std::to_string(device) + " " + id);
    if (reply.rfind("ok ", 0) != 0) return {};
    auto bytes = hid::virt::FromHex(reply.substr(3));
    return bytes ? *bytes : std::vector<uint8_t>{};
}

uint64_t VirtualPanelsProcess::FeatureWrites(int device) {
    const std::string reply = Command("writes " + std::to_string(device));
    if (reply.rfind("ok ", 0) != 0) return 0;
    uint64_t count = 0;
    const char* first = reply.data() + 3;
    std::from_chars(first, reply.data() + reply.size(), count);
    return count;
}

std::string VirtualPanelsProcess::Path(int device) {
    const std::string reply = Command("path " + std::to_string(device));
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : std::string();
}

void VirtualPanelsProcess::Stop() {
    if (!impl_->process) return;
    Command("quit");
    impl_->pipe.reset();
    if (::WaitForSingleObject(impl_->process.get(), 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(impl_->process.get(), 1);  // our own child, which hung
        ::WaitForSingleObject(impl_->process.get(), 2000);
    }
    impl_->process.reset();
}

} // namespace orvex::virtualpanels
