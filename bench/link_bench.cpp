// Measures the cost of one FSUIPC exchange against the stand-in simulator:
// an empty batch (the floor: message round trip plus the block hand-over),
// a typical poll-tick batch and a full 32 KB batch.
#include "simlink/win32/fsuipc_platform_win32.h"
#include "tools/simstandin/standin_client.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace orvex::simlink;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
    double meanUs;
    double medianUs;
    double p99Us;
};

Figures Measure(int iterations, const std::function<bool()>& exchange) {
    std::vector<double> us;
    us.reserve(static_cast<size_t>(iterations));
    for (int i = 0; i < iterations / 10; ++i) exchange();  // warm-up
    for (int i = 0; i < iterations; ++i) {
        const auto t0 = Clock::now();
        if (!exchange()) {
            std::printf("exchange failed\n");
            std::exit(1);
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    double sum = 0;
    for (double u : us) sum += u;
    std::sort(us.begin(), us.end());
    return {sum / static_cast<double>(us.size()), us[us.size() / 2], us[us.size() * 99 / 100]};
}

void Print(const char* what, const Figures& f) {
    std::printf("%-46s mean %8.1f us   median %8.1f us   p99 %8.1f us\n", what, f.meanUs, f.medianUs, f.p99Us);
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    SimStandinProcess sim;
    if (!sim.Start("--hidden")) {
        std::printf("the stand-in did not start\n");
        return 1;
    }
    Win32LinkPlatform platform;
    FsuipcLink link(platform);
    int32_t result = 0;
    if (!link.LinkOpen(0, result)) {
        std::printf("open failed: %s\n", LinkResultName(result));
        return 1;
    }

    // The floor: a block holding only the terminator, handed over by the
    // same message, atom and mapping mechanism.
    HWND window = ::FindWindowExA(nullptr, nullptr, kWindowClass, nullptr);
    const UINT message = ::RegisterWindowMessageA(kMessageName);
    char name[40];
    std::snprintf(name, sizeof name, "FSASMLIB:IPC:%lX:9", ::GetCurrentProcessId());
    ATOM atom = ::GlobalAddAtomA(name);
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name);
    void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (!window || !atom || !view) {
        std::printf("could not set up the empty exchange\n");
        return 1;
    }
    std::memset(view, 0, 16);
    const Figures floor = Measure(iterations, [&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(window, message, atom, 0, SMTO_BLOCK, kSendTimeoutMs, &answer) != 0 &&
               answer == 1;
    });

    // A typical tick: about 60 reads of 1 to 60 bytes.
    static const int sizes[] = {1, 2, 4, 8, 2, 4, 1, 60, 2, 4, 8, 4};
    std::vector<std::vector<uint8_t>> destinations;
    int tickBytes = 0;
    for (int i = 0; i < 60; ++i) {
        destinations.emplace_back(static_cast<size_t>(sizes[i % 12]));
        tickBytes += sizes[i % 12];
    }
    const Figures tick = Measure(iterations, [&] {
        int32_t r = 0;
        for (int i = 0; i < 60; ++i)
            link.LinkRead(0x0300 + 0x40 * i, sizes[i % 12], destinations[static_cast<size_t>(i)].data(), r);
        return link.LinkProcess(r);
    });

    std::vector<uint8_t> big(32492);
    const Figures full = Measure(std::max(10, iterations / 4), [&] {
        int32_t r = 0;
        link.LinkRead(0x0000, 32492, big.data(), r);
        return link.LinkProcess(r);
    });

    std::printf("FSUIPC exchange against the stand-in, %d iterations each\n", iterations);
    Print("empty batch (floor)", floor);
    char label[80];
    std::snprintf(label, sizeof label, "tick batch (60 reads, %d data bytes)", tickBytes);
    Print(label, tick);
    Print("full batch (one 32,492-byte read)", full);
    std::printf("tick batch / floor: %.2f (mean), %.2f (median)\n", tick.meanUs / floor.meanUs,
                tick.medianUs / floor.medianUs);

    ::UnmapViewOfFile(view);
    ::CloseHandle(mapping);
    ::GlobalDeleteAtom(atom);
    link.LinkClose();
    sim.Stop();
    return 0;
}
