// Activates Relaybox and lets it go, round after round, and prints this
// process's private bytes as it goes (a development tool). With "restart"
// Relaybox is ended after every round, as the soak's fault does, so each
// round starts a new server: this shows how much a client process grows per
// restarted server when it does nothing else (COM's own bookkeeping), to
// compare with Orvex's growth per Relaybox restart in the soak.
//
//     ActivationLoop.exe <rounds> [restart]
#include "relaybox/client/relaybox_client.h"
#include "relaybox/com_util.h"
#include "relaybox/tests/com_test_support.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory))) return 0;
    return static_cast<double>(memory.PagefileUsage) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const bool restart = argc > 2 && std::strcmp(argv[2], "restart") == 0;
    ::setvbuf(stdout, nullptr, _IONBF, 0);
    // The window's thread of Orvex is a single-threaded apartment.
    orvex::com::ComApartment apartment(COINIT_APARTMENTTHREADED);
    if (FAILED(apartment.Result())) return 2;
    double first = 0;
    for (int round = 1; round <= rounds; ++round) {
        {
            orvex::com::ComPtr<IcHidD> server;
            std::string error;
            const HRESULT hr = orvex::relaybox::CreateHidD(server.Put(), error,
                                                           orvex::relaybox::DefaultServerPath());
            if (FAILED(hr)) {
                std::printf("round %d: Relaybox could not be activated (0x%08lX)\n", round,
                            static_cast<unsigned long>(hr));
                return 1;
            }
            short count = 0;
            server->Scan(0x06A3, 0x0D05, &count);
        }
        if (restart) {
            // Under Wine a killed server's classes stay registered with the
            // prefix's rpcss until it ends too.
            orvex::relaybox::test::EndProcesses("Relaybox.exe", 5000);
            orvex::relaybox::test::EndProcesses("rpcss.exe", 5000);
        }
        if (round == 1) first = PrivateMegabytes();
        if (round % 10 == 0 || round == rounds)
            std::printf("round %d: private %.2f MB (%+.1f KB per round since the first)\n", round, PrivateMegabytes(),
                        (PrivateMegabytes() - first) * 1024.0 / (round > 1 ? round - 1 : 1));
    }
    return 0;
}
