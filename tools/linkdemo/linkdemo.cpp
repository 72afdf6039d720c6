// Connects to FSUIPC (or the stand-in) through Orvex's link, prints the
// versions and the aircraft, tunes the COM1 standby frequency one 25 kHz
// channel up and reads it back.
#include "simlink/conversions.h"
#include "simlink/offset.h"
#include "simlink/win32/fsuipc_platform_win32.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace orvex::simlink;

namespace {

const char* SimulatorName(int32_t id) {
    static const char* const names[] = {"Any", "FS98", "FS2K", "CFS2", "CFS1", "FLY",
                                        "FS2002", "FS2004", "FSX", "ESP", "P3D"};
    return id >= 0 && id <= 10 ? names[id] : nullptr;
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

    cOFFSET title(link);
    title.Offset = 0x3D00;
    title.SetDataType(9);
    title.Lenght = 60;
    title.DirectRead(true);
    cOFFSET standby(link);  // COM1 standby: four BCD digits after the leading 1
    standby.Offset = 0x311A;
    standby.SetDataType(3);
    standby.DirectRead(true);
    if (title.dwResult != ResultOk || standby.dwResult != ResultOk) {
        std::printf("reading failed: %s\n", LinkResultName(standby.dwResult));
        return 1;
    }
    std::printf("aircraft: %s\n", title.Data().AsText().c_str());
    const float before = ExpandComFrequency(standby.GetFreq());
    std::printf("COM1 standby: %.3f MHz\n", before);

    // One 25 kHz channel up, wrapping within the COM band.
    float after = SnapToChannel(before) + 0.025f;
    if (after >= 137.0f) after = 118.0f;
    const auto digits = static_cast<int32_t>(std::floor((after - 100.0f) * 100.0f + 0.001f));
    standby.SetBcd(digits);
    standby.DirectWrite(true);
    if (standby.dwResult != ResultOk) {
        std::printf("tuning failed: %s\n", LinkResultName(standby.dwResult));
        return 1;
    }
    const int32_t written = standby.GetBCD();
    std::printf("tuned COM1 standby to %.3f MHz (digits %04d written as BCD to 0x311A)\n", after, written);

    standby.SetBcd(0);
    standby.DirectRead(true);
    const bool same = standby.dwResult == ResultOk && standby.GetBCD() == written;
    std::printf("read back: %.3f MHz - %s\n", ExpandComFrequency(standby.GetFreq()), same ? "matches" : "DIFFERS");
    link.LinkClose();
    return same ? 0 : 1;
}
