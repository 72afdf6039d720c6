// Connects to FSUIPC (or the stand-in) through Orvex's link, prints the
// versions and the aircraft, tunes the COM1 standby frequency one 25 kHz
// channel up and reads it back.
#include "simlink/win32/fsuipc_platform_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

using namespace orvex::simlink;

namespace {

const char* SimulatorName(int32_t id) {
    static const char* const names[] = {"Any", "FS98", "FS2K", "CFS2", "CFS1", "FLY",
                                        "FS2002", "FS2004", "FSX", "ESP", "P3D"};
    return id >= 0 && id <= 10 ? names[id] : nullptr;
}

// Four BCD digits after the leading 1 of a radio frequency, in kHz.
int BcdToKhz(uint16_t bcd) {
    const int digits = ((bcd >> 12) & 15) * 1000 + ((bcd >> 8) & 15) * 100 + ((bcd >> 4) & 15) * 10 + (bcd & 15);
    int khz = 100000 + digits * 10;
    const int last = khz % 100;  // FSUIPC keeps two decimals: .x2 is .x25, .x7 is .x75
    if (last == 20 || last == 70) khz += 5;
    return khz;
}

uint16_t KhzToBcd(int khz) {
    const int digits = (khz - 100000) / 10;
    return static_cast<uint16_t>(((digits / 1000) << 12) | (((digits / 100) % 10) << 8) |
                                 (((digits / 10) % 10) << 4) | (digits % 10));
}

bool Exchange(FsuipcLink& link, const char* what) {
    int32_t result = 0;
    if (link.LinkProcess(result)) return true;
    std::printf("%s failed: %s (%d)\n", what, LinkResultName(result), result);
    return false;
}

} // namespace

int main() {
    Win32FsuipcLink owner;
    FsuipcLink& link = owner.Link();
    link.LinkReset();

    int32_t result = 0;
    bool open = false;
    for (int attempt = 0; attempt < 10 && !open; ++attempt) {
        open = link.LinkOpen(0, result);
        if (!open) ::Sleep(500);
    }
    if (!open) {
        std::printf("could not connect: %s (%d)\n", LinkResultName(result), result);
        return 1;
    }
    const auto v = static_cast<uint32_t>(link.FsuipcVersion());
    std::printf("connected: FSUIPC version %X.%03X (0x%08X)", v >> 28, (v >> 16) & 0xFFF, v);
    const char* name = SimulatorName(link.SimulatorVersion());
    if (name) std::printf(", simulator %s\n", name);
    else std::printf(", simulator %d\n", link.SimulatorVersion());

    char title[61] = {};
    uint16_t standby = 0;
    link.LinkRead(0x3D00, 60, title, result);
    link.LinkRead(0x311A, 2, &standby, result);
    if (!Exchange(link, "reading")) return 1;
    std::printf("aircraft: %s\n", title);
    const int before = BcdToKhz(standby);
    std::printf("COM1 standby: %d.%03d MHz\n", before / 1000, before % 1000);

    int after = before + 25;
    if (after >= 137000) after = 118000;
    const uint16_t bcd = KhzToBcd(after);
    link.LinkWrite(0x311A, 2, &bcd, result);
    if (!Exchange(link, "tuning")) return 1;
    std::printf("tuned COM1 standby to %d.%03d MHz (BCD 0x%04X written to 0x311A)\n", after / 1000,
                after % 1000, bcd);

    uint16_t check = 0;
    link.LinkRead(0x311A, 2, &check, result);
    if (!Exchange(link, "reading back")) return 1;
    const int readBack = BcdToKhz(check);
    std::printf("read back: %d.%03d MHz - %s\n", readBack / 1000, readBack % 1000,
                check == bcd ? "matches" : "DIFFERS");
    link.LinkClose();
    return check == bcd ? 0 : 1;
}
