#include "simlink/win32/link_thread_win32.h"

#include <windows.h>

namespace orvex::simlink {

Win32LinkThread::Win32LinkThread()
    : link_(platform_),
      work_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      done_(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {
    link_.SetAbortFlag(&abort_);
    thread_ = std::thread([this] { Run(); });
}

Win32LinkThread::~Win32LinkThread() {
    stop_.store(true);
    ::SetEvent(work_.get());
    if (thread_.joinable()) thread_.join();
    // The thread is gone: whatever it left open is released here.
    link_.LinkClose();
}

void Win32LinkThread::NotifyWindow(HWND window, UINT message) {
    notifyMessage_.store(message);
    notifyWindow_.store(window);
}

void Win32LinkThread::Start(LinkBatch& batch) {
    ::ResetEvent(done_.get());
    finished_.store(false, std::memory_order_relaxed);
    job_ = &batch;
    ::SetEvent(work_.get());  // publishes job_ to the thread
}

bool Win32LinkThread::Done() { return finished_.load(std::memory_order_acquire); }

bool Win32LinkThread::WaitDone(uint32_t ms) {
    if (Done()) return true;
    ::WaitForSingleObject(done_.get(), ms);
    return Done();
}

void Win32LinkThread::Abort(bool abort) { abort_.store(abort); }

uint32_t Win32LinkThread::Now() { return ::GetTickCount(); }

void Win32LinkThread::Run() {
    for (;;) {
        ::WaitForSingleObject(work_.get(), INFINITE);
        if (stop_.load()) return;
        LinkBatch* job = job_;
        if (job == nullptr) continue;
        job_ = nullptr;
        RunBatch(link_, *job);
        finished_.store(true, std::memory_order_release);
        ::SetEvent(done_.get());
        const HWND window = notifyWindow_.load();
        if (window != nullptr) ::PostMessageA(window, notifyMessage_.load(), 0, 0);
    }
}

} // namespace orvex::simlink
