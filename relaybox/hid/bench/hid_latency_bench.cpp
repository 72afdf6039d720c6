// Input-report latency through the virtual devices: the time from the
// control command that injects a report to ReadReport returning it, and the
// cost of a feature write. Prints figures; not a test.
//   hid_latency_bench [reports]
#include "common/win32/process_util.h"
#include "relaybox/hid/hid_system.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace orvex::hid;
using orvex::virtualpanels::VirtualPanelsProcess;

namespace {

double NowUs() { return orvex::win32::NowMs() * 1000.0; }

void Print(const char* what, std::vector<double> us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[std::min(us.size() - 1, static_cast<size_t>(q * static_cast<double>(us.size())))]; };
    std::printf("%-44s n=%zu  median %.0f us  p99 %.0f us  max %.0f us\n", what, us.size(), at(0.5), at(0.99),
                us.back());
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    VirtualPanelsProcess panels;
    const std::string instance = "OrvexHidBench" + std::to_string(::GetCurrentProcessId());
    if (!panels.Start("--hidden --pipe " + instance + " --radio 1")) {
        std::fprintf(stderr, "VirtualPanels did not start\n");
        return 1;
    }
    auto system = MakeVirtualHidSystem(instance);
    auto reader = system->Open(panels.Path(1), true);
    auto writer = system->Open(panels.Path(1), false);
    if (!reader || !writer) {
        std::fprintf(stderr, "cannot open the virtual Radio Panel\n");
        return 1;
    }

    // A reader thread waits as Relaybox's loop does; the main thread injects.
    std::atomic<double> received{0};
    std::atomic<int> count{0};
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        std::array<uint8_t, 4> r{};
        while (!stop) {
            if (reader->ReadReport(r.data(), 4, 1500) == ReadStatus::Report) {
                received = NowUs();
                ++count;
            }
        }
    });
    ::Sleep(200);
    std::vector<double> inject, endToEnd;
    for (int i = 0; i < n; ++i) {
        const int before = count;
        char hex[16];
        std::snprintf(hex, sizeof hex, "00%06x", i & 0xFFFFFF);
        const double t0 = NowUs();
        panels.Command(std::string("input 1 ") + hex);
        const double t1 = NowUs();
        while (count == before && NowUs() - t0 < 2e6) std::this_thread::yield();
        if (count != before) endToEnd.push_back(received - t0);
        inject.push_back(t1 - t0);
        ::Sleep(2);
    }
    stop = true;
    panels.Command("input 1 00000000");
    loop.join();

    std::vector<double> feature;
    std::array<uint8_t, 23> display{};
    for (int i = 0; i < n; ++i) {
        display[1] = static_cast<uint8_t>(i % 10);
        const double t0 = NowUs();
        writer->SetFeature(display.data(), 23);
        feature.push_back(NowUs() - t0);
    }
    std::printf("virtual device latency (%d reports)\n", n);
    Print("control command round trip (inject)", inject);
    Print("inject -> ReadReport returns", endToEnd);
    Print("SetFeature (23 bytes)", feature);
    panels.Stop();
    return 0;
}
