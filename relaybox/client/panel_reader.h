// A panel's reader in the Relaybox server as the device controls use it: a
// cPanelIO that reads one device path on a thread of the server and raises
// RawInput with each 4-byte input report. COM delivers the events on the
// thread that started the reader; they reach the handler given to Start.
//
//     PanelReader reader;
//     if (!reader.Start(path, 1500, [this](const auto& r) { OnRawInput(r); }, error)) ...
//     reader.Stop(pump);   // also when it goes (without a pump)
#pragma once

#include "relaybox/com_util.h"

#include <windows.h>
#include <ocidl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

struct IcPanelIO;

namespace orvex::relaybox {

class PanelReader {
public:
    using ReportHandler = std::function<void(const std::array<std::uint8_t, 4>&)>;
    // The reader's loop ended on its own: the device could not be opened or
    // a read failed (the panel is gone).
    using FailureHandler = std::function<void()>;

    PanelReader();
    PanelReader(const PanelReader&) = delete;
    PanelReader& operator=(const PanelReader&) = delete;
    // Stops the reader (no more reports reach the handler first).
    ~PanelReader();

    // Creates a reader of `path` in the server (registering the server when
    // it is not), with the read timeout `timeoutMs`, and starts its thread.
    // A running reader is stopped first. False with `error` set when the
    // server or the reader cannot be had.
    // `priority`, when given, is what the reader's loop applies to the
    // server: a priority class and a processor mask (-1: the server's
    // choice); values the server refuses leave it at its defaults.
    struct LoopPriority {
        long Priority;
        long Affinity;
    };
    bool Start(const std::string& path, long timeoutMs, ReportHandler onReport, std::string& error,
               const std::optional<LoopPriority>& priority = std::nullopt);
    // Where the reader's failure goes (kept across Start); it arrives, like
    // the reports, on the thread that started the reader.
    void OnFailure(FailureHandler handler) { onFailure_ = std::move(handler); }
    // No more reports reach the handler; the reader keeps running until Stop.
    void Detach() noexcept;
    // Detaches, stops the reader's thread and releases it. `pump` (when
    // given) runs between the two and after: it lets the window messages
    // run that carry the server's last calls. A reader whose object or
    // server is gone (the stop fails so) is abandoned instead.
    void Stop(const std::function<void()>& pump = nullptr);
    bool Running() const { return static_cast<bool>(reader_); }
    // The server's process id, learnt when the reader started (0 when there
    // is no reader); it is known also after the server has ended.
    unsigned long ServerProcessId() const;
    // Lets go of a reader whose server has ended, or whose object was
    // disconnected, without calling it.
    void Abandon() noexcept;

private:
    class Sink;
    void Release() noexcept;

    com::ComPtr<IcPanelIO> reader_;
    com::ComPtr<IConnectionPoint> eventPoint_;
    DWORD eventCookie_ = 0;
    com::ComPtr<Sink> sink_;
    FailureHandler onFailure_;
    unsigned long serverProcessId_ = 0;
};

} // namespace orvex::relaybox
