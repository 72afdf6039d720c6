// The drawn Radio Panel in one process with its engine: mouse messages on
// the window reach a reader of the device as the control commands' reports
// do, and the displays follow the feature reports a writer sends.
#include "relaybox/hid/hid_system.h"
#include "tools/virtualpanels/engine_win32.h"
#include "tools/virtualpanels/radio_window_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <functional>
#include <memory>
#include <thread>

using namespace orvex::virtualpanels;
using orvex::hid::IHidDevice;
using orvex::hid::ReadStatus;

namespace {

class RadioWindow : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        const std::string instance =
            "OrvexRadioWindowTest" + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++serial);
        PanelBank bank;
        path_ = bank.Add(PanelKind::Radio).path;
        engine_ = std::make_unique<Engine>(instance, std::move(bank));
        std::string error;
        ASSERT_TRUE(engine_->Open(error)) << error;
        window_ = std::make_unique<RadioPanelWindow>(*engine_, 1, 1);
        ASSERT_TRUE(window_->Open(0, 0, false));
        engine_->SetObserver([w = window_.get()](int device) {
            if (device == 1) w->Notify();
        });
        io_ = std::thread([this] { engine_->Run(); });
        system_ = orvex::hid::MakeVirtualHidSystem(instance);
        reader_ = system_->Open(path_, true);
        writer_ = system_->Open(path_, false);
        ASSERT_TRUE(reader_ && writer_);
    }

    void TearDown() override {
        reader_.reset();
        writer_.reset();
        if (io_.joinable()) {
            engine_->Stop();
            io_.join();
        }
        window_.reset();
    }

    // Handles the window's messages until `done` holds or `ms` have passed.
    bool Pump(const std::function<bool()>& done, int ms) {
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
        for (;;) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            if (done && done()) return true;
            if (::GetTickCount64() >= end) return false;
            ::Sleep(2);
        }
    }

    LPARAM At(PointF face) const {
        const double scale = orvex::win32::WindowDpi(window_->Handle()) / 96.0;
        return MAKELPARAM(static_cast<int>(face.x * scale), static_cast<int>(face.y * scale));
    }

    void Mouse(UINT message, PointF face) { ::SendMessageA(window_->Handle(), message, 0, At(face)); }

    void Wheel(PointF face, int delta) {
        POINT p{GET_X_LPARAM(At(face)), GET_Y_LPARAM(At(face))};
        ::ClientToScreen(window_->Handle(), &p);
        ::SendMessageA(window_->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                       MAKELPARAM(p.x, p.y));
    }

    // The state words of the next `count` input reports.
    std::vector<uint32_t> Read(size_t count) {
        std::vector<uint32_t> words;
        uint8_t r[4];
        while (words.size() < count && reader_->ReadReport(r, 4, 2000) == ReadStatus::Report)
            words.push_back(static_cast<uint32_t>(r[1] << 16 | r[2] << 8 | r[3]));
        return words;
    }

    bool Silent() {
        uint8_t r[4];
        return reader_->ReadReport(r, 4, 250) == ReadStatus::Timeout;
    }

    bool Write(std::vector<uint8_t> digits) {
        std::vector<uint8_t> report(23, 0);
        std::copy(digits.begin(), digits.end(), report.begin() + 1);
        return writer_->SetFeature(report.data(), 23);
    }

    std::string path_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<RadioPanelWindow> window_;
    std::thread io_;
    std::unique_ptr<orvex::hid::IHidSystem> system_;
    std::unique_ptr<IHidDevice> reader_, writer_;
};

PointF Centre(const RectF& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

} // namespace

TEST_F(RadioWindow, MouseActionsReachAReaderAsTheCommandsDo) {
    // A wheel notch over the upper inner ring: two set/clear pairs of its pulse.
    Wheel(face::KnobCentre(0), WHEEL_DELTA);
    EXPECT_EQ(Read(4), (std::vector<uint32_t>{0x810001, 0x810000, 0x810001, 0x810000}));

    // Two notches back over the lower outer ring, given at once: one train after the other.
    const PointF lowerOuter{face::KnobCentre(1).x, face::KnobCentre(1).y - face::kOuterKnobRadius + 6};
    Wheel(lowerOuter, -WHEEL_DELTA);
    Wheel(lowerOuter, -WHEEL_DELTA);
    auto words = Read(8);
    ASSERT_EQ(words.size(), 8u);
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(words[i], 0x810000u | (i % 2 == 0 ? 0x80u : 0u)) << i;
    // Half a notch turns nothing yet; the other half does.
    Wheel(face::KnobCentre(0), WHEEL_DELTA / 2);
    EXPECT_TRUE(Silent());
    Wheel(face::KnobCentre(0), WHEEL_DELTA / 2);
    EXPECT_EQ(Read(4).size(), 4u);

    // Selectors: a label, and the knob; COM1 is the first stop.
    Mouse(WM_LBUTTONDOWN, Centre(face::PositionLabel(1, 3)));
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x010400}));
    Mouse(WM_RBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_TRUE(Silent());
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x020400}));
    // Clicks quicker than the window hears back still count from the last one sent.
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    Mouse(WM_LBUTTONDOWN, face::SelectorKnob(0).centre);
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x040400, 0x080400}));

    // ACT/STBY is held while the mouse button is down, and let go when the capture goes.
    Mouse(WM_LBUTTONDOWN, face::Button(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x084400}));
    Mouse(WM_LBUTTONUP, face::Button(0).centre);
    EXPECT_EQ(Read(1), (std::vector<uint32_t>{0x080400}));
    Mouse(WM_LBUTTONDOWN, face::Button(1).centre);
    ::SendMessageA(window_->Handle(), WM_CAPTURECHANGED, 0, 0);
    Mouse(WM_LBUTTONUP, face::Button(1).centre);
    EXPECT_EQ(Read(2), (std::vector<uint32_t>{0x088400, 0x080400}));
    EXPECT_TRUE(Silent()) << "released once";

    // A click beside every control does nothing.
    Mouse(WM_LBUTTONDOWN, Centre(face::DisplayWindow(0)));
    Mouse(WM_LBUTTONUP, Centre(face::DisplayWindow(0)));
    EXPECT_TRUE(Silent());
}

TEST_F(RadioWindow, DisplaysFollowTheFeatureReportsAndRedrawOnlyOnChange) {
    EXPECT_EQ(DisplaysText(window_->Shown()), "     |     |     |     ");
    const uint64_t before = window_->Redraws();
    ASSERT_TRUE(Write({0x01, 0x01, 0xD8, 0x00, 0x02, 0x01, 0x02, 0xD1, 0x05, 0x00,  //
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDF, 0x07}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before; }, 2000));
    EXPECT_EQ(DisplaysText(window_->Shown()), "118.02|121.50|     |    .7");

    // The same bytes again: nothing to redraw.
    ASSERT_TRUE(Write({0x01, 0x01, 0xD8, 0x00, 0x02, 0x01, 0x02, 0xD1, 0x05, 0x00,  //
                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDF, 0x07}));
    Pump({}, 200);
    EXPECT_EQ(window_->Redraws(), before + 1);

    ASSERT_TRUE(Write({0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_TRUE(Pump([&] { return window_->Redraws() > before + 1; }, 2000));
    EXPECT_EQ(DisplaysText(window_->Shown()), "    0|00000|00000|00000");
    // Drawing what it shows (the window is hidden, so ask for it).
    ::SendMessageA(window_->Handle(), WM_PAINT, 0, 0);
}
