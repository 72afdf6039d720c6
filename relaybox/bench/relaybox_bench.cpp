// Figures for the reader path across processes: from a virtual panel's input
// report to RawInput in this client, the sustained event rate, and the CPU
// an idle reader costs the server. Prints figures; not a test.
#include "relaybox/client/relaybox_client.h"
#include "relaybox/tests/com_test_support.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <thread>

using namespace orvex;
using namespace orvex::relaybox;
using namespace orvex::relaybox::test;

namespace {

constexpr const char* kInstance = "RelayboxBench";

double Ms(LONGLONG ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return 1000.0 * static_cast<double>(ticks) / frequency;
}

LONGLONG Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

DWORD ServerProcessId() {
    win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry))
        if (::lstrcmpiA(entry.szExeFile, "Relaybox.exe") == 0) return entry.th32ProcessID;
    return 0;
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto v = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(v(kernel) + v(user)) / 10000.0;
}

char Hex(int v) { return "0123456789ABCDEF"[v & 15]; }

} // namespace

int main(int argc, char** argv) {
    // relaybox_bench [latency samples] [notches] [notches per second]
    const int samples = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", kInstance);
    com::ComApartment apartment;
    virtualpanels::VirtualPanelsProcess panels;
    if (!panels.Start(std::string("--hidden --pipe ") + kInstance + " --radio 1")) {
        std::printf("VirtualPanels did not start\n");
        return 1;
    }
    std::string errorText;
    com::ComPtr<IcPanelIO> reader;
    if (FAILED(CreateServerObject(CLSID_cPanelIO, IID_IcPanelIO, reader.PutVoid(), errorText))) {
        std::printf("%s\n", errorText.c_str());
        return 1;
    }
    EventSink sink;
    {
        Advise advise(reader.Get(), DIID_DcPanelIOEvents, &sink);
        com::Bstr path(panels.Path(1));
        reader->put_HiddTimeout(1500);
        reader->put_DevicePathName(path.Get());
        reader->StartThread();
        PumpFor(500);

        // Latency: each report carries its sequence number; the time of the
        // send is taken just before the control command goes out (so the
        // figure includes the control pipe and the virtual device).
        std::map<int, LONGLONG> sentAt;
        std::vector<double> latencies;
        for (int i = 0; i < samples; ++i) {
            const int seq = i & 0xFFFF;
            std::string hex = "00";
            hex += Hex(seq >> 12);
            hex += Hex(seq >> 8);
            hex += Hex(seq >> 4);
            hex += Hex(seq);
            hex += "00";
            const size_t before = sink.calls.size();
            sentAt[seq] = Now();
            panels.Ok("input 1 " + hex);
            PumpUntil([&] { return sink.calls.size() > before; }, 2000);
            if (sink.calls.size() > before) {
                const auto& c = sink.calls.back();
                const int got = (c.bytes[1] << 8) | c.bytes[2];
                if (sentAt.count(got)) latencies.push_back(Ms(c.at.QuadPart - sentAt[got]));
            }
        }
        std::sort(latencies.begin(), latencies.end());
        if (!latencies.empty()) {
            const auto at = [&](double q) {
                return latencies[std::min(latencies.size() - 1, static_cast<size_t>(q * static_cast<double>(latencies.size())))];
            };
            std::printf("latency report->RawInput (%zu of %d): median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                        latencies.size(), samples, at(0.5), at(0.99), latencies.back());
        }

        // Sustained rate: a knob turned at `speed` notches per second sends
        // 4 x speed reports per second (two set/clear pulse pairs per notch).
        sink.calls.clear();
        const int notches = argc > 2 ? std::atoi(argv[2]) : 250;
        const int speed = argc > 3 ? std::atoi(argv[3]) : 100;
        const LONGLONG start = Now();
        // The command answers only when the turn is over, so it goes from
        // another thread while this one takes the events.
        bool turned = false;
        std::thread turner([&] {
            turned = panels.Ok("turn 1 0 " + std::to_string(notches) + " " + std::to_string(speed));
        });
        PumpFor(200);
        size_t seen = 0;
        while (PumpUntil([&] { return sink.calls.size() >= static_cast<size_t>(notches) * 4; }, 300) == false &&
               sink.calls.size() != seen)
            seen = sink.calls.size();
        turner.join();
        const double seconds = Ms(sink.calls.empty() ? 0 : sink.calls.back().at.QuadPart - start) / 1000.0;
        std::printf("sustained%s: %zu of %d events in %.2f s = %.0f events/s\n", turned ? "" : " (turn refused)",
                    sink.calls.size(), notches * 4, seconds,
                    seconds > 0 ? static_cast<double>(sink.calls.size()) / seconds : 0.0);

        // Idle reader: the server's CPU over a quiet period.
        win32::UniqueHandle server(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ServerProcessId()));
        const double cpu0 = CpuMs(server.get());
        const LONGLONG idleStart = Now();
        PumpFor(5000);
        const double wall = Ms(Now() - idleStart);
        const double cpu1 = CpuMs(server.get());
        std::printf("idle reader: server CPU %.1f ms in %.0f ms (%.3f%%)\n", cpu1 - cpu0, wall,
                    100.0 * (cpu1 - cpu0) / wall);
        reader->StopThread();
    }
    reader.Reset();
    WaitForServerExit(5000);
    panels.Stop();
    return 0;
}
