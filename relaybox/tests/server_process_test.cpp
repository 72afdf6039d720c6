// The server's objects driven across processes: cHidD against virtual
// panels, the reader's events, errors and stop, the timer, and the server's
// end when its client lets go.
#include "relaybox/client/relaybox_client.h"
#include "relaybox/relaybox_errors.h"
#include "relaybox/server/server_module.h"
#include "relaybox/tests/com_test_support.h"
#include "tools/virtualpanels/virtualpanels_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace orvex;
using namespace orvex::relaybox;
using namespace orvex::relaybox::test;

namespace {

constexpr long kSaitek = 0x06A3;
constexpr long kRadio = 0x0D05;
constexpr long kMulti = 0x0D06;
constexpr const char* kInstance = "RelayboxServerTests";
constexpr DISPID kRawInput = 1;
constexpr DISPID kReadFailed = 2;

class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The server (started by this process under Wine) looks for the
        // virtual panels of this instance.
        ::SetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", kInstance);
        ASSERT_TRUE(RunServerRegistration(DefaultServerPath(), false));
    }
    void StartPanels(const std::string& kinds) {
        ASSERT_TRUE(panels.Start(std::string("--hidden --pipe ") + kInstance + " " + kinds));
    }
    void TearDown() override {
        hidD.Reset();
        reader.Reset();
        if (!WaitForServerExit(8000)) {
            ADD_FAILURE() << "the server outlived its objects";
            EndLeftoverServers();
        }
        panels.Stop();
    }
    template <class T>
    com::ComPtr<T> Create(const CLSID& clsid, const IID& iid) {
        com::ComPtr<T> object;
        std::string errorText;
        EXPECT_EQ(CreateServerObject(clsid, iid, object.PutVoid(), errorText), S_OK) << errorText;
        return object;
    }
    // A reader of panel `device` with a sink, started.
    void StartReader(int device, long timeoutMs) {
        reader = Create<IcPanelIO>(CLSID_cPanelIO, IID_IcPanelIO);
        ASSERT_TRUE(reader);
        advise = std::make_unique<Advise>(reader.Get(), DIID_DcPanelIOEvents, &sink);
        ASSERT_EQ(advise->Result(), S_OK);
        ASSERT_EQ(reader->put_HiddTimeout(timeoutMs), S_OK);
        com::Bstr path(panels.Path(device));
        ASSERT_EQ(reader->put_DevicePathName(path.Get()), S_OK);
        ASSERT_EQ(reader->StartThread(), S_OK);
        PumpFor(300);  // the loop opens the device and starts reading
    }
    // The server's process, as the reader tells it.
    DWORD ReaderProcess() {
        LONG process = 0;
        EXPECT_EQ(reader->get_ProcessID(&process), S_OK);
        return static_cast<DWORD>(process);
    }
    static size_t Events(const EventSink& of, DISPID id) {
        return static_cast<size_t>(
            std::count_if(of.calls.begin(), of.calls.end(), [&](const EventSink::Call& c) { return c.id == id; }));
    }
    size_t RawInputs() const { return Events(sink, kRawInput); }
    size_t ReadFailures() const { return Events(sink, kReadFailed); }
    // Each call waits for the loop's next pass, so stop first.
    void StopReader() {
        if (reader) reader->StopThread();
        advise.reset();
    }

    com::ComApartment apartment;
    virtualpanels::VirtualPanelsProcess panels;
    EventSink sink;
    com::ComPtr<IcHidD> hidD;
    com::ComPtr<IcPanelIO> reader;
    std::unique_ptr<Advise> advise;
};

std::string PathAt(IcHidD* hidD, short index) {
    com::Bstr path;
    EXPECT_EQ(hidD->GetDevicePathName(&index, path.Put()), S_OK);
    return path.Text();
}

TEST_F(ServerTest, ScanFindsEachKindInOrderAndKeepsOlderPositions) {
    StartPanels("--radio 2 --multi 1");
    hidD = Create<IcHidD>(CLSID_cHidD, IID_IcHidD);
    ASSERT_TRUE(hidD);
    short count = -1;
    ASSERT_EQ(hidD->Scan(kSaitek, kRadio, &count), S_OK);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(PathAt(hidD.Get(), 1), panels.Path(1));
    EXPECT_EQ(PathAt(hidD.Get(), 2), panels.Path(2));

    ASSERT_EQ(hidD->Scan(kSaitek, kMulti, &count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(PathAt(hidD.Get(), 1), panels.Path(3));
    EXPECT_EQ(PathAt(hidD.Get(), 2), panels.Path(2)) << "a later position keeps the older path";

    // Product 0 passes the attribute test but no path carries "0000".
    ASSERT_EQ(hidD->Scan(kSaitek, 0, &count), S_OK);
    EXPECT_EQ(count, 0);

    short index = 17;
    com::Bstr path;
    EXPECT_EQ(hidD->GetDevicePathName(&index, path.Put()), ErrorHresult(kErrSubscriptOutOfRange));
}

TEST_F(ServerTest, SeventeenMatchingPanelsGiveSixteenPaths) {
    StartPanels("--radio 17");
    hidD = Create<IcHidD>(CLSID_cHidD, IID_IcHidD);
    ASSERT_TRUE(hidD);
    short count = -1;
    ASSERT_EQ(hidD->Scan(kSaitek, kRadio, &count), S_OK);
    EXPECT_EQ(count, 16);
    EXPECT_EQ(PathAt(hidD.Get(), 16), panels.Path(16));
}

TEST_F(ServerTest, CapabilitiesOfAVanishedPathKeepTheOldOnes) {
    StartPanels("--radio 1");
    hidD = Create<IcHidD>(CLSID_cHidD, IID_IcHidD);
    ASSERT_TRUE(hidD);
    VARIANT_BOOL read = VARIANT_FALSE;
    com::Variant path;
    path.Get().vt = VT_BSTR;
    path.Get().bstrVal = com::Bstr::Make(panels.Path(1));
    ASSERT_EQ(hidD->GetCapabilities(path.Get(), &read), S_OK);
    ASSERT_EQ(read, VARIANT_TRUE);
    short input = 0, feature = 0;
    hidD->CapsInputReportByteLength(&input);
    hidD->CapsFeatureReportByteLength(&feature);
    EXPECT_GT(input, 0);
    EXPECT_GT(feature, 0);

    ASSERT_TRUE(panels.Ok("unplug 1"));
    ASSERT_EQ(hidD->GetCapabilities(path.Get(), &read), S_OK);
    EXPECT_EQ(read, VARIANT_FALSE);
    short inputAfter = 0, featureAfter = 0;
    hidD->CapsInputReportByteLength(&inputAfter);
    hidD->CapsFeatureReportByteLength(&featureAfter);
    EXPECT_EQ(inputAfter, input);
    EXPECT_EQ(featureAfter, feature);
}

TEST_F(ServerTest, RawInputReachesTheClientApartmentWithItsBytesInOrder) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 1500));
    for (const char* report : {"00010203", "00A0B0C0", "00FFFFFF", "00000000"})
        ASSERT_TRUE(panels.Ok(std::string("input 1 ") + report));
    ASSERT_TRUE(PumpUntil([&] { return RawInputs() >= 4; }, 3000)) << RawInputs();
    PumpFor(100);
    ASSERT_EQ(RawInputs(), 4u) << "one event per report";
    EXPECT_FALSE(sink.BadArguments()) << "four by-reference bytes";
    const std::array<std::array<uint8_t, 4>, 4> expected{
        {{0x00, 0x01, 0x02, 0x03}, {0x00, 0xA0, 0xB0, 0xC0}, {0x00, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(sink.calls[i].bytes, expected[i]) << i;
        EXPECT_EQ(sink.calls[i].thread, ::GetCurrentThreadId()) << "delivered in the client's apartment";
    }
    StopReader();
}

TEST_F(ServerTest, SecondStartIsAlreadyStartedAndAStoppedReaderStartsAgain) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 1500));
    const HRESULT again = reader->StartThread();
    EXPECT_EQ(static_cast<uint32_t>(again), 0x800A7F1Cu);
    const ServerError error = DescribeError(again);
    EXPECT_EQ(error.number, kErrAlreadyStarted);
    EXPECT_EQ(error.description, "Already Started");
    EXPECT_EQ(error.source, "Relaybox.cMultiPanelIO.StartThread");

    // Late-bound callers get the number and texts in the exception record.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    DISPID startThread = 6;
    EXPECT_EQ(reader->Invoke(startThread, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(exception.scode), 0x800A7F1Cu);
    EXPECT_EQ(com::Bstr::ToString(exception.bstrDescription), "Already Started");
    EXPECT_EQ(com::Bstr::ToString(exception.bstrSource), "Relaybox.cMultiPanelIO.StartThread");
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrHelpFile);

    // The running loop was not disturbed.
    ASSERT_TRUE(panels.Ok("input 1 00000001"));
    EXPECT_TRUE(PumpUntil([&] { return RawInputs() == 1; }, 3000));

    const ULONGLONG before = ::GetTickCount64();
    ASSERT_EQ(reader->StopThread(), S_OK);
    ASSERT_EQ(reader->StartThread(), S_OK) << "a stopped reader starts again";
    EXPECT_LT(::GetTickCount64() - before, 1500u + 500u) << "within one wait period";
    PumpFor(300);
    ASSERT_TRUE(panels.Ok("input 1 00000002"));
    EXPECT_TRUE(PumpUntil([&] { return RawInputs() == 2; }, 3000));
    StopReader();
}

TEST_F(ServerTest, SilentPanelRaisesNothingWhileItsReadsTimeOut) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 200));
    PumpFor(1200);  // several cancelled and restarted reads
    EXPECT_EQ(RawInputs(), 0u);
    ASSERT_TRUE(panels.Ok("input 1 00000080"));
    ASSERT_TRUE(PumpUntil([&] { return RawInputs() == 1; }, 2000)) << "the loop still reads";
    EXPECT_EQ(sink.calls[0].bytes[3], 0x80);
    StopReader();
}

// A client's call to a reader whose loop waits for a silent panel is served
// at once, not after the rest of the wait: the client's thread (Orvex's
// window) waits for it. Input still arrives afterwards.
TEST_F(ServerTest, ACallReachesAReaderAtOnceWhileItWaitsForInput) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 6000));
    for (int i = 0; i < 3; ++i) {
        const ULONGLONG before = ::GetTickCount64();
        LONG timeout = 0;
        ASSERT_EQ(reader->get_HiddTimeout(&timeout), S_OK);
        EXPECT_EQ(timeout, 6000);
        EXPECT_LT(::GetTickCount64() - before, 2000u) << "call " << i;
    }
    ASSERT_TRUE(panels.Ok("input 1 00000001"));
    EXPECT_TRUE(PumpUntil([&] { return RawInputs() == 1; }, 3000));
    const ULONGLONG before = ::GetTickCount64();
    StopReader();
    EXPECT_LT(::GetTickCount64() - before, 2000u) << "the stop too";
}

TEST_F(ServerTest, UnpluggedPanelEndsTheLoopAndTellsTheClientOnce) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 300));
    LONG process = 0;
    ASSERT_EQ(reader->get_ProcessID(&process), S_OK);
    EXPECT_NE(process, 0);
    EXPECT_NE(static_cast<DWORD>(process), ::GetCurrentProcessId()) << "the server's own id";
    ASSERT_TRUE(panels.Ok("unplug 1"));
    // The failed read ends the loop within one wait period.
    ASSERT_TRUE(PumpUntil([&] { return ReadFailures() == 1; }, 2000));
    PumpFor(700);
    EXPECT_EQ(ReadFailures(), 1u) << "told once";
    EXPECT_EQ(RawInputs(), 0u);
    LONG handle = -1;
    ASSERT_EQ(reader->get_HIDHandle(&handle), S_OK);
    EXPECT_EQ(handle, 0);
    // Plugged again, the same object reads again once started again.
    ASSERT_TRUE(panels.Ok("plug 1"));
    ASSERT_EQ(reader->StartThread(), S_OK) << "the ended loop is not running";
    PumpFor(200);
    ASSERT_TRUE(panels.Ok("input 1 00000001"));
    EXPECT_TRUE(PumpUntil([&] { return RawInputs() == 1; }, 3000));
    // A stop asked for is no failure.
    StopReader();
    PumpFor(500);
    EXPECT_EQ(ReadFailures(), 1u);
}

// A reader's thread in the server ends while the server and its other
// objects run on (the thread was ended from outside): its client hears
// ReadFailed at once, a call to the reader says it is gone instead of
// hanging, and the other reader goes on reading.
TEST_F(ServerTest, AReaderWhoseThreadEndsTellsItsClientWhileTheServerReadsOn) {
    StartPanels("--radio 2");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 300));
    const DWORD process = ReaderProcess();
    const std::vector<DWORD> before = ThreadsOldestFirst(process);

    EventSink otherSink;
    com::ComPtr<IcPanelIO> other = Create<IcPanelIO>(CLSID_cPanelIO, IID_IcPanelIO);
    ASSERT_TRUE(other);
    auto otherAdvise = std::make_unique<Advise>(other.Get(), DIID_DcPanelIOEvents, &otherSink);
    ASSERT_EQ(otherAdvise->Result(), S_OK);
    ASSERT_EQ(other->put_HiddTimeout(300), S_OK);
    com::Bstr path(panels.Path(2));
    ASSERT_EQ(other->put_DevicePathName(path.Get()), S_OK);
    ASSERT_EQ(other->StartThread(), S_OK);
    PumpFor(300);
    // Its thread is the one that was not there before.
    std::vector<DWORD> added;
    for (DWORD id : ThreadsOldestFirst(process))
        if (std::find(before.begin(), before.end(), id) == before.end()) added.push_back(id);
    ASSERT_FALSE(added.empty());

    const ULONGLONG ended = ::GetTickCount64();
    ASSERT_TRUE(::PostThreadMessageA(added.front(), WM_QUIT, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return Events(otherSink, kReadFailed) == 1; }, 2000))
        << "told at once, not at its next read";
    std::printf("[ figure ] reader thread ended: ReadFailed after %llu ms\n", ::GetTickCount64() - ended);
    PumpFor(200);
    const ULONGLONG call = ::GetTickCount64();
    const HRESULT stopped = other->StopThread();
    EXPECT_TRUE(ServerEnding(stopped)) << std::hex << stopped;
    std::printf("[ figure ] a call to the disconnected reader failed (0x%08lX) after %llu ms\n",
                static_cast<unsigned long>(stopped), ::GetTickCount64() - call);
    EXPECT_LT(::GetTickCount64() - call, 1000u);
    otherAdvise.reset();
    other.Reset();

    ASSERT_TRUE(panels.Ok("input 1 00000001"));
    EXPECT_TRUE(PumpUntil([&] { return RawInputs() == 1; }, 3000));
    EXPECT_EQ(ReadFailures(), 0u);
    EXPECT_EQ(ServerProcessCount(), 1);
    StopReader();
}

// The server is asked to end while a reader waits for input: the reader
// tells its client at once (so it can connect anew) instead of the server
// lingering until its threads time out.
TEST_F(ServerTest, AServerAskedToEndTellsEveryReaderAtOnce) {
    StartPanels("--radio 1");
    ASSERT_NO_FATAL_FAILURE(StartReader(1, 6000));
    const DWORD server = ReaderProcess();
    const std::vector<DWORD> threads = ThreadsOldestFirst(server);
    ASSERT_FALSE(threads.empty());
    const ULONGLONG asked = ::GetTickCount64();
    ASSERT_TRUE(::PostThreadMessageA(threads.front(), WM_QUIT, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return ReadFailures() == 1; }, 2000));
    EXPECT_LT(::GetTickCount64() - asked, 2000u);
    const HRESULT stopped = reader->StopThread();
    EXPECT_TRUE(ServerEnding(stopped)) << std::hex << stopped;
    advise.reset();
    reader.Reset();
    if (!WaitForServerExit(3000)) {
        // Which threads are left says where an ending server hangs.
        const std::vector<DWORD> left = ThreadsOldestFirst(server);
        const bool mainLeft = std::find(left.begin(), left.end(), threads.front()) != left.end();
        ADD_FAILURE() << "it does not wait for its readers' time-outs: " << left.size() << " of its "
                      << threads.size() << " threads still run, its main thread " << (mainLeft ? "among them" : "gone");
    }
}

TEST_F(ServerTest, AServerStartedWithoutAClientEndsByItself) {
    // As when the client that had COM start the server is gone before it
    // made an object: no release will ever end it.
    std::string line = "\"" + DefaultServerPath() + "\" -Embedding";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    win32::UniqueHandle process(info.hProcess);
    ::CloseHandle(info.hThread);
    const ULONGLONG before = ::GetTickCount64();
    ASSERT_EQ(::WaitForSingleObject(process.get(), 40000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_GE(::GetTickCount64() - before, 9000u) << "it waits for a client for a while";
}

TEST_F(ServerTest, AnObjectAskedForAsTheServerEndsComesFromTheNextServer) {
    // The last object goes and the server starts to end; a client that asks
    // for an object at that moment (a panel reconnected at once) still gets
    // one, from the server started after it.
    for (int i = 0; i < 10; ++i) {
        hidD = Create<IcHidD>(CLSID_cHidD, IID_IcHidD);
        ASSERT_TRUE(hidD) << i;
        hidD.Reset();
        ::Sleep(static_cast<DWORD>(i * 10));
    }
    // COM may start a server for an activation that the ending one still
    // served; given no object, that one ends by itself after its idle time,
    // longer than the wait that follows every test.
    EXPECT_TRUE(WaitForServerExit(static_cast<DWORD>(server::kIdleShutdownMs) + 4000))
        << "a server without objects outlived its idle time";
}

TEST_F(ServerTest, ReaderOfAPathThatCannotBeOpenedEndsAtOnce) {
    StartPanels("--radio 1");
    reader = Create<IcPanelIO>(CLSID_cPanelIO, IID_IcPanelIO);
    ASSERT_TRUE(reader);
    advise = std::make_unique<Advise>(reader.Get(), DIID_DcPanelIOEvents, &sink);
    ASSERT_EQ(advise->Result(), S_OK);
    com::Bstr bad("\\\\?\\hid#vid_06a3&pid_0d05&virt#99#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    ASSERT_EQ(reader->put_DevicePathName(bad.Get()), S_OK);
    ASSERT_EQ(reader->StartThread(), S_OK);
    // StartThread returned before the loop tried the path: the client hears
    // of the failure through the event.
    ASSERT_TRUE(PumpUntil([&] { return ReadFailures() == 1; }, 2000));
    const ULONGLONG before = ::GetTickCount64();
    LONG handle = -1;
    ASSERT_EQ(reader->get_HIDHandle(&handle), S_OK);
    EXPECT_EQ(handle, 0);
    EXPECT_LT(::GetTickCount64() - before, 500u) << "no loop holds the object's thread";
    EXPECT_EQ(reader->StartThread(), S_OK) << "not left running";
    StopReader();
}

TEST_F(ServerTest, TimerEnabledFalseWhileIdleMakesTheNextStartEndAtOnce) {
    auto timer = Create<IcHighSpeedTimer>(CLSID_cHighSpeedTimer, IID_IcHighSpeedTimer);
    ASSERT_TRUE(timer);
    Advise events(timer.Get(), DIID_DcHighSpeedTimerEvents, &sink);
    ASSERT_EQ(events.Result(), S_OK);
    ASSERT_EQ(timer->put_Interval(10), S_OK);

    ASSERT_EQ(timer->put_Enabled(VARIANT_FALSE), S_OK);  // idle: leaves the stop request set
    ASSERT_EQ(timer->put_Enabled(VARIANT_TRUE), S_OK);   // runs a loop that ends at once
    PumpFor(300);
    EXPECT_EQ(sink.calls.size(), 0u);
    VARIANT_BOOL enabled = VARIANT_TRUE;
    ASSERT_EQ(timer->get_Enabled(&enabled), S_OK);
    EXPECT_EQ(enabled, VARIANT_FALSE);

    ASSERT_EQ(timer->put_Enabled(VARIANT_TRUE), S_OK);  // the flag was cleared: runs normally
    ASSERT_TRUE(PumpUntil([&] { return sink.calls.size() >= 5; }, 3000)) << sink.calls.size();
    ASSERT_EQ(timer->get_Enabled(&enabled), S_OK);
    EXPECT_EQ(enabled, VARIANT_TRUE);
    ASSERT_EQ(timer->put_Enabled(VARIANT_FALSE), S_OK);
    PumpFor(100);
    const size_t stopped = sink.calls.size();
    PumpFor(200);
    EXPECT_EQ(sink.calls.size(), stopped) << "no ticks after Enabled false";
    EXPECT_EQ(sink.calls[0].thread, ::GetCurrentThreadId());
}

} // namespace
