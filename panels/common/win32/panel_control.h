// What every on-screen panel control shares: a child window of a fixed size
// (given at 96 DPI and scaled to the window's DPI) with a "Setup" button, a
// Relaybox reader of the panel's input reports, an output handle for its
// feature reports, and the orderly shutdown of the two. A panel kind derives
// from it, decodes its input, composes its reports and paints its copy.
#pragma once

#include "common/win32/handles.h"
#include "common/win32/window.h"
#include "relaybox/client/panel_reader.h"
#include "relaybox/hid/hid_device.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvex::panels {

class PanelControl : public win32::Window {
public:
    // The control's window class, its size and the Setup button's place,
    // all at 96 DPI.
    struct Layout {
        const char* className;
        int width;
        int height;
        RECT setupButton;
    };

    int PanelIndex() const { return panelIndex_; }
    // The reason the last Connect failed.
    const std::string& ConnectError() const { return connectError_; }
    bool Connected() const { return reader_.Running(); }
    bool DeviceOpen() const { return static_cast<bool>(device_); }
    // The path of the last successful connection.
    const std::string& DevicePath() const { return path_; }

    // Called (on the control's thread, after the event that caused it has
    // returned) when the device failed: its reader ended on its own or a
    // feature report could not be written. Once per connection.
    std::function<void()> OnDeviceFailed;
    // Releases the reader and the output handle of a device that is gone,
    // without writing to it. `serverGone`: the reader's server has ended,
    // so it is let go without a call.
    void ReleaseDevice(bool serverGone);
    // The short text drawn over the on-screen copy while the panel is not
    // connected; empty: connected, nothing drawn over it.
    void SetStatusText(const std::string& text);
    const std::string& StatusText() const { return statusText_; }
    // Sends every display, lamp and tile report as the control now holds
    // it, changed or not: a panel that lost power shows nothing until it is
    // told again.
    virtual void ResendAll() {}
    // The process id of the reader's server (0: none).
    unsigned long ServerProcessId() const { return reader_.ServerProcessId(); }
    HWND SetupButton() const { return cmdSetup_; }

    // What the reader's loop applies to Relaybox when Connect starts it: the
    // general setup's priority class and processor mask for the server.
    void SetReaderPriority(long priority, long affinity) {
        readerPriority_ = relaybox::PanelReader::LoopPriority{priority, affinity};
    }

    static SIZE FixedSize(const Layout& layout, UINT dpi) {
        return SIZE{win32::Scale(layout.width, dpi), win32::Scale(layout.height, dpi)};
    }

    // Redraws the copy for `dpi`: its size, the Setup button's place and
    // font, the kind's own fonts. The window moved to a monitor of another
    // scaling (WM_DPICHANGED_AFTERPARENT) calls it with its new DPI.
    void RescaleTo(UINT dpi);

protected:
    explicit PanelControl(const Layout& layout) : layout_(layout) {}

    // Creates the window as a child of `parent` at (x, y) pixels with its
    // Setup button. False when it exists already or cannot be created.
    bool CreatePanel(HWND parent, int panelIndex, int x, int y);

    // Creates and starts a reader of `path` in Relaybox that hands each
    // input report to `onInput`, and opens the path for feature reports.
    // False when the reader cannot be had (the reason in ConnectError()).
    // A device that cannot be opened for output still connects: its input
    // is read, its output stays dark. A second call replaces the first.
    // `readerFailureIsLoss`: a reader that ends on its own means the device
    // is gone (false for a panel that sends no input, whose reads say
    // nothing of its presence).
    bool ConnectDevice(const std::string& path, long readTimeoutMs, relaybox::PanelReader::ReportHandler onInput,
                       bool readerFailureIsLoss = true);

    // Stops raising events, lets `blank` darken the panel while the reader
    // still runs, stops the reader and closes the output handle, letting
    // the window messages run that carry the server's last calls.
    void ShutdownDevice(const std::function<void()>& blank);

    // Writes a feature report. A failed write is not retried; it tells the
    // owner through OnDeviceFailed, which reconnects the panel and sends
    // everything again.
    void SendFeature(const std::uint8_t* data, std::size_t size);
    // Writes a feature report the panel may refuse, whatever comes of it: its
    // failure says nothing of the panel being gone. False when it failed.
    bool SendFeatureMayFail(const std::uint8_t* data, std::size_t size);
    // Reads a feature report; false when there is no device or it fails.
    bool ReadFeature(std::uint8_t* data, std::size_t size);

    // Erasing, double-buffered painting through Paint, the Setup button
    // through SetupClicked, the fixed size and the end of the window; the
    // rest goes to the default procedure. A kind handles its own messages
    // first and passes the others here.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(HDC dc) = 0;
    virtual void SetupClicked() = 0;
    // The DPI changed: a kind remakes what it drew at the old one.
    virtual void DpiChanged() {}

    bool Closing() const { return closing_; }
    UINT Dpi() const { return dpi_; }
    int S(int length) const { return win32::Scale(length, dpi_); }
    RECT Scaled(int left, int top, int right, int bottom) const { return RECT{S(left), S(top), S(right), S(bottom)}; }

private:
    void DeviceFailed();
    void PaintStatus(HDC dc, const RECT& client);

    Layout layout_;
    int panelIndex_ = 0;
    UINT dpi_ = 96;
    std::unique_ptr<hid::IHidDevice> device_;
    relaybox::PanelReader reader_;
    std::optional<relaybox::PanelReader::LoopPriority> readerPriority_;
    std::string connectError_;
    std::string path_;
    std::string statusText_;
    bool failureTold_ = false;  // OnDeviceFailed is on its way or was called for this connection
    bool closing_ = false;  // being destroyed: no more events

    HWND cmdSetup_ = nullptr;  // a child: destroyed with the control
    win32::UniqueWindow tooltip_;
};

} // namespace orvex::panels
