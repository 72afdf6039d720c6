// The link thread: owns the FSUIPC connection (window, atom, mapping) and
// runs the batches the user-interface thread hands it, one at a time.
#pragma once

#include "common/win32/handles.h"
#include "simlink/link_scheduler.h"
#include "simlink/win32/fsuipc_platform_win32.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace orvex::simlink {

class Win32LinkThread final : public ILinkWorker {
public:
    Win32LinkThread();
    ~Win32LinkThread() override;
    Win32LinkThread(const Win32LinkThread&) = delete;
    Win32LinkThread& operator=(const Win32LinkThread&) = delete;

    // Where the thread posts `message` when a batch is finished; a null
    // window: nowhere.
    void NotifyWindow(HWND window, UINT message);

    void Start(LinkBatch& batch) override;
    bool Done() override;
    bool WaitDone(uint32_t ms) override;
    void Abort(bool abort) override;
    uint32_t Now() override;

private:
    void Run();

    Win32LinkPlatform platform_;
    FsuipcLink link_;
    orvex::win32::UniqueResource<orvex::win32::HandleTraits> work_;
    orvex::win32::UniqueResource<orvex::win32::HandleTraits> done_;
    LinkBatch* job_ = nullptr;  // handed over through the events
    std::atomic<bool> finished_{true};
    std::atomic<bool> stop_{false};
    std::atomic<bool> abort_{false};
    std::atomic<HWND> notifyWindow_{nullptr};
    std::atomic<UINT> notifyMessage_{0};
    std::thread thread_;
};

// The link the program uses: the thread and the scheduler in front of it.
class Win32ScheduledLink {
public:
    Win32ScheduledLink() : scheduler_(thread_) {}
    LinkScheduler& Scheduler() { return scheduler_; }
    Win32LinkThread& Thread() { return thread_; }

private:
    Win32LinkThread thread_;
    LinkScheduler scheduler_;  // ends before the thread it uses
};

} // namespace orvex::simlink
