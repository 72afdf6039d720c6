// The stand-in's control pipe: a listening thread and one thread per
// connected client. Every request message is a command line (several lines
// are run one after the other); the reply is one message.
#pragma once

#include "common/win32/handles.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvex::simstandin {

class PipeServer {
public:
    struct Reply {
        std::string text;
        bool quit = false;  // call the quit callback once the reply is written
    };
    // Both run on the pipe threads.
    using Handler = std::function<Reply(const std::string& line)>;
    using QuitCallback = std::function<void()>;

    PipeServer() = default;
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;
    ~PipeServer() { Stop(); }

    // Creates the first pipe instance (so that a name in use fails here) and
    // starts listening.
    bool Start(const std::string& pipePath, Handler handler, QuitCallback onQuit);
    // Ends every pipe thread and waits for them.
    void Stop();

private:
    struct Client {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    HANDLE NewInstance(bool first) const;
    void Listen(win32::UniqueFile pipe);
    void Serve(win32::UniqueFile pipe, std::shared_ptr<std::atomic<bool>> finished);
    std::string RunLines(const std::string& request, bool& quit);

    std::string path_;
    Handler handler_;
    QuitCallback onQuit_;
    win32::UniqueHandle stop_;
    std::thread listener_;
    std::mutex clientsMutex_;
    std::vector<Client> clients_;
};

}  // namespace orvex::simstandin
