#include "tools/virtualpanels/engine_win32.h"

#include "common/win32/handles.h"
#include "common/win32/process_util.h"
#include "relaybox/hid/virtual_protocol.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <list>
#include <map>

namespace orvex::virtualpanels {

using namespace hid::virt;
using win32::UniqueFile;
using win32::UniqueHandle;
using win32::UniqueView;

namespace {

constexpr ULONG_PTR kStopKey = 1;
constexpr ULONG_PTR kSubmitKey = 2;
constexpr size_t kMaxQueuedPerQueue = 16;  // about a second of wheel turning
constexpr DWORD kControlBufferBytes = 4096;
constexpr DWORD kPipeBufferBytes = 16 * 1024;
constexpr size_t kQueuedReportsPerHandle = 32;  // as a HID driver's input buffer
constexpr double kSnapshotPeriodMs = 100;

using win32::NowMs;

struct Endpoint;

struct Io : OVERLAPPED {
    enum class Kind { Connect, Read, Write } kind;
    Endpoint* owner;
    Io(Kind k, Endpoint* o) : OVERLAPPED{}, kind(k), owner(o) {}
};

// One instance of a pipe: listening until a client connects, then serving it.
struct Endpoint {
    explicit Endpoint(uint64_t i, int dev) : id(i), device(dev) {}
    uint64_t id;
    int device;  // 0: the control pipe
    UniqueFile pipe;
    Io connectIo{Io::Kind::Connect, this};
    Io readIo{Io::Kind::Read, this};
    Io writeIo{Io::Kind::Write, this};
    bool connected = false;
    bool closed = false;
    int pending = 0;
    uint8_t in[kControlBufferBytes];
    std::deque<std::vector<uint8_t>> out;
    bool writing = false;
    // Device handles: an unanswered read request and the reports not yet asked for.
    bool readWanted = false;
    std::deque<InputReport> queued;
};

struct Script {
    uint64_t control;  // 0: submitted in-process, no reply
    double start;
    std::vector<Step> steps;
    size_t next = 0;
    std::string reply;
    std::string queue;     // scripts of one queue run one after the other
    bool waiting = false;  // queued behind another of its queue
};

struct Submission {
    std::string line;
    std::string queue;
};

} // namespace

struct Engine::Impl {
    Impl(std::string name, PanelBank b) : instance(std::move(name)), bank(std::move(b)) {}

    std::string instance;
    PanelBank bank;
    UniqueHandle port;
    UniqueHandle mapping;
    UniqueView view;
    UniqueHandle lock;
    std::map<uint64_t, std::unique_ptr<Endpoint>> endpoints;
    std::list<Script> scripts;
    uint64_t nextId = 1;
    bool stopping = false;
    bool quitting = false;
    double quitDeadline = 0;
    bool dirty = true;
    double lastSnapshot = -1e9;

    mutable std::mutex snapshotMutex;
    std::vector<std::string> snapshot;
    uint64_t snapshotVersion = 0;

    std::mutex submitMutex;
    std::deque<Submission> submitted;

    std::function<void(int)> observer;
    mutable std::mutex viewMutex;
    std::vector<PanelView> views;  // by device number - 1

    // --- pipes --------------------------------------------------------------------
    std::string PipeNameOf(int device) const {
        return device == 0 ? ControlPipeName(instance) : DevicePipeName(instance, device);
    }

    bool Listen(int device, bool first = false) {
        auto ep = std::make_unique<Endpoint>(nextId++, device);
        const DWORD inBytes = device == 0 ? kControlBufferBytes : kMaxMessage;
        ep->pipe.reset(::CreateNamedPipeA(
            PipeNameOf(device).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, PIPE_UNLIMITED_INSTANCES,
            kPipeBufferBytes, inBytes, 0, nullptr));
        if (!ep->pipe) return false;
        if (!::CreateIoCompletionPort(ep->pipe.get(), port.get(), 0, 0)) return false;
        Endpoint* raw = ep.get();
        endpoints.emplace(raw->id, std::move(ep));
        if (::ConnectNamedPipe(raw->pipe.get(), &raw->connectIo)) {
            ++raw->pending;  // completed; its packet is queued
        } else {
            const DWORD error = ::GetLastError();
            if (error == ERROR_IO_PENDING) {
                ++raw->pending;
            } else if (error == ERROR_PIPE_CONNECTED) {
                // A client came between create and connect: no packet follows, make one.
                ++raw->pending;
                ::PostQueuedCompletionStatus(port.get(), 0, 0, &raw->connectIo);
            } else {
                endpoints.erase(raw->id);  // nothing pending: the handle closes with it
                return false;
            }
        }
        return true;
    }

    void Close(Endpoint& ep) {
        if (ep.closed) return;
        ep.closed = true;
        ep.readWanted = false;
        ep.pipe.reset();  // cancels what is pending; the packets still arrive
    }

    void Reap(Endpoint& ep) {
        if (ep.closed && ep.pending == 0) endpoints.erase(ep.id);
    }

    void StartRead(Endpoint& ep) {
        if (ep.closed) return;
        const DWORD size = ep.device == 0 ? kControlBufferBytes : kMaxMessage;
        if (::ReadFile(ep.pipe.get(), ep.in, size, nullptr, &ep.readIo) || ::GetLastError() == ERROR_IO_PENDING)
            ++ep.pending;
        else
            Close(ep);
    }

    void Send(Endpoint& ep, std::vector<uint8_t> bytes) {
        if (ep.closed) return;
        ep.out.push_back(std::move(bytes));
        StartWrite(ep);
    }

    void Send(Endpoint& ep, const Message& m) { Send(ep, Encode(m)); }

    void StartWrite(Endpoint& ep) {
        if (ep.closed || ep.writing || ep.out.empty()) return;
        const auto& bytes = ep.out.front();
        if (::WriteFile(ep.pipe.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ep.writeIo) ||
            ::GetLastError() == ERROR_IO_PENDING) {
            ++ep.pending;
            ep.writing = true;
        } else {
            Close(ep);
        }
    }

    // --- devices ------------------------------------------------------------------
    void Broadcast(int device, const InputReport& report) {
        for (auto& [id, ep] : endpoints) {
            if (ep->device != device || !ep->connected || ep->closed) continue;
            if (ep->readWanted) {
                ep->readWanted = false;
                Send(*ep, Message{Op::InputReport, std::vector<uint8_t>(report.begin(), report.end())});
            } else {
                if (ep->queued.size() == kQueuedReportsPerHandle) ep->queued.pop_front();
                ep->queued.push_back(report);
            }
        }
    }

    void Unplug(int device) {
        for (auto& [id, ep] : endpoints)
            if (ep->device == device) Close(*ep);
        Publish();
    }

    void Plug(int device) {
        for (auto& [id, ep] : endpoints)
            if (ep->device == device && !ep->closed && !ep->connected) return;  // already listening
        Listen(device);
        Publish();
    }

    void OnDeviceMessage(Endpoint& ep, DWORD bytes) {
        Device* device = bank.Find(ep.device);
        auto m = Decode(ep.in, bytes);
        if (!device || !m) {
            Close(ep);
            return;
        }
        PanelModel& model = device->model;
        switch (m->op) {
        case Op::Attributes:
            Send(ep, Message{Op::AttributesReply,
                             EncodeAttributes({kSaitekVendorId, Info(model.Kind()).productId, 0x0100})});
            break;
        case Op::Caps: Send(ep, Message{Op::CapsReply, EncodeCaps(CapsFor(model.Kind()))}); break;
        case Op::Read:
            if (!ep.queued.empty()) {
                const InputReport r = ep.queued.front();
                ep.queued.pop_front();
                Send(ep, Message{Op::InputReport, std::vector<uint8_t>(r.begin(), r.end())});
            } else {
                ep.readWanted = true;
            }
            break;
        case Op::Cancel:
            ep.readWanted = false;
            Send(ep, Message{Op::CancelReply, {}});
            break;
        case Op::SetFeature: {
            const bool ok = model.WriteFeature(m->body.data(), m->body.size());
            Send(ep, Message{Op::SetFeatureReply, {static_cast<uint8_t>(ok ? 1 : 0)}});
            dirty = true;
            if (ok) UpdateView(*device);
            break;
        }
        case Op::GetFeature: {
            const size_t length = static_cast<size_t>(m->body[0] | (m->body[1] << 8));
            auto report = length <= kMaxFeatureBytes ? model.ReadFeature(m->body[2], length) : std::nullopt;
            std::vector<uint8_t> body{static_cast<uint8_t>(report ? 1 : 0)};
            if (report) body.insert(body.end(), report->begin(), report->end());
            Send(ep, Message{Op::GetFeatureReply, std::move(body)});
            break;
        }
        default: Close(ep); return;  // an answer where a request belongs
        }
        StartRead(ep);
    }

    // --- control ------------------------------------------------------------------
    void OnControlMessage(Endpoint& ep, DWORD bytes) {
        std::string line(reinterpret_cast<const char*>(ep.in), bytes);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == '\0')) line.pop_back();
        Plan plan = Interpret(bank, line);
        if (plan.quit) {
            quitting = true;
            quitDeadline = NowMs() + 1000;
        }
        if (plan.steps.empty()) {
            Reply(ep.id, plan.reply);
            return;
        }
        scripts.push_back(Script{ep.id, NowMs(), std::move(plan.steps), 0, std::move(plan.reply), {}, false});
        RunScripts();
    }

    void Reply(uint64_t control, const std::string& text) {
        auto it = endpoints.find(control);
        if (it == endpoints.end() || it->second->closed) return;
        Send(*it->second, std::vector<uint8_t>(text.begin(), text.end()));
        StartRead(*it->second);  // the next command
    }

    void Execute(const Step& step) {
        auto report = Apply(bank, step);
        if (step.what == Step::What::Unplug || step.what == Step::What::PowerOff || step.what == Step::What::NewPath)
            Unplug(step.device);
        if (step.what == Step::What::Plug) Plug(step.device);
        if (report) Broadcast(step.device, *report);
        dirty = true;
        if (const Device* device = bank.Find(step.device)) UpdateView(*device);
    }

    // Keeps what the device shows for the drawn panels and tells them when it changed.
    void UpdateView(const Device& device) {
        PanelView now = ViewOf(device);
        {
            std::lock_guard<std::mutex> guard(viewMutex);
            const size_t index = static_cast<size_t>(device.number - 1);
            if (index >= views.size()) views.resize(index + 1);
            if (views[index] == now) return;
            views[index] = std::move(now);
        }
        if (observer) observer(device.number);
    }

    // Commands given in-process: planned as the pipe's, carried out by the same scripts.
    void TakeSubmissions() {
        std::deque<Submission> taken;
        {
            std::lock_guard<std::mutex> guard(submitMutex);
            taken.swap(submitted);
        }
        for (Submission& s : taken) {
            Plan plan = Interpret(bank, s.line);
            if (plan.steps.empty()) continue;  // refused, or nothing to do
            size_t ahead = 0;
            if (!s.queue.empty())
                for (const Script& other : scripts)
                    if (other.queue == s.queue) ++ahead;
            if (ahead > kMaxQueuedPerQueue) continue;
            scripts.push_back(Script{0, NowMs(), std::move(plan.steps), 0, {}, std::move(s.queue), ahead > 0});
        }
    }

    void RunScripts() {
        const double now = NowMs();
        for (auto it = scripts.begin(); it != scripts.end();) {
            if (it->waiting) {
                ++it;
                continue;
            }
            while (it->next < it->steps.size() && it->start + it->steps[it->next].atMs <= now)
                Execute(it->steps[it->next++]);
            if (it->next == it->steps.size()) {
                if (it->control != 0) Reply(it->control, it->reply);
                // The next of its queue follows one step's spacing after this one's last
                // step, as one longer script would (it comes later in the list, so this
                // pass runs it when it is due already).
                if (!it->queue.empty()) {
                    const auto& steps = it->steps;
                    const double spacing = steps.size() >= 2 ? steps[1].atMs - steps[0].atMs : 0;
                    for (auto next = std::next(it); next != scripts.end(); ++next)
                        if (next->waiting && next->queue == it->queue) {
                            next->waiting = false;
                            next->start = std::max(now, it->start + steps.back().atMs + spacing);
                            break;
                        }
                }
                it = scripts.erase(it);
            } else {
                ++it;
            }
        }
    }

    // --- directory and snapshot ---------------------------------------------------------
    bool OpenDirectory(std::string& error) {
        mapping.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kDirectoryBytes,
                                           DirectoryMappingName(instance).c_str()));
        if (mapping) view.reset(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, kDirectoryBytes));
        lock.reset(::CreateMutexA(nullptr, FALSE, DirectoryMutexName(instance).c_str()));
        if (!mapping || !view || !lock) {
            error = "cannot create the device directory";
            return false;
        }
        return true;
    }

    void Publish() {
        std::vector<DirectoryEntry> entries;
        for (const auto& d : bank.Devices())
            if (d.present)
                entries.push_back({d.path, DevicePipeName(instance, d.number), kSaitekVendorId,
                                   Info(d.model.Kind()).productId, 0x0100});
        auto block = EncodeDirectory(entries);
        if (block.size() > kDirectoryBytes) block = EncodeDirectory({});
        const DWORD wait = ::WaitForSingleObject(lock.get(), 5000);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
        std::memcpy(view.get(), block.data(), block.size());
        ::ReleaseMutex(lock.get());
        dirty = true;
    }

    void TakeSnapshot() {
        std::vector<std::string> lines;
        lines.push_back("instance " + instance + ": " + std::to_string(bank.Devices().size()) + " virtual panels");
        for (const auto& d : bank.Devices()) {
            int handles = 0;
            for (const auto& [id, ep] : endpoints)
                if (ep->device == d.number && ep->connected && !ep->closed) ++handles;
            lines.push_back(DescribeDevice(d) + " handles=" + std::to_string(handles));
            lines.push_back("    " + d.path);
        }
        std::lock_guard<std::mutex> guard(snapshotMutex);
        snapshot = std::move(lines);
        ++snapshotVersion;
    }

    // --- the loop -----------------------------------------------------------------------
    DWORD NextTimeout() const {
        double due = 1e300;
        for (const auto& s : scripts)
            if (!s.waiting && s.next < s.steps.size()) due = std::min(due, s.start + s.steps[s.next].atMs);
        if (dirty) due = std::min(due, lastSnapshot + kSnapshotPeriodMs);
        if (quitting) due = std::min(due, quitDeadline);
        if (due >= 1e299) return INFINITE;
        const double wait = due - NowMs();
        return wait <= 0 ? 0 : static_cast<DWORD>(std::ceil(wait));
    }

    bool QuitReplySent() const {
        for (const auto& [id, ep] : endpoints)
            if (ep->device == 0 && !ep->closed && (ep->writing || !ep->out.empty())) return false;
        return true;
    }

    void Loop() {
        while (!stopping) {
            DWORD bytes = 0;
            ULONG_PTR key = 0;
            OVERLAPPED* ov = nullptr;
            const BOOL ok = ::GetQueuedCompletionStatus(port.get(), &bytes, &key, &ov, NextTimeout());
            if (ov == nullptr) {
                if (key == kStopKey && ok) stopping = true;
                if (key == kSubmitKey && ok) TakeSubmissions();
            } else {
                Io* io = static_cast<Io*>(ov);
                Endpoint& ep = *io->owner;
                --ep.pending;
                OnCompletion(ep, *io, ok != FALSE, bytes);
                Reap(ep);
            }
            RunScripts();
            if (dirty && NowMs() - lastSnapshot >= kSnapshotPeriodMs) {
                TakeSnapshot();
                dirty = false;
                lastSnapshot = NowMs();
            }
            if (quitting && (QuitReplySent() || NowMs() >= quitDeadline)) stopping = true;
        }
    }

    void OnCompletion(Endpoint& ep, Io& io, bool ok, DWORD bytes) {
        switch (io.kind) {
        case Io::Kind::Connect:
            if (ep.closed) return;
            if (!ok) {
                Close(ep);
                if (!stopping) Listen(ep.device);
                return;
            }
            ep.connected = true;
            if (Device* device = bank.Find(ep.device)) ++device->opens;
            Listen(ep.device);  // the next client's instance
            StartRead(ep);
            dirty = true;
            return;
        case Io::Kind::Read:
            if (ep.closed) return;
            if (!ok) {  // the client went away
                Close(ep);
                dirty = true;
                return;
            }
            if (ep.device == 0)
                OnControlMessage(ep, bytes);
            else
                OnDeviceMessage(ep, bytes);
            return;
        case Io::Kind::Write:
            ep.writing = false;
            if (!ep.out.empty()) ep.out.pop_front();
            if (ep.closed) return;
            if (!ok) {
                Close(ep);
                return;
            }
            StartWrite(ep);
            return;
        }
    }

    void Shutdown() {
        for (auto& [id, ep] : endpoints) Close(*ep);
        // Drain the cancellations so that no operation outlives its endpoint.
        const double deadline = NowMs() + 2000;
        while (!endpoints.empty() && NowMs() < deadline) {
            DWORD bytes = 0;
            ULONG_PTR key = 0;
            OVERLAPPED* ov = nullptr;
            ::GetQueuedCompletionStatus(port.get(), &bytes, &key, &ov, 100);
            if (!ov) continue;
            Endpoint& ep = *static_cast<Io*>(ov)->owner;
            --ep.pending;
            Reap(ep);
        }
        // Anything still pending now is leaked on purpose rather than freed under the system.
        for (auto& [id, ep] : endpoints) (void)ep.release();
        endpoints.clear();
    }
};

Engine::Engine(std::string instance, PanelBank bank)
    : impl_(std::make_unique<Impl>(instance, std::move(bank))), instance_(std::move(instance)) {}

Engine::~Engine() = default;

bool Engine::Open(std::string& error) {
    Impl& i = *impl_;
    i.port.reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!i.port) {
        error = "cannot create the completion port";
        return false;
    }
    if (!i.Listen(0, true)) {
        error = "the control pipe " + ControlPipeName(instance_) + " is taken (another VirtualPanels under this name?)";
        return false;
    }
    if (!i.OpenDirectory(error)) return false;
    for (const auto& d : i.bank.Devices())
        if (!i.Listen(d.number)) {
            error = "cannot create the pipe of device " + std::to_string(d.number);
            return false;
        }
    i.Publish();
    i.TakeSnapshot();
    for (const auto& d : i.bank.Devices()) i.UpdateView(d);
    return true;
}

void Engine::Run(const std::function<void()>& onStopped) {
    impl_->Loop();
    // Withdraw the devices before the pipes go.
    for (auto& d : impl_->bank.Devices()) d.present = false;
    impl_->Publish();
    impl_->Shutdown();
    if (onStopped) onStopped();
}

void Engine::Stop() {
    if (impl_->port) ::PostQueuedCompletionStatus(impl_->port.get(), 0, kStopKey, nullptr);
}

void Engine::Submit(std::string line, std::string queue) {
    {
        std::lock_guard<std::mutex> guard(impl_->submitMutex);
        impl_->submitted.push_back({std::move(line), std::move(queue)});
    }
    if (impl_->port) ::PostQueuedCompletionStatus(impl_->port.get(), 0, kSubmitKey, nullptr);
}

void Engine::SetObserver(std::function<void(int device)> onChange) { impl_->observer = std::move(onChange); }

std::optional<PanelView> Engine::View(int device) const {
    std::lock_guard<std::mutex> guard(impl_->viewMutex);
    if (device < 1 || static_cast<size_t>(device) > impl_->views.size()) return std::nullopt;
    return impl_->views[static_cast<size_t>(device - 1)];
}

std::vector<std::string> Engine::Snapshot(uint64_t& version) const {
    std::lock_guard<std::mutex> guard(impl_->snapshotMutex);
    version = impl_->snapshotVersion;
    return impl_->snapshot;
}

} // namespace orvex::virtualpanels
