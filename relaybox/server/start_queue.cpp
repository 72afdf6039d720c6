#include "relaybox/server/start_queue.h"

#include "relaybox/com_util.h"

#include <deque>

namespace orvex::relaybox::server {

namespace {

struct StartQueue {
    std::deque<com::ComPtr<Runnable>> objects;
    UINT_PTR timer = 0;
};

StartQueue& ThreadQueue() {
    thread_local StartQueue queue;
    return queue;
}

void CALLBACK RunQueue(HWND, UINT, UINT_PTR, DWORD) noexcept {
    StartQueue& queue = ThreadQueue();
    while (!queue.objects.empty()) {
        com::ComPtr<Runnable> object = std::move(queue.objects.front());
        queue.objects.pop_front();
        // Returns when the object's loop has ended.
        object->Start();
        ::CoLockObjectExternal(object.Get(), FALSE, TRUE);
    }
    if (queue.timer != 0) {
        ::KillTimer(nullptr, queue.timer);
        queue.timer = 0;
    }
}

} // namespace

void StartObject(Runnable* object) {
    StartQueue& queue = ThreadQueue();
    ::CoLockObjectExternal(object, TRUE, TRUE);
    queue.objects.push_back(com::ComPtr<Runnable>::Share(object));
    if (queue.timer == 0) queue.timer = ::SetTimer(nullptr, 0, 1, RunQueue);
}

} // namespace orvex::relaybox::server
