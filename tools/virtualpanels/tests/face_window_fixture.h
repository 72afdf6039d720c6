// A drawn panel window in one process with its engine: a reader and a
// writer of the device open through the virtual HID system, the window's
// messages pumped on the test's thread, mouse messages given at points of
// the face.
#pragma once

#include "relaybox/hid/hid_system.h"
#include "tools/virtualpanels/engine_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvex::virtualpanels {

template <class PanelWindow, PanelKind kKind>
class FaceWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        const std::string instance = "OrvexFaceWindowTest" + std::string(Info(kKind).name) +
                                     std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++serial);
        PanelBank bank;
        path_ = bank.Add(kKind).path;
        engine_ = std::make_unique<Engine>(instance, std::move(bank));
        std::string error;
        ASSERT_TRUE(engine_->Open(error)) << error;
        window_ = std::make_unique<PanelWindow>(*engine_, 1, 1);
        ASSERT_TRUE(window_->Open(0, 0, false));
        engine_->SetObserver([w = window_.get()](int device) {
            if (device == 1) w->Notify();
        });
        io_ = std::thread([this] { engine_->Run(); });
        system_ = hid::MakeVirtualHidSystem(instance);
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
        const double scale = win32::WindowDpi(window_->Handle()) / 96.0;
        return MAKELPARAM(static_cast<int>(face.x * scale), static_cast<int>(face.y * scale));
    }

    void Mouse(UINT message, PointF face) { ::SendMessageA(window_->Handle(), message, 0, At(face)); }
    void Click(PointF face) {
        Mouse(WM_LBUTTONDOWN, face);
        Mouse(WM_LBUTTONUP, face);
    }

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
        while (words.size() < count && reader_->ReadReport(r, 4, 2000) == hid::ReadStatus::Report)
            words.push_back(static_cast<uint32_t>(r[1] << 16 | r[2] << 8 | r[3]));
        return words;
    }

    bool Silent() {
        uint8_t r[4];
        return reader_->ReadReport(r, 4, 250) == hid::ReadStatus::Timeout;
    }

    // A feature report of the panel's length: id 0, then `bytes`, the rest 0.
    bool Write(std::vector<uint8_t> bytes) {
        std::vector<uint8_t> report(Info(kKind).featureLength, 0);
        std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), report.size() - 1), report.begin() + 1);
        return writer_->SetFeature(report.data(), static_cast<uint32_t>(report.size()));
    }

    static PointF Centre(const RectF& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    std::string path_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<PanelWindow> window_;
    std::thread io_;
    std::unique_ptr<hid::IHidSystem> system_;
    std::unique_ptr<hid::IHidDevice> reader_, writer_;
};

} // namespace orvex::virtualpanels
