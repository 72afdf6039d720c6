// The per-thread start queue: an object handed to it is locked against
// release and started from the thread's message loop by a 1 ms thread
// timer, so the client's call that asked for the start returns at once.
#pragma once

#include "relaybox_tlb.h"

namespace orvex::relaybox::server {

// Queues the object on the calling thread (its own apartment thread).
void StartObject(Runnable* object);

} // namespace orvex::relaybox::server
