// SimStandin: plays FSUIPC for tests, the demo and anyone without a
// simulator. It opens the FSUIPC window, serves the exchanges sent to it and
// takes control commands through a named pipe.
//
//   SimStandin.exe [--class UIPCMAIN|FS98MAIN] [--pipe NAME] [--title "<aircraft>"]
//                  [--simid N] [--hidden] [--parent PID]
//   SimStandin.exe --ctl [--pipe NAME] <command words...>
#include "tools/simstandin/control_commands.h"
#include "tools/simstandin/pipe_client_win32.h"
#include "tools/simstandin/pipe_server_win32.h"
#include "tools/simstandin/standin_window_win32.h"

#include "common/win32/handles.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

using namespace orvex::simstandin;
using orvex::win32::UniqueHandle;

namespace {

void Write(DWORD which, const std::string& text) {
    HANDLE out = ::GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Usage(const std::string& problem) {
    Write(STD_ERROR_HANDLE, "SimStandin: " + problem +
                                "\r\nusage: SimStandin [--class UIPCMAIN|FS98MAIN] [--pipe NAME] [--title TEXT] "
                                "[--simid N] [--hidden] [--parent PID]\r\n"
                                "       SimStandin --ctl [--pipe NAME] <command...>\r\ncommands: " +
                                std::string(CommandSummary()) + "\r\n");
    return 2;
}

// Sends one command to a running stand-in and prints its reply: exit 0 for
// "ok", 1 for an error reply, 2 when no stand-in answers.
int Control(const std::string& pipePath, const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& w : words) line += (line.empty() ? "" : " ") + w;
    if (line.empty()) return Usage("--ctl needs a command");
    std::string reply;
    std::string error;
    if (!PipeRequest(pipePath, line, 15000, reply, error)) {
        Write(STD_ERROR_HANDLE, "SimStandin: " + error + "\r\n");
        return 2;
    }
    std::string text;
    for (char c : reply) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Write(STD_OUTPUT_HANDLE, text + "\r\n");
    return reply.rfind("ok", 0) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string pipeName;
    DWORD parent = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--ctl") {
            std::vector<std::string> words;
            int j = i + 1;
            if (j + 1 < argc && std::strcmp(argv[j], "--pipe") == 0) {
                pipeName = argv[j + 1];
                j += 2;
            }
            for (; j < argc; ++j) words.emplace_back(argv[j]);
            return Control(PipePath(pipeName), words);
        }
        if (arg == "--class" && value(v)) {
            if (v != "UIPCMAIN" && v != "FS98MAIN") return Usage("--class must be UIPCMAIN or FS98MAIN");
            options.windowClass = v;
        } else if (arg == "--pipe" && value(v)) {
            pipeName = v;
        } else if (arg == "--title" && value(v)) {
            if (v.size() >= off::kTitleSize) return Usage("--title is longer than 255 bytes");
            options.title = v;
        } else if (arg == "--simid" && value(v)) {
            const auto id = ParseUnsigned(v);
            if (!id || *id > 0xFFFF) return Usage("--simid needs a number 0..65535");
            options.simulator = static_cast<uint16_t>(*id);
        } else if (arg == "--parent" && value(v)) {
            const auto pid = ParseUnsigned(v);
            if (!pid || *pid == 0 || *pid > 0xFFFFFFFFu) return Usage("--parent needs a process id");
            parent = static_cast<DWORD>(*pid);
        } else if (arg == "--hidden") {
            options.hidden = true;
        } else {
            return Usage("unknown or incomplete option " + arg);
        }
    }
    options.pipePath = PipePath(pipeName);

    // Started for a test: end together with the test program.
    UniqueHandle watched;
    if (parent) {
        watched.reset(::OpenProcess(SYNCHRONIZE, FALSE, parent));
        if (!watched) return Usage("the --parent process does not run");
    }

    StandinApp app(options);
    const std::string problem = app.Create();
    if (!problem.empty()) {
        Write(STD_ERROR_HANDLE, "SimStandin: " + problem + "\r\n");
        return 3;
    }
    PipeServer server;
    const bool started = server.Start(
        options.pipePath,
        [&app](const std::string& line) -> PipeServer::Reply {
            const std::vector<std::string> words = SplitWords(line);
            const std::string first = words.empty() ? std::string() : words[0];
            // These need nothing of the window thread, which may be held up.
            if (first == "ping" && words.size() == 1) return {"ok", false};
            if (first == "pid" && words.size() == 1) return {"ok " + std::to_string(::GetCurrentProcessId()), false};
            if (first == "unhang" && words.size() == 1) {
                app.Unhang();
                return {"ok", false};
            }
            if (first == "quit" && words.size() == 1) return {"ok", true};
            return {app.Marshal(line), false};
        },
        [&app] { app.Quit(); });
    if (!started) {
        Write(STD_ERROR_HANDLE, "SimStandin: the pipe " + options.pipePath + " is in use\r\n");
        return 3;
    }
    // Started on a console of its own (from Explorer): let it go, the window
    // shows everything.
    DWORD processes[2];
    if (::GetConsoleWindow() && ::GetConsoleProcessList(processes, 2) == 1) ::FreeConsole();

    app.Run(watched.get());
    app.FinishPending();
    server.Stop();
    return 0;
}
