// The device systems of Windows: real panels (SetupAPI and hid.dll), the
// virtual panels published by the VirtualPanels development tool, and both
// together.
//
// ReadReport on these devices: with a handle opened overlapped it waits at
// most the time-out and cancels the read (waiting for the cancel to finish,
// so nothing is left in flight). A handle opened without overlapped I/O
// blocks until a report arrives. When the device is gone (unplugged, or the
// read cannot be started) the call waits out the time-out and returns
// Failed, so a read loop paces itself instead of spinning.
#pragma once

#include "relaybox/hid/hid_device.h"
#include "relaybox/hid/virtual_protocol.h"

#include <memory>
#include <string>

namespace orvex::hid {

std::unique_ptr<IHidSystem> MakeRealHidSystem();

// The virtual panels of the VirtualPanels program running under `instance`
// (its --pipe name). Costs one failed OpenFileMappingA when none runs.
std::unique_ptr<IHidSystem> MakeVirtualHidSystem(const std::string& instance = virt::kDefaultInstance);

// Real devices first, then virtual ones; Open sends a path to the system
// that listed it (virtual paths carry "&virt#").
std::unique_ptr<IHidSystem> MakeCombinedHidSystem(std::unique_ptr<IHidSystem> real,
                                                  std::unique_ptr<IHidSystem> virtualDevices);

// The process-wide system: real panels and the virtual panels of the
// instance named by the environment variable ORVEX_VIRTUAL_PANELS (default
// "OrvexVirtualPanels"). Safe to use from several threads at once.
IHidSystem& DefaultHidSystem();

} // namespace orvex::hid
