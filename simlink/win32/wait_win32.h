// The clock, sleep and message pump behind WaitFor, and a pump for the
// places that let pending window messages run once.
#pragma once

#include "simlink/sim_commands.h"

#include <cstdint>

namespace orvex::simlink {

// Runs the messages pending for this thread once (translate and dispatch),
// then returns; messages that arrive while it runs (a timer due again, a
// message a handler posts) end it, so it always returns. A WM_QUIT found on
// the way is posted again so that the thread's own message loop still sees it.
void DoEvents();

// GetTickCount, Sleep and DoEvents.
class Win32WaitHost final : public IWaitHost {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    void PumpMessages() override;
};

// WaitFor on the real clock and message queue of the calling thread.
bool WaitFor(int32_t durationMs, double stepMs, const bool* abortFlag = nullptr);

} // namespace orvex::simlink
