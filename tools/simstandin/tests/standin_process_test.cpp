// SimStandin.exe in another process, driven the way an FSUIPC client drives
// it (atom, shared block, one blocking window message) and through its
// control pipe.
#include "tools/simstandin/standin_client.h"

#include "common/win32/process_util.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

// A minimal FSUIPC client: its own block, records packed by hand.
class RawClient {
public:
    explicit RawClient(unsigned counter, DWORD blockSize = 0x8000) {
        char name[40];
        std::snprintf(name, sizeof name, "FSASMLIB:IPC:%lX:%X", ::GetCurrentProcessId(), counter);
        atom_ = ::GlobalAddAtomA(name);
        mapping_ = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, blockSize, name);
        view_ = mapping_ ? static_cast<uint8_t*>(::MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
        message_ = ::RegisterWindowMessageA("FSASMLIB:IPC");
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;
    ~RawClient() {
        if (view_) ::UnmapViewOfFile(view_);
        if (mapping_) ::CloseHandle(mapping_);
        if (atom_) ::GlobalDeleteAtom(atom_);
    }
    bool Ready() const { return atom_ && view_ && message_; }
    ATOM Atom() const { return atom_; }

    size_t Read(int32_t offset, int32_t size) {
        Put({1, offset, size, 0});
        const size_t at = pos_;
        std::memset(view_ + pos_, 0, static_cast<size_t>(size));
        pos_ += static_cast<size_t>(size);
        return at;
    }
    void Write(int32_t offset, const std::vector<uint8_t>& data) {
        Put({2, offset, static_cast<int32_t>(data.size())});
        std::memcpy(view_ + pos_, data.data(), data.size());
        pos_ += data.size();
    }
    void Put(const std::vector<int32_t>& fields) {
        for (int32_t f : fields) {
            std::memcpy(view_ + pos_, &f, 4);
            pos_ += 4;
        }
    }
    std::vector<uint8_t> Data(size_t at, size_t size) const { return {view_ + at, view_ + at + size}; }

    // Terminates the batch and sends it; false when the send itself fails.
    bool Send(DWORD timeoutMs, DWORD_PTR& answer, const char* windowClass = "UIPCMAIN", WPARAM atom = 0) {
        Put({0});
        pos_ = 0;
        answer = 0xDEAD;
        HWND window = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr);
        if (!window) return false;
        return ::SendMessageTimeoutA(window, message_, atom ? atom : static_cast<WPARAM>(atom_), 0, SMTO_BLOCK,
                                     timeoutMs, &answer) != 0;
    }
    // Sends and expects an answer.
    DWORD_PTR Exchange(const char* windowClass = "UIPCMAIN") {
        DWORD_PTR answer = 0;
        return Send(2000, answer, windowClass) ? answer : 0xFFFF;
    }

private:
    ATOM atom_ = 0;
    HANDLE mapping_ = nullptr;
    uint8_t* view_ = nullptr;
    UINT message_ = 0;
    size_t pos_ = 0;
};

class StandinProcess : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.Start("--hidden --title \"Test Aircraft 1\"")) << sim.LastStartError(); }
    void TearDown() override { sim.Stop(); }
    SimStandinProcess sim;
};

TEST_F(StandinProcess, ServesReadsWritesControlsAndLogsEachExchange) {
    RawClient client(0x51);
    ASSERT_TRUE(client.Ready());
    const size_t version = client.Read(0x3304, 8);
    const size_t title = client.Read(0x3D00, 32);
    client.Write(0x311A, {0x75, 0x18});
    client.Write(0x3110, {0x1B, 0x04, 0x01, 0x00, 0x05, 0x00, 0x00, 0x00});  // control 66587, parameter 5
    client.Write(0x3340, {0x01, 0x00, 0x00, 0x80});
    ASSERT_EQ(client.Exchange(), 1u);
    EXPECT_EQ(client.Data(version, 8), (std::vector<uint8_t>{0x00, 0x00, 0x05, 0x40, 0x08, 0x00, 0xDE, 0xFA}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(client.Data(title, 32).data())), "Test Aircraft 1");
    EXPECT_EQ(sim.Get(0x311A, 2), (std::vector<uint8_t>{0x75, 0x18}));
    EXPECT_EQ(sim.Command("get 0x3340 4"), "ok 01000080");
    EXPECT_EQ(sim.Command("controls"), "ok 1\n66587 5");
    EXPECT_EQ(sim.Command("buttons"), "ok 1\n0x3340 01000080");
    EXPECT_EQ(sim.Command("log 5"), "ok 1\n1 5 R:0x3304:8 R:0x3D00:32 W:0x311A:2 W:0x3110:8 W:0x3340:4");

    // Values set through the pipe are what the next exchange reads.
    ASSERT_TRUE(sim.SetInt(0x07F2, 2, -700));
    ASSERT_TRUE(sim.Set(0x034E, {0x45, 0x23}));
    const size_t vs = client.Read(0x07F2, 2);
    const size_t com1 = client.Read(0x034E, 2);
    ASSERT_EQ(client.Exchange(), 1u);
    EXPECT_EQ(client.Data(vs, 2), (std::vector<uint8_t>{0x44, 0xFD}));
    EXPECT_EQ(client.Data(com1, 2), (std::vector<uint8_t>{0x45, 0x23}));
    EXPECT_EQ(sim.Exchanges(), 2u);
    EXPECT_TRUE(sim.Ok("clearlog"));
    EXPECT_EQ(sim.Exchanges(), 0u);
}

TEST_F(StandinProcess, BadBatchesAndBlocksAreAnsweredZeroAndTheStandinSurvives) {
    RawClient client(0x52);
    ASSERT_TRUE(client.Ready());
    // A good write followed by an unknown record: nothing is applied.
    client.Write(0x0330, {0x00, 0x00});
    client.Put({7, 0x0330, 2});
    EXPECT_EQ(client.Exchange(), 0u);
    // A read beyond the table.
    client.Read(0xFFFF, 2);
    EXPECT_EQ(client.Exchange(), 0u);
    EXPECT_EQ(sim.Get(0x0330, 2), (std::vector<uint8_t>{0x54, 0x3F})) << "1013.25 hPa stays";

    DWORD_PTR answer = 0;
    // An atom that names no block, and an atom that does not exist.
    const ATOM stray = ::GlobalAddAtomA("OrvexStandinTest:no such block");
    ASSERT_TRUE(client.Send(2000, answer, "UIPCMAIN", stray));
    EXPECT_EQ(answer, 0u);
    ::GlobalDeleteAtom(stray);
    ASSERT_TRUE(client.Send(2000, answer, "UIPCMAIN", 0xC123));
    EXPECT_EQ(answer, 0u);
    // A block smaller than the 32 KB the protocol promises.
    RawClient small(0x53, 4096);
    ASSERT_TRUE(small.Ready());
    small.Read(0x3304, 4);
    EXPECT_EQ(small.Exchange(), 0u);

    client.Read(0x3304, 4);
    EXPECT_EQ(client.Exchange(), 1u);
    EXPECT_EQ(sim.Command("stats"), "ok exchanges=6 rejected=0 malformed=5 late=0");
    EXPECT_EQ(sim.Command("log 3"), "ok 3\n4 0 unreadable\n5 0 unreadable\n6 1 R:0x3304:4");
}

TEST_F(StandinProcess, RejectAndZerosFaults) {
    RawClient client(0x54);
    ASSERT_TRUE(client.Ready());
    ASSERT_TRUE(sim.Ok("fault reject"));
    client.Write(0x034E, {0x00, 0x00});
    EXPECT_EQ(client.Exchange(), 0u);
    EXPECT_EQ(sim.Get(0x034E, 2), (std::vector<uint8_t>{0x45, 0x23}));

    ASSERT_TRUE(sim.Ok("fault zeros 1"));
    size_t at = client.Read(0x3304, 4);
    client.Write(0x034E, {0x00, 0x00});
    EXPECT_EQ(client.Exchange(), 1u);
    EXPECT_EQ(client.Data(at, 4), std::vector<uint8_t>(4, 0));
    EXPECT_EQ(sim.Get(0x034E, 2), (std::vector<uint8_t>{0x45, 0x23})) << "writes are ignored too";
    at = client.Read(0x3304, 4);
    EXPECT_EQ(client.Exchange(), 1u);
    EXPECT_EQ(client.Data(at, 4), (std::vector<uint8_t>{0x00, 0x00, 0x05, 0x40}));
    EXPECT_EQ(sim.Command("stats"), "ok exchanges=3 rejected=1 malformed=0 late=0");

    ASSERT_TRUE(sim.Ok("fault simid 7"));
    ASSERT_TRUE(sim.Ok("fault version 0x19980004"));
    EXPECT_EQ(sim.Get(0x3304, 8), (std::vector<uint8_t>{0x04, 0x00, 0x98, 0x19, 0x07, 0x00, 0xDE, 0xFA}));
}

TEST_F(StandinProcess, HangHoldsTheWindowUntilUnhangOrItsDeadline) {
    RawClient client(0x55);
    ASSERT_TRUE(client.Ready());
    ASSERT_TRUE(sim.Ok("fault hang 20000"));
    client.Read(0x3304, 4);
    DWORD_PTR answer = 0;
    auto t0 = Clock::now();
    EXPECT_FALSE(client.Send(300, answer)) << "the window does not answer";
    EXPECT_LT(MsSince(t0), 1500);
    // A command that needs the window thread is withdrawn, not run later.
    EXPECT_EQ(sim.Command("set 0x0100 AA"), "error busy");
    EXPECT_EQ(sim.Command("ping"), "ok");
    EXPECT_TRUE(sim.Ok("unhang"));
    EXPECT_EQ(sim.Get(0x0100, 1), (std::vector<uint8_t>{0x00}));
    const size_t at = client.Read(0x3304, 4);
    t0 = Clock::now();
    EXPECT_EQ(client.Exchange(), 1u);
    EXPECT_LT(MsSince(t0), 1000);
    EXPECT_EQ(client.Data(at, 4), (std::vector<uint8_t>{0x00, 0x00, 0x05, 0x40}));

    // Without unhang the deadline ends the hang, and the held message is answered.
    ASSERT_TRUE(sim.Ok("fault hang 400"));
    client.Read(0x3304, 4);
    t0 = Clock::now();
    ASSERT_TRUE(client.Send(5000, answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_GE(MsSince(t0), 350);
    // The first held message outlasted a client's 2 s time-out (the busy
    // command alone waited 3 s): it counts as answered late.
    EXPECT_EQ(sim.Command("stats"), "ok exchanges=3 rejected=0 malformed=0 late=1");
}

TEST_F(StandinProcess, WindowClosesAndOpensAgainUnderEitherClass) {
    RawClient client(0x56);
    ASSERT_TRUE(client.Ready());
    ASSERT_NE(::FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    ASSERT_TRUE(sim.Ok("window close"));
    EXPECT_EQ(::FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    EXPECT_EQ(sim.Command("window close"), "error no window");
    client.Read(0x3304, 4);
    DWORD_PTR answer = 0;
    EXPECT_FALSE(client.Send(500, answer));

    ASSERT_TRUE(sim.Ok("window open FS98MAIN"));
    EXPECT_EQ(::FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    client.Read(0x3304, 4);
    EXPECT_EQ(client.Exchange("FS98MAIN"), 1u);
    EXPECT_EQ(sim.Command("window open"), "error window already open");
    ASSERT_TRUE(sim.Ok("window close"));
    ASSERT_TRUE(sim.Ok("window open"));
    client.Read(0x3304, 4);
    EXPECT_EQ(client.Exchange(), 1u);
}

// Runs SimStandin.exe --ctl with its output in a pipe; returns the exit code.
DWORD RunCtl(const std::string& args, std::string& output) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return 999;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = nullptr;
    std::string line = "\"" + orvex::win32::ExecutableFolder() + "SimStandin.exe\" --ctl " + args;
    PROCESS_INFORMATION pi{};
    const BOOL started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                          nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    DWORD code = 999;
    if (started) {
        char buf[512];
        DWORD n = 0;
        while (::ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0) output.append(buf, n);
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    ::CloseHandle(readEnd);
    return code;
}

TEST_F(StandinProcess, CtlModePrintsTheReplyAndExitsWithItsOutcome) {
    std::string out;
    EXPECT_EQ(RunCtl("stats", out), 0u);
    EXPECT_EQ(out, "ok exchanges=0 rejected=0 malformed=0 late=0\r\n");
    out.clear();
    EXPECT_EQ(RunCtl("title Piper Cub", out), 0u);
    EXPECT_EQ(sim.Get(0x3D00, 10), (std::vector<uint8_t>{'P', 'i', 'p', 'e', 'r', ' ', 'C', 'u', 'b', 0}));
    out.clear();
    EXPECT_EQ(RunCtl("get 0xFFFF 2", out), 1u);
    EXPECT_EQ(out, "error outside the offset table\r\n");
    out.clear();
    EXPECT_EQ(RunCtl("--pipe OrvexSimStandinNobody ping", out), 2u);
}

TEST_F(StandinProcess, ASecondStandinDoesNotStartBesideTheFirst) {
    SimStandinProcess second;
    EXPECT_FALSE(second.Start("--hidden")) << "same pipe and window class";
    EXPECT_NE(second.LastStartError().find("exit code 3"), std::string::npos) << second.LastStartError();
    EXPECT_FALSE(second.Start("--hidden --pipe OrvexSimStandinSecond")) << "same window class";
    EXPECT_TRUE(second.Start("--hidden --pipe OrvexSimStandinSecond --class FS98MAIN"));
    EXPECT_TRUE(second.Ok("fault simid 5"));
    EXPECT_EQ(sim.Get(0x3308, 2), (std::vector<uint8_t>{0x08, 0x00})) << "each has its own table";
    second.Stop();
    second.Stop();
    EXPECT_EQ(sim.Command("ping"), "ok");
}

}  // namespace
