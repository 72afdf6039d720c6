#include "tools/simstandin/pipe_server_win32.h"

#include <windows.h>

namespace orvex::simstandin {

using win32::UniqueFile;
using win32::UniqueHandle;

namespace {

constexpr DWORD kBufferSize = 64 * 1024;
constexpr size_t kMaxRequest = 1024 * 1024;

// Waits for an overlapped operation or the stop event. False when stopped
// (the operation is then cancelled and finished) or when it failed.
bool Complete(HANDLE pipe, OVERLAPPED& ov, BOOL started, HANDLE stop, DWORD& done, DWORD& error) {
    error = started ? ERROR_SUCCESS : ::GetLastError();
    if (!started && error == ERROR_IO_PENDING) {
        const HANDLE waits[2] = {ov.hEvent, stop};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            ::CancelIo(pipe);
            ::GetOverlappedResult(pipe, &ov, &done, TRUE);
            error = ERROR_OPERATION_ABORTED;
            return false;
        }
    } else if (!started && error != ERROR_MORE_DATA) {
        return false;
    }
    if (!::GetOverlappedResult(pipe, &ov, &done, FALSE)) {
        error = ::GetLastError();
        return error == ERROR_MORE_DATA;
    }
    error = ERROR_SUCCESS;
    return true;
}

}  // namespace

HANDLE PipeServer::NewInstance(bool first) const {
    const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return ::CreateNamedPipeA(path_.c_str(), openMode, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                              PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, 0, nullptr);
}

bool PipeServer::Start(const std::string& pipePath, Handler handler, QuitCallback onQuit) {
    Stop();
    path_ = pipePath;
    handler_ = std::move(handler);
    onQuit_ = std::move(onQuit);
    UniqueFile first(NewInstance(true));
    if (!first) return false;
    stop_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) return false;
    listener_ = std::thread([this, pipe = std::move(first)]() mutable { Listen(std::move(pipe)); });
    return true;
}

void PipeServer::Stop() {
    if (!stop_) return;
    ::SetEvent(stop_.get());
    if (listener_.joinable()) listener_.join();
    std::vector<Client> clients;
    {
        std::lock_guard<std::mutex> lock(clientsMutex_);
        clients.swap(clients_);
    }
    for (Client& c : clients)
        if (c.thread.joinable()) c.thread.join();
    stop_.reset();
}

void PipeServer::Listen(UniqueFile pipe) {
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    while (::WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
        if (!pipe) {
            pipe.reset(NewInstance(false));
            if (!pipe) {  // out of resources for a moment: try again shortly
                ::WaitForSingleObject(stop_.get(), 100);
                continue;
            }
        }
        OVERLAPPED ov{};
        ov.hEvent = event.get();
        ::ResetEvent(event.get());
        const BOOL started = ::ConnectNamedPipe(pipe.get(), &ov);
        DWORD done = 0;
        DWORD error = 0;
        bool connected = false;
        if (!started && ::GetLastError() == ERROR_PIPE_CONNECTED) {
            connected = true;  // the client came before the call
        } else {
            connected = Complete(pipe.get(), ov, started, stop_.get(), done, error);
            if (error == ERROR_OPERATION_ABORTED) return;
        }
        if (!connected) {
            pipe.reset();
            continue;
        }
        // The next instance listens before this client is served, so that
        // the pipe is never without one for long.
        UniqueFile connectedPipe = std::move(pipe);
        pipe.reset(NewInstance(false));
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard<std::mutex> lock(clientsMutex_);
        // Threads of clients that have gone are joined here, so they do not pile up.
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (it->finished->load()) {
                it->thread.join();
                it = clients_.erase(it);
            } else {
                ++it;
            }
        }
        clients_.push_back({std::thread([this, p = std::move(connectedPipe), finished]() mutable {
                                Serve(std::move(p), finished);
                            }),
                            finished});
    }
}

std::string PipeServer::RunLines(const std::string& request, bool& quit) {
    std::string reply;
    size_t start = 0;
    bool any = false;
    while (start <= request.size() && !quit) {
        size_t end = request.find('\n', start);
        if (end == std::string::npos) end = request.size();
        std::string line = request.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        start = end + 1;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        const Reply r = handler_(line);
        if (any) reply += '\n';
        reply += r.text;
        any = true;
        quit = r.quit;
    }
    if (!any) reply = "error empty command";
    return reply + "\n";
}

void PipeServer::Serve(UniqueFile pipe, std::shared_ptr<std::atomic<bool>> finished) {
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::string buffer(kBufferSize, '\0');
    bool quit = false;
    while (event && !quit) {
        // One request message, in pieces if it is longer than the buffer.
        std::string request;
        bool ok = true;
        while (true) {
            OVERLAPPED ov{};
            ov.hEvent = event.get();
            ::ResetEvent(event.get());
            const BOOL started = ::ReadFile(pipe.get(), buffer.data(), kBufferSize, nullptr, &ov);
            DWORD done = 0;
            DWORD error = 0;
            ok = Complete(pipe.get(), ov, started, stop_.get(), done, error);
            if (!ok) break;
            request.append(buffer.data(), done);
            if (error != ERROR_MORE_DATA) break;
            if (request.size() > kMaxRequest) {
                ok = false;  // nobody sends commands this long: drop the client
                break;
            }
        }
        if (!ok) break;
        std::string reply = RunLines(request, quit);
        OVERLAPPED ov{};
        ov.hEvent = event.get();
        ::ResetEvent(event.get());
        const BOOL started =
            ::WriteFile(pipe.get(), reply.data(), static_cast<DWORD>(reply.size()), nullptr, &ov);
        DWORD done = 0;
        DWORD error = 0;
        if (!Complete(pipe.get(), ov, started, stop_.get(), done, error)) break;
        if (quit) {
            // Give the client a moment to take the reply and hang up before
            // the program ends and the pipe with its data goes away.
            OVERLAPPED wait{};
            wait.hEvent = event.get();
            ::ResetEvent(event.get());
            if (!::ReadFile(pipe.get(), buffer.data(), kBufferSize, nullptr, &wait) &&
                ::GetLastError() == ERROR_IO_PENDING) {
                if (::WaitForSingleObject(event.get(), 1000) != WAIT_OBJECT_0) ::CancelIo(pipe.get());
                ::GetOverlappedResult(pipe.get(), &wait, &done, TRUE);
            }
            if (onQuit_) onQuit_();
        }
    }
    ::DisconnectNamedPipe(pipe.get());
    finished->store(true);
}

}  // namespace orvex::simstandin
