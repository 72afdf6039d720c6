// The soak under faults (a development tool): Orvex.exe with two virtual
// panels of each kind and the simulator stand-in, through a scripted flight.
// Knob, button and switch input at human rates throughout, and every 15-20 s
// one fault in turn: a panel unplugged and plugged back, a panel power-
// cycled, a panel replugged under a new path, Relaybox killed, the
// simulator's window closed and opened again, the simulator hanging for 5 s.
// At the end every panel must work and the configuration files must be
// unchanged; it prints the counts, the restore times and the resources of
// Orvex and Relaybox at the start, after warm-up and at the end.
//
//     Soak.exe <minutes> <folder> [faults]   (run by ./orvex soak [minutes] [faults])
//
// `faults` limits the faults to some kinds, in the order given, e.g.
// "relaybox" or "unplug,powercycle,replug" (the names are in kFaultNames);
// all six by default. Comparing soaks of one kind each shows which fault a
// growth of memory comes with.
#include "common/win32/handles.h"
#include "common/win32/process_util.h"
#include "tools/simstandin/standin_client.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using orvex::simstandin::SimStandinProcess;
using orvex::virtualpanels::VirtualPanelsProcess;
using orvex::win32::UniqueHandle;

constexpr const char* kPanels = "OrvexSoak";
constexpr const char* kSimPipe = "OrvexSoakSim";
// Devices of the virtual panels: Radio 1-2, Multi 3-4, Switch 5-6, BIP 7-8.
constexpr int kDevices = 8;
constexpr int kInputDevices = 6;
constexpr int kTabs = 1 + kDevices;

// The kinds of fault, in the order a full soak applies them.
constexpr const char* kFaultNames[] = {"unplug", "powercycle", "replug", "relaybox", "simclose", "simhang"};
constexpr int kFaultKinds = static_cast<int>(std::size(kFaultNames));

// The kinds named in a comma-separated list; empty when a name is unknown.
std::vector<int> ParseFaults(const std::string& list) {
    std::vector<int> kinds;
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string name = list.substr(from, comma - from);
        const auto* found = std::find_if(std::begin(kFaultNames), std::end(kFaultNames),
                                         [&](const char* known) { return name == known; });
        if (found == std::end(kFaultNames)) return {};
        kinds.push_back(static_cast<int>(found - std::begin(kFaultNames)));
        from = comma + 1;
    }
    return kinds;
}

std::uint64_t Now() { return ::GetTickCount64(); }

void Sleep(std::uint64_t ms) { ::Sleep(static_cast<DWORD>(ms)); }

bool WaitFor(const std::function<bool()>& done, std::uint64_t ms, std::uint64_t step = 20) {
    const std::uint64_t end = Now() + ms;
    while (true) {
        if (done()) return true;
        if (Now() >= end) return false;
        Sleep(step);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

DWORD FindProcess(const char* exe) {
    orvex::win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry))
        if (::lstrcmpiA(entry.szExeFile, exe) == 0) return entry.th32ProcessID;
    return 0;
}

void EndProcesses(const char* exe) {
    for (int i = 0; i < 8; ++i) {
        const DWORD id = FindProcess(exe);
        if (id == 0) return;
        UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process) return;
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
}

struct Resources {
    bool valid = false;
    DWORD handles = 0, gdi = 0, user = 0;
    SIZE_T privateBytes = 0;
};

Resources Measure(HANDLE process) {
    Resources r;
    if (!process) return r;
    r.valid = ::GetProcessHandleCount(process, &r.handles) != FALSE;
    r.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    r.user = ::GetGuiResources(process, GR_USEROBJECTS);
    // The commit charge of the process: its private bytes.
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process, &memory, sizeof(memory))) r.privateBytes = memory.PagefileUsage;
    return r;
}

Resources MeasureByName(const char* exe) {
    const DWORD id = FindProcess(exe);
    if (id == 0) return {};
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    return Measure(process.get());
}

void PrintResources(const char* who, const Resources& start, const Resources& warm, const Resources& end) {
    auto line = [&](const char* what, const Resources& r) {
        if (!r.valid) {
            std::printf("  %-8s %-11s (not running)\n", who, what);
            return;
        }
        std::printf("  %-8s %-11s handles %5lu  GDI %4lu  USER %4lu  private %7.1f MB\n", who, what, r.handles, r.gdi,
                    r.user, static_cast<double>(r.privateBytes) / (1024.0 * 1024.0));
    };
    line("start", start);
    line("warm-up", warm);
    line("end", end);
}

std::string Median(std::vector<std::uint64_t> values) {
    if (values.empty()) return "-";
    std::sort(values.begin(), values.end());
    return std::to_string(values[values.size() / 2]) + " ms";
}

std::string Worst(const std::vector<std::uint64_t>& values) {
    if (values.empty()) return "-";
    return std::to_string(*std::max_element(values.begin(), values.end())) + " ms";
}

class Soak {
public:
    Soak(double minutes, std::string folder, std::vector<int> faultKinds)
        : minutes_(minutes), folder_(std::move(folder)), faultKinds_(std::move(faultKinds)) {}

    int Run() {
        if (!Prepare()) return 2;
        StartOrvex();
        if (!orvex_) return 2;
        if (!WaitFor([&] { return TabCount() == kTabs; }, 60000, 200)) {
            std::printf("soak: Orvex did not show every panel's tab (%d)\n", TabCount());
            return Finish(false);
        }
        if (!WaitFor([&] { return ShowsCom1(1) && ShowsCom1(2); }, 15000)) {
            std::printf("soak: the Radio Panels never showed the simulator's values\n");
            return Finish(false);
        }
        startOrvex_ = Measure(orvex_.get());
        startRelaybox_ = MeasureByName("Relaybox.exe");
        const std::uint64_t begin = Now();
        const std::uint64_t end = begin + static_cast<std::uint64_t>(minutes_ * 60000.0);
        const std::uint64_t warmUp = begin + std::min<std::uint64_t>(10000, (end - begin) / 4);
        std::uint64_t nextFault = begin + 15000;
        bool warmed = false;
        int device = 0;
        while (Now() < end) {
            if (!warmed && Now() >= warmUp) {
                warmed = true;
                warmOrvex_ = Measure(orvex_.get());
                warmRelaybox_ = MeasureByName("Relaybox.exe");
                configBefore_ = Configuration();
            }
            if (Now() >= nextFault && warmed) {
                Fault();
                nextFault = Now() + 15000 + rng_() % 5001;
                continue;
            }
            device = device % kInputDevices + 1;
            Input(device);
            Sleep(400);
        }
        if (!warmed) configBefore_ = Configuration();
        return Finish(Check());
    }

private:
    bool Prepare() {
        program_ = folder_ + "\\program";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        ::CreateDirectoryA(program_.c_str(), nullptr);
        const std::string bin = orvex::win32::ExecutableFolder();
        for (const char* exe : {"Orvex.exe", "Relaybox.exe"})
            if (!::CopyFileA((bin + exe).c_str(), (program_ + "\\" + exe).c_str(), FALSE)) {
                std::printf("soak: cannot copy %s\n", exe);
                return false;
            }
        WriteFile(program_ + "\\Orvex.ini", "[Aircrafts]\r\nCessna 172=Default\r\n");
        WriteFile(program_ + "\\Default.ini",
                  "[BIPPanel1]\r\nT0=GEAR_DOWN\r\nT9=BEACON_LIGHT,Yellow\r\n"
                  "[BIPPanel2]\r\nT0=GEAR_DOWN\r\nT9=BEACON_LIGHT,Yellow\r\n");
        ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", kPanels);
        if (!panels_.Start(std::string("--hidden --pipe ") + kPanels + " --radio 2 --multi 2 --switch 2 --bip 2")) {
            std::printf("soak: the virtual panels did not start\n");
            return false;
        }
        if (!sim_.Start(std::string("--hidden --pipe ") + kSimPipe + " --title \"Cessna 172\"")) {
            std::printf("soak: the simulator stand-in did not start (is another FSUIPC window open?)\n");
            return false;
        }
        // Power on, COM1 123.45 / 118.00, gear down and locked, a
        // retractable gear; the Switch Panels' battery switches on.
        sim_.SetInt(0x281C, 4, 1);
        sim_.SetInt(0x2E80, 4, 1);
        sim_.Set(0x034E, {0x45, 0x23});
        sim_.Set(0x311A, {0x00, 0x18});
        sim_.SetInt(0x060C, 2, 1);
        for (std::uint32_t leg : {0x0BECu, 0x0BF0u, 0x0BF4u}) sim_.SetInt(leg, 4, 16383);
        panels_.Ok("switch 5 bat on");
        panels_.Ok("switch 6 bat on");
        return true;
    }

    void StartOrvex() {
        const std::string exe = program_ + "\\Orvex.exe";
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, program_.c_str(),
                              &startup, &info)) {
            std::printf("soak: Orvex did not start\n");
            return;
        }
        orvex_.reset(info.hProcess);
        UniqueHandle thread(info.hThread);
    }

    HWND MainWindow() const { return ::FindWindowA("OrvexMain", nullptr); }

    int TabCount() const {
        HWND tab = ::GetDlgItem(MainWindow(), 100);
        if (!tab) return 0;
        DWORD_PTR count = 0;
        if (!::SendMessageTimeoutA(tab, 0x1304 /* TCM_GETITEMCOUNT */, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return 0;
        return static_cast<int>(count);
    }

    std::uint64_t Number(const std::string& what, int device) {
        const std::string reply = panels_.Command(what + " " + std::to_string(device));
        return reply.rfind("ok ", 0) == 0 ? std::strtoull(reply.c_str() + 3, nullptr, 10) : 0;
    }
    std::string Reply(const std::string& line) {
        const std::string reply = panels_.Command(line);
        return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : reply;
    }
    std::string Com1Standby() {
        const std::vector<std::uint8_t> bcd = sim_.Get(0x311A, 2);
        if (bcd.size() != 2) return "?";
        char text[8];
        std::snprintf(text, sizeof(text), "1%02X.%02X", bcd[1], bcd[0]);
        return text;
    }
    bool ShowsCom1(int device) {
        const std::string shown = Reply("displays " + std::to_string(device));
        return shown.size() > 12 && shown.substr(7, 6) == Com1Standby();
    }

    // One input of a human at a panel; true when the simulator acted on it.
    bool Input(int device, std::uint64_t waitMs = 3000, bool count = true) {
        std::function<bool()> acted;
        bool sent = false;
        // The simulator's value the input should change, for the report of
        // an input that was lost.
        std::int32_t watched = 0;
        std::vector<std::uint8_t> watchedBefore;
        if (device <= 2) {
            const std::vector<std::uint8_t> before = sim_.Get(0x311A, 2);
            watched = 0x311A;
            watchedBefore = before;
            sent = panels_.Ok("turn " + std::to_string(device) + " upper-inner 1");
            acted = [&, before] { return sim_.Get(0x311A, 2) != before; };
        } else if (device <= 4) {
            const std::vector<std::uint8_t> before = sim_.Get(0x07D4, 4);
            watched = 0x07D4;
            watchedBefore = before;
            // Both Multi Panels set the one autopilot altitude: always
            // turning up would hold it at the top of its range, where a
            // turn changes nothing. Turn towards the middle instead.
            sent = panels_.Ok("knob " + std::to_string(device) + (AltitudeAboveMiddle(before) ? " -1" : " 1"));
            acted = [&, before] { return sim_.Get(0x07D4, 4) != before; };
        } else {
            bool& beacon = beacon_[device - 5];
            beacon = !beacon;
            sent = panels_.Ok("switch " + std::to_string(device) + " beacon " + (beacon ? "on" : "off"));
            const bool want = beacon;
            acted = [&, want] {
                const std::vector<std::uint8_t> lights = sim_.Get(0x0D0C, 2);
                return lights.size() == 2 && ((lights[0] & 0x02) != 0) == want;
            };
        }
        if (count) ++inputsSent_;
        const bool ok = sent && WaitFor(acted, waitMs);
        if (count && ok) ++inputsActed_;
        if (count && !ok) {
            std::string values;
            if (watched != 0) {
                char line[64];
                std::snprintf(line, sizeof line, "; offset %04X was %s, is %s", watched, HexBytes(watchedBefore).c_str(),
                              HexBytes(sim_.Get(watched, static_cast<int>(watchedBefore.size()))).c_str());
                values = line;
            }
            std::printf("soak: input on device %d was not acted on, %llu ms after the last fault ended (%s%s)\n",
                        device, static_cast<unsigned long long>(Now() - lastFaultEnd_),
                        panels_.Command("stats " + std::to_string(device)).c_str(), values.c_str());
        }
        return ok;
    }

    static std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
        std::string out;
        char two[3];
        for (std::uint8_t b : bytes) {
            std::snprintf(two, sizeof two, "%02X", b);
            out += two;
        }
        return out.empty() ? "-" : out;
    }

    // The autopilot altitude (metres * 65536) above 50,000 ft.
    static bool AltitudeAboveMiddle(const std::vector<std::uint8_t>& raw) {
        if (raw.size() != 4) return false;
        std::int32_t units = 0;
        std::memcpy(&units, raw.data(), 4);
        return units > static_cast<std::int32_t>(15240 * 65536LL);
    }

    // Waits for the device's first accepted feature report after `writes`.
    void MeasureReturn(int device, std::uint64_t writes, std::uint64_t pluggedAt) {
        if (WaitFor([&] { return Number("writes", device) > writes; }, 10000, 10)) {
            returns_.push_back(Now() - pluggedAt);
        } else {
            std::printf("soak: device %d got no report after it came back\n", device);
            ++failures_;
        }
    }

    void Fault() {
        const int kind = faultKinds_[static_cast<std::size_t>(faultIndex_) % faultKinds_.size()];
        const int device = 1 + (faultIndex_ / 6 + faultIndex_) % kInputDevices;
        ++faultIndex_;
        bool ok = true;
        const std::string dev = std::to_string(device);
        const SIZE_T before = Measure(orvex_.get()).privateBytes;
        if (afterLastFault_ != 0) betweenFaults_ += static_cast<double>(before) - static_cast<double>(afterLastFault_);
        switch (kind) {
        case 0: {
            std::printf("soak: fault %d: device %d unplugged for 3 s\n", faultIndex_, device);
            panels_.Ok("unplug " + dev);
            Sleep(3000);
            const std::uint64_t writes = Number("writes", device);
            panels_.Ok("plug " + dev);
            MeasureReturn(device, writes, Now());
            break;
        }
        case 1:
        case 2: {
            const char* verb = kind == 1 ? "powercycle" : "replug";
            std::printf("soak: fault %d: device %d %s\n", faultIndex_, device, kind == 1 ? "power-cycled" : "replugged under a new path");
            const std::uint64_t writes = Number("writes", device);
            // The reply comes once the panel is back.
            panels_.Ok(std::string(verb) + " " + dev + " 500");
            MeasureReturn(device, writes, Now());
            break;
        }
        case 3: {
            std::printf("soak: fault %d: Relaybox killed\n", faultIndex_);
            const std::uint64_t killed = Now();
            EndProcesses("Relaybox.exe");
            EndProcesses("rpcss.exe");
            bool works = false;
            while (!works && Now() - killed < 20000) works = Input(1, 400, false);
            if (works) serverReturns_.push_back(Now() - killed);
            ok = works;
            break;
        }
        case 4:
            std::printf("soak: fault %d: simulator window closed for 2 s\n", faultIndex_);
            sim_.Ok("window close");
            Sleep(2000);
            sim_.Ok("window open");
            ok = WaitFor([&] { return ShowsCom1(1); }, 5000);
            break;
        default:
            std::printf("soak: fault %d: simulator hangs for 5 s\n", faultIndex_);
            sim_.Ok("fault hang 5000");
            Sleep(6000);
            break;
        }
        lastFaultEnd_ = Now();
        // Every input panel works after the fault, each tried right after
        // the one before (as two panels turned together).
        for (int d = 1; d <= kInputDevices && ok; ++d) ok = Input(d, 5000);
        afterLastFault_ = Measure(orvex_.get()).privateBytes;
        growth_[static_cast<std::size_t>(kind)] += static_cast<double>(afterLastFault_) - static_cast<double>(before);
        ++faultsOfKind_[static_cast<std::size_t>(kind)];
        if (ok) ++faultsSurvived_;
        else ++failures_;
    }

    std::string Configuration() {
        return ReadFile(program_ + "\\Orvex.ini") + "\n--\n" + ReadFile(program_ + "\\Default.ini");
    }

    bool Check() {
        bool ok = true;
        auto expect = [&](bool condition, const std::string& what) {
            if (!condition) {
                std::printf("soak: at the end: %s\n", what.c_str());
                ok = false;
            }
        };
        for (int d = 1; d <= kInputDevices; ++d) expect(Input(d, 5000), "device " + std::to_string(d) + " does not act");
        for (int d = 1; d <= 2; ++d)
            expect(WaitFor([&] { return ShowsCom1(d); }, 3000),
                   "Radio Panel device " + std::to_string(d) + " shows " + Reply("displays " + std::to_string(d)));
        const std::string multi = Reply("displays 3");
        expect(multi == Reply("displays 4") && multi.rfind("     |", 0) != 0, "the Multi Panels show " + multi);
        for (int d = 5; d <= 6; ++d)
            expect(WaitFor([&] { return Reply("lamps " + std::to_string(d)) == "nose=green left=green right=green"; },
                           3000),
                   "Switch Panel device " + std::to_string(d) + " shows " + Reply("lamps " + std::to_string(d)));
        for (int d = 7; d <= 8; ++d)
            expect(WaitFor([&] { return Reply("tiles " + std::to_string(d)).rfind("G", 0) == 0; }, 3000),
                   "BIP device " + std::to_string(d) + " shows " + Reply("tiles " + std::to_string(d)));
        expect(Configuration() == configBefore_, "the configuration files changed");
        // Orvex at rest with every panel present: its processor time.
        FILETIME created, exited, kernel0, user0, kernel1, user1;
        ::GetProcessTimes(orvex_.get(), &created, &exited, &kernel0, &user0);
        const std::uint64_t from = Now();
        Sleep(10000);
        ::GetProcessTimes(orvex_.get(), &created, &exited, &kernel1, &user1);
        auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
        const double cpuMs = static_cast<double>(ticks(kernel1) - ticks(kernel0) + ticks(user1) - ticks(user0)) / 10000.0;
        cpuPercent_ = 100.0 * cpuMs / static_cast<double>(Now() - from);
        endOrvex_ = Measure(orvex_.get());
        endRelaybox_ = MeasureByName("Relaybox.exe");
        return ok;
    }

    int Finish(bool ok) {
        if (HWND main = MainWindow()) ::PostMessageA(main, WM_CLOSE, 0, 0);
        if (orvex_ && ::WaitForSingleObject(orvex_.get(), 15000) != WAIT_OBJECT_0) {
            std::printf("soak: Orvex did not end\n");
            ::TerminateProcess(orvex_.get(), 1);
            ok = false;
        }
        sim_.Stop();
        panels_.Stop();
        ok = ok && failures_ == 0;
        std::printf("\n== soak: %.1f minutes, two panels of each kind, faults:", minutes_);
        for (int kind : faultKinds_) std::printf(" %s", kFaultNames[kind]);
        std::printf("\n");
        std::printf("  faults survived            %d of %d\n", faultsSurvived_, faultIndex_);
        std::printf("  input events sent / acted  %d / %d\n", inputsSent_, inputsActed_);
        std::printf("  panel back -> first report median %s, worst %s (%zu returns)\n", Median(returns_).c_str(),
                    Worst(returns_).c_str(), returns_.size());
        std::printf("  Relaybox end -> input works median %s, worst %s (%zu kills)\n", Median(serverReturns_).c_str(),
                    Worst(serverReturns_).c_str(), serverReturns_.size());
        std::printf("  Orvex CPU at rest, all panels present: %.2f %%\n", cpuPercent_);
        PrintResources("Orvex", startOrvex_, warmOrvex_, endOrvex_);
        // Where Orvex's private bytes grew: over each kind of fault (from
        // just before it to after the checks that follow it), and between.
        std::printf("  Orvex private bytes, mean change per fault:");
        for (int kind = 0; kind < kFaultKinds; ++kind)
            if (faultsOfKind_[static_cast<std::size_t>(kind)] > 0)
                std::printf(" %s %+.1f KB (%d)", kFaultNames[kind],
                            growth_[static_cast<std::size_t>(kind)] / 1024.0 / faultsOfKind_[static_cast<std::size_t>(kind)],
                            faultsOfKind_[static_cast<std::size_t>(kind)]);
        std::printf("; between faults %+.1f KB in all\n", betweenFaults_ / 1024.0);
        PrintResources("Relaybox", startRelaybox_, warmRelaybox_, endRelaybox_);
        std::printf("== soak %s\n", ok ? "passed" : "FAILED");
        return ok ? 0 : 1;
    }

    double minutes_;
    std::string folder_;
    std::vector<int> faultKinds_;
    double growth_[kFaultKinds] = {};
    int faultsOfKind_[kFaultKinds] = {};
    double betweenFaults_ = 0;
    SIZE_T afterLastFault_ = 0;
    std::string program_;
    VirtualPanelsProcess panels_;
    SimStandinProcess sim_;
    UniqueHandle orvex_;
    std::mt19937 rng_{17};
    bool beacon_[2] = {false, false};
    int faultIndex_ = 0;
    std::uint64_t lastFaultEnd_ = 0;
    int faultsSurvived_ = 0;
    int failures_ = 0;
    int inputsSent_ = 0;
    int inputsActed_ = 0;
    std::vector<std::uint64_t> returns_;
    std::vector<std::uint64_t> serverReturns_;
    double cpuPercent_ = 0;
    std::string configBefore_;
    Resources startOrvex_, warmOrvex_, endOrvex_;
    Resources startRelaybox_, warmRelaybox_, endRelaybox_;
};

} // namespace

int main(int argc, char** argv) {
    double minutes = argc > 1 ? std::atof(argv[1]) : 2.0;
    if (minutes <= 0) minutes = 2.0;
    const std::string folder = argc > 2 ? argv[2] : orvex::win32::ExecutableFolder() + "soak";
    std::vector<int> faults;
    if (argc > 3) {
        faults = ParseFaults(argv[3]);
        if (faults.empty()) {
            std::printf("soak: unknown fault in \"%s\"; the faults are", argv[3]);
            for (const char* name : kFaultNames) std::printf(" %s", name);
            std::printf("\n");
            return 2;
        }
    } else {
        for (int kind = 0; kind < kFaultKinds; ++kind) faults.push_back(kind);
    }
    ::setvbuf(stdout, nullptr, _IONBF, 0);
    Soak soak(minutes, folder, std::move(faults));
    return soak.Run();
}
