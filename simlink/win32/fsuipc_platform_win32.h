// The Win32 calls behind the FSUIPC link.
#pragma once

#include "simlink/link_core.h"

namespace orvex::simlink {

// The access list of the shared block. The simulator must open the block
// whatever rights each side runs with: with no descriptor an elevated Orvex
// would give it the elevated token's default list (administrators and
// system only) and a normal simulator could not open it. So: full access for
// the system, the administrators and the creator, read and write for the
// interactive user, labelled medium integrity (a normal process may write).
inline constexpr const char* kBlockSecurity = "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)(A;;GRGW;;;IU)S:(ML;;NW;;;ME)";

class Win32LinkPlatform final : public ILinkPlatform {
public:
    NativeHandle FindTopLevelWindow(const char* className) override;
    uint32_t RegisterMessage(const char* name) override;
    uint32_t CurrentProcessId() override;
    uint16_t AddGlobalAtom(const char* name) override;
    void DeleteGlobalAtom(uint16_t atom) override;
    NativeHandle CreateMapping(const char* name, uint32_t size, bool& alreadyExisted) override;
    void* MapView(NativeHandle mapping) override;
    void UnmapView(void* view) override;
    void CloseMapping(NativeHandle mapping) override;
    bool SendBlocking(NativeHandle window, uint32_t message, uintptr_t wParam, uint32_t timeoutMs,
                      uintptr_t& answer, uint32_t& lastError) override;
    void Sleep(uint32_t ms) override;
};

// The link over the real platform: the one the program uses.
class Win32FsuipcLink {
public:
    Win32FsuipcLink() : link_(platform_) {}
    FsuipcLink& Link() { return link_; }

private:
    Win32LinkPlatform platform_;
    FsuipcLink link_;
};

} // namespace orvex::simlink
