// Figures of the running program: Orvex (in this process) against the
// simulator stand-in, the real Relaybox server and virtual panels: one Radio
// Panel, four Radio Panels, a Radio and a Multi Panel, one and two panels of
// each kind.
//   - poll-tick cost (exchange + every refresh) against the bare exchange of
//     the same batch;
//   - time from a knob report sent to a panel to the offset write arriving
//     in the simulator (an upper bound: it includes the control pipes);
//   - feature reports per second at steady state;
//   - CPU use of the program while it waits for a simulator and while it
//     is connected;
//   - with a panel of each kind, the longest wait of input posted to the
//     program's thread while the simulator hangs for 60 s, answers every
//     exchange 1,500 ms late, and closes its window, and while Relaybox is
//     killed and started again.
#include "app/win32/orvex_app.h"
#include "config/tests/fake_messages.h"
#include "relaybox/client/relaybox_client.h"
#include "relaybox/tests/com_test_support.h"
#include "tools/simstandin/standin_client.h"
#include "tools/virtualpanels/virtualpanels_client.h"
#include "simlink/win32/fsuipc_platform_win32.h"
#include "tests/support/input_latency_probe.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace orvex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kPanels = "OrvexBenchPanels";

// Pipe-polled conditions are not messages: test them every 2 ms.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return relaybox::test::PumpUntil(done, timeoutMs, 2);
}

// Runs the thread's real message loop (blocking waits) for `ms`.
void RunLoopFor(UINT ms) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, ms, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ::KillTimer(nullptr, timer);
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

struct Stats {
    double median = 0, p99 = 0, mean = 0;
};
Stats Summarise(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    s.mean = sum / static_cast<double>(v.size());
    s.median = v[v.size() / 2];
    s.p99 = v[v.size() * 99 / 100];
    return s;
}

// The panels of one run; the first device is a Radio Panel (the knob test
// turns it).
struct Scenario {
    const char* Title;
    const char* Options;  // VirtualPanels' kind options
    int Devices;
    bool Stalls = false;  // also measure input latency while the simulator stalls
};

// The longest wait of posted input while `during` runs the simulator's
// fault and the program's message loop runs; `until` ends the loop.
double LatencyDuring(const std::function<void()>& during, const std::function<bool()>& until, DWORD limitMs) {
    test::InputLatencyProbe probe;
    during();
    const auto start = Clock::now();
    while (!until() && std::chrono::duration<double, std::milli>(Clock::now() - start).count() < limitMs)
        RunLoopFor(50);
    return probe.MaxMs();
}

int RunWith(const Scenario& scenario, int iterations, SimStandinProcess& sim) {
    const int devices = scenario.Devices;
    std::printf("== %s\n", scenario.Title);
    virtualpanels::VirtualPanelsProcess panels;
    if (!panels.Start(std::string("--hidden --pipe ") + kPanels + " " + scenario.Options)) {
        std::printf("the virtual panels did not start\n");
        return 1;
    }
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "OrvexBench" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA((folder + "\\Orvex.ini").c_str());
    // Every tile of the BIPs has a function, so that their refreshes weigh
    // what a full annunciator panel does.
    {
        static const char* const kTiles[24] = {
            "ENG_1_FIRE",  "ENG_2_FIRE",     "OIL_PRESSURE",  "ENG_1_OIL_PRESSURE", "ENG_2_OIL_PRESSURE",
            "ENG_OIL_TEMP", "FUEL_LOW",      "LEFT_FUEL_LOW", "RIGHT_FUEL_LOW",     "GEAR_DOWN",
            "GEAR_UNSAFE", "DME",            "NAV_1",         "NAV_2",              "MKR",
            "AP_MASTER",   "BEACON_LIGHT",   "LANDING_LIGHT", "STROBE_LIGHT",       "MASTER_CAUTION",
            "STALL_WARNING", "PITOT_HEAT",   "PARKING_BRAKES", "COMBINED_GEAR"};
        std::string text;
        for (int bip = 1; bip <= 2; ++bip) {
            text += "[BIPPanel" + std::to_string(bip) + "]\r\n";
            for (int t = 0; t < 24; ++t) text += "T" + std::to_string(t) + "=" + kTiles[t] + "\r\n";
        }
        if (FILE* f = std::fopen((folder + "\\Default.ini").c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }

    config::testing::RecordingMessages messages;
    app::win32::AppEnvironment env;
    env.ProgramFolder = folder + "\\";
    env.Messages = &messages;
    env.InstanceName = "Local\\OrvexBench";
    env.ShowWindow = false;
    int status = 0;
    {
        app::win32::OrvexApp orvex(env);
        if (!orvex.Start()) {
            std::printf("Orvex did not start (%s)\n", messages.shown.empty() ? "?" : messages.shown[0].Text.c_str());
            return 1;
        }

        // CPU while waiting for the simulator (its window closed).
        sim.Ok("window close");
        RunLoopFor(1500);
        const double cpu0 = ProcessCpuMs();
        const auto w0 = Clock::now();
        RunLoopFor(5000);
        const double waitCpu = ProcessCpuMs() - cpu0;
        const double waitWall = std::chrono::duration<double, std::milli>(Clock::now() - w0).count();
        std::printf("CPU while waiting for a simulator:      %.2f %% of one core (%.0f ms in %.0f ms)\n",
                    100.0 * waitCpu / waitWall, waitCpu, waitWall);

        sim.Ok("window open");
        if (!PumpUntil([&] { return orvex.State().SimConnected; }, 3000)) {
            std::printf("no connection\n");
            return 1;
        }
        PumpUntil(nullptr, 500);

        // Feature reports at steady state (the poll loop running by itself).
        std::uint64_t writes0 = 0;
        for (int d = 1; d <= devices; ++d) writes0 += panels.FeatureWrites(d);
        const std::uint64_t ex0 = orvex.Logic().Exchanges();
        const double connectedCpu0 = ProcessCpuMs();
        const auto s0 = Clock::now();
        RunLoopFor(5000);
        const double connectedCpu = ProcessCpuMs() - connectedCpu0;
        std::uint64_t writes1 = 0;
        for (int d = 1; d <= devices; ++d) writes1 += panels.FeatureWrites(d);
        const double secs = std::chrono::duration<double>(Clock::now() - s0).count();
        std::printf("feature reports per second, steady:     %.2f  (ticks per second %.1f)\n",
                    static_cast<double>(writes1 - writes0) / secs,
                    static_cast<double>(orvex.Logic().Exchanges() - ex0) / secs);
        std::printf("CPU while connected:                    %.2f %% of one core (%.0f ms in %.0f ms)\n",
                    100.0 * connectedCpu / (secs * 1000.0), connectedCpu, secs * 1000.0);

        // Tick cost against the bare exchange of the same batch, the timer
        // stopped so that only the measured calls run.
        orvex.MainWindow()->EnablePollTimer(false);
        // The protocol alone: the same reads sent from this thread over a
        // link of its own, without the link thread in between.
        simlink::Win32LinkPlatform directPlatform;
        simlink::FsuipcLink direct(directPlatform);
        std::int32_t directResult = 0;
        const bool directOpen = direct.LinkOpen(0, directResult);
        std::vector<std::uint8_t> scratch(simlink::kRequestArea);
        std::vector<double> tick, bare, protocol;
        tick.reserve(static_cast<size_t>(iterations));
        bare.reserve(static_cast<size_t>(iterations));
        protocol.reserve(static_cast<size_t>(iterations));
        for (int i = 0; i < iterations; ++i) {
            auto t0 = Clock::now();
            orvex.Logic().Tick();
            tick.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            t0 = Clock::now();
            std::int32_t result = 0;
            orvex.Offsets().QueueReadAll(result);
            orvex.Link().LinkProcess(result);
            bare.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            if (!directOpen) continue;
            t0 = Clock::now();
            for (std::size_t k = 0; k < orvex.Offsets().Count(); ++k) {
                const simlink::cOFFSET* o = orvex.Offsets().At(k);
                direct.LinkRead(o->Offset, o->TransferLength(), scratch.data(), result);
            }
            direct.LinkProcess(result);
            protocol.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        direct.LinkClose();
        const Stats t = Summarise(tick), b = Summarise(bare), pr = Summarise(protocol);
        std::printf("poll tick (exchange + %d refresh%s):  median %7.1f us  p99 %7.1f us  mean %7.1f us\n", devices,
                    devices == 1 ? "  " : "es", t.median, t.p99, t.mean);
        std::printf("bare exchange of the same %zu reads:    median %7.1f us  p99 %7.1f us  mean %7.1f us\n",
                    orvex.Offsets().Count(), b.median, b.p99, b.mean);
        std::printf("ratio tick / bare exchange (medians):   %.3f\n", b.median > 0 ? t.median / b.median : 0.0);
        std::printf("  the same reads from this thread alone: median %7.1f us  (tick / that %.3f: the link thread's hand-over)\n",
                    pr.median, pr.median > 0 ? t.median / pr.median : 0.0);
        orvex.MainWindow()->EnablePollTimer(true);

        // Knob report to offset write: one notch of the upper inner ring is
        // two set/clear pairs, and the step is raised on the last report.
        // The clock starts before that report is sent and stops when the
        // simulator holds the new value, so the figure includes one command
        // to the panel and the reads from the simulator; the pipes' own
        // round trip is measured too.
        std::vector<double> latency, pipes;
        for (int i = 0; i < 20; ++i) {
            const std::vector<uint8_t> before = sim.Get(0x311A, 2);
            panels.Command("input 1 00810001");  // both selectors on COM1, upper inner ring up
            panels.Command("input 1 00810000");
            panels.Command("input 1 00810001");
            PumpUntil(nullptr, 30);
            const auto t0 = Clock::now();
            panels.Command("input 1 00810000");
            if (!PumpUntil([&] { return sim.Get(0x311A, 2) != before; }, 2000)) {
                std::printf("no write after a knob step\n");
                status = 1;
                break;
            }
            latency.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            const auto p0 = Clock::now();
            panels.Command("ping");
            sim.Get(0x311A, 2);
            pipes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - p0).count());
            PumpUntil(nullptr, 50);
        }
        const Stats l = Summarise(latency), pp = Summarise(pipes);
        std::printf("knob report -> write in the simulator:  median %.2f ms  max %.2f ms  (one tick is 10 ms)\n",
                    l.median, latency.empty() ? 0.0 : *std::max_element(latency.begin(), latency.end()));
        std::printf("  of which the two control pipes:       median %.2f ms (a command to the panel, a read)\n",
                    pp.median);

        if (scenario.Stalls && status == 0) {
            auto connected = [&] { return orvex.State().SimConnected; };
            auto notConnected = [&] { return !orvex.State().SimConnected; };
            // A 60 s hang of the simulator's window thread: given up after
            // the tries, waited for, connected again once it answers.
            const auto h0 = Clock::now();
            double ms = LatencyDuring([&] { sim.Ok("fault hang 60000"); },
                                      [&] {
                                          return std::chrono::duration<double>(Clock::now() - h0).count() > 60.5 &&
                                                 orvex.State().SimConnected;
                                      },
                                      90000);
            std::printf("longest input wait, 60 s simulator hang: %.1f ms  (connected again after %.1f s)\n", ms,
                        std::chrono::duration<double>(Clock::now() - h0).count());
            // Every exchange answered 1,500 ms late, for 15 s.
            ms = LatencyDuring([&] { sim.Ok("fault slow 1500"); }, [] { return false; }, 15000);
            sim.Command("fault none");
            PumpUntil(connected, 5000);
            std::printf("longest input wait, 1,500 ms-slow exchanges (15 s): %.1f ms\n", ms);
            // The simulator's window closes, and opens again.
            ms = LatencyDuring([&] { sim.Ok("window close"); }, notConnected, 30000);
            const double closing = ms;
            ms = LatencyDuring([&] { sim.Ok("window open"); }, connected, 10000);
            std::printf("longest input wait, simulator window closing: %.1f ms, opening again: %.1f ms\n", closing,
                        ms);
            std::printf("exchanges the stand-in answered after they were given up: %llu\n",
                        static_cast<unsigned long long>(sim.LateAnswers()));

            // Relaybox is killed (with the prefix's rpcss, which under Wine
            // keeps a dead server's classes) and Orvex starts it again.
            auto everyPanelBack = [&] {
                for (const auto& panel : orvex.MainWindow()->PanelObjects())
                    if (!panel->DeviceConnected()) return false;
                return orvex.Watcher()->ServerRestarts() > 0;
            };
            const auto k0 = Clock::now();
            ms = LatencyDuring(
                [&] {
                    relaybox::test::EndProcesses("Relaybox.exe");
                    relaybox::test::EndProcesses("rpcss.exe");
                },
                everyPanelBack, 15000);
            std::printf("longest input wait, Relaybox killed and started again: %.1f ms  (every panel connected "
                        "again after %.1f s)\n",
                        ms, std::chrono::duration<double>(Clock::now() - k0).count());
        }
    }
    PumpUntil([] { return false; }, 300);
    panels.Stop();
    ::DeleteFileA((folder + "\\Orvex.ini").c_str());
    ::DeleteFileA((folder + "\\Default.ini").c_str());
    ::RemoveDirectoryA(folder.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(50, std::atoi(argv[1])) : 1000;
    ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", kPanels);
    relaybox::RunServerRegistration(relaybox::DefaultServerPath(), false);
    SimStandinProcess sim;
    if (!sim.Start("--hidden --pipe OrvexBenchSim")) {
        std::printf("the stand-in did not start\n");
        return 1;
    }
    sim.SetInt(0x281C, 4, 1);
    sim.SetInt(0x2E80, 4, 1);
    sim.Set(0x311A, {0x00, 0x18});
    static const Scenario kScenarios[] = {
        {"1 virtual Radio Panel", "--radio 1", 1},
        {"4 virtual Radio Panels", "--radio 4", 4},
        {"a virtual Radio and a Multi Panel", "--radio 1 --multi 1", 2},
        {"one virtual panel of each kind (Radio, Multi, Switch, BIP)", "--radio 1 --multi 1 --switch 1 --bip 1", 4,
         true},
        {"two virtual panels of each kind", "--radio 2 --multi 2 --switch 2 --bip 2", 8},
    };
    int status = 0;
    for (const Scenario& scenario : kScenarios) {
        status |= RunWith(scenario, iterations, sim);
        // The server ends with its last object; give it time before the next run.
        ::Sleep(1500);
    }
    sim.Stop();
    std::fflush(stdout);
    return status;
}
