#include "tools/simstandin/control_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvex::simstandin {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Error(const std::string& reason) { return "error " + reason; }

// "ok <n>" and the lines.
std::string MultiLine(const std::vector<std::string>& lines) {
    std::string reply = "ok " + std::to_string(lines.size());
    for (const std::string& line : lines) {
        reply += '\n';
        reply += line;
    }
    return reply;
}

std::string Hex(uint64_t v, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

bool ParseOffset(const std::string& text, uint32_t& offset) {
    const auto v = ParseUnsigned(text);
    if (!v || *v >= kTableSize) return false;
    offset = static_cast<uint32_t>(*v);
    return true;
}

std::string FaultCommand(Standin& s, ICommandHost& host, const std::vector<std::string>& w) {
    if (w.size() < 2) return Error("usage: fault none|reject|zeros <n>|simid <id>|version <v>|slow <ms>|hang [<ms>]");
    const std::string kind = Lower(w[1]);
    auto argument = [&](uint64_t max) -> std::optional<uint64_t> {
        if (w.size() != 3) return std::nullopt;
        const auto v = ParseUnsigned(w[2]);
        if (!v || *v > max) return std::nullopt;
        return v;
    };
    if (kind == "none" && w.size() == 2) {
        s.ClearFaults();
        return "ok";
    }
    if (kind == "reject" && w.size() == 2) {
        s.SetFault({FaultKind::Reject, 0, 0});
        return "ok";
    }
    if (kind == "zeros") {
        const auto n = argument(0xFFFFFFFFu);
        if (!n) return Error("usage: fault zeros <count>");
        s.SetFault(*n == 0 ? Fault{} : Fault{FaultKind::Zeros, static_cast<uint32_t>(*n), 0});
        return "ok";
    }
    if (kind == "simid") {
        const auto n = argument(0xFFFF);
        if (!n) return Error("usage: fault simid <0..65535>");
        s.SetSimulator(static_cast<uint16_t>(*n));
        return "ok";
    }
    if (kind == "version") {
        if (w.size() != 3) return Error("usage: fault version <value>");
        const auto v = ParseSigned(w[2]);
        if (!v || *v < INT32_MIN || *v > static_cast<int64_t>(UINT32_MAX)) return Error("version must fit in 32 bits");
        s.SetFsuipcVersion(static_cast<uint32_t>(*v));
        return "ok";
    }
    if (kind == "slow") {
        const auto ms = argument(60000);
        if (!ms) return Error("usage: fault slow <0..60000 ms>");
        s.SetFault(*ms == 0 ? Fault{} : Fault{FaultKind::Slow, 0, static_cast<uint32_t>(*ms)});
        return "ok";
    }
    if (kind == "hang") {
        uint64_t ms = 60000;
        if (w.size() == 3) {
            const auto v = ParseUnsigned(w[2]);
            if (!v || *v == 0 || *v > 600000) return Error("usage: fault hang [<1..600000 ms>]");
            ms = *v;
        } else if (w.size() != 2) {
            return Error("usage: fault hang [<ms>]");
        }
        host.ArmHang();
        s.SetFault({FaultKind::Hang, 0, static_cast<uint32_t>(ms)});
        return "ok";
    }
    return Error("unknown fault " + w[1]);
}

std::string Bcd4(uint64_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04llX", static_cast<unsigned long long>(v & 0xFFFF));
    return buf;
}

// "1xx.xx" from the four BCD digits FSUIPC keeps.
std::string Frequency(const OffsetTable& t, uint32_t offset) {
    const std::string d = Bcd4(t.GetUnsigned(offset, 2));
    return "1" + d.substr(0, 2) + "." + d.substr(2);
}

std::string Adf(const OffsetTable& t, uint32_t main, uint32_t ext) {
    const std::string m = Bcd4(t.GetUnsigned(main, 2));
    const uint64_t e = t.GetUnsigned(ext, 2);
    const std::string thousands = (e >> 8) & 0xF ? std::to_string((e >> 8) & 0xF) : "";
    std::string digits = thousands + m.substr(1);
    return digits + "." + std::to_string(e & 0xF);
}

std::string OnOff(uint64_t v) { return v ? "on" : "off"; }

const char* SimulatorName(uint32_t id) {
    static const char* const names[] = {"Any", "FS98", "FS2K", "CFS2", "CFS1", "FLY",
                                        "FS2002", "FS2004", "FSX", "ESP", "P3D"};
    return id < std::size(names) ? names[id] : "unknown";
}

}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) words.emplace_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

std::optional<uint64_t> ParseUnsigned(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return std::nullopt;
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<int64_t> ParseSigned(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    const auto v = ParseUnsigned(text);
    if (!v) return std::nullopt;
    if (negative) {
        if (*v > static_cast<uint64_t>(INT64_MAX) + 1) return std::nullopt;
        return static_cast<int64_t>(0 - *v);
    }
    return static_cast<int64_t>(*v);  // values above INT64_MAX keep their bits
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    int pending = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (pending >= 0) return std::nullopt;  // an odd digit before a blank
            continue;
        }
        int nibble;
        if (c >= '0' && c <= '9') nibble = c - '0';
        else if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
        else return std::nullopt;
        if (pending < 0) {
            pending = nibble;
        } else {
            bytes.push_back(static_cast<uint8_t>(pending * 16 + nibble));
            pending = -1;
        }
    }
    if (pending >= 0 || bytes.empty()) return std::nullopt;
    return bytes;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string ExecuteCommand(Standin& s, ICommandHost& host, std::string_view line) {
    const std::vector<std::string> w = SplitWords(line);
    if (w.empty()) return Error("empty command");
    const std::string cmd = Lower(w[0]);
    OffsetTable& t = s.Table();

    if (cmd == "set") {
        uint32_t offset = 0;
        if (w.size() < 3 || !ParseOffset(w[1], offset)) return Error("usage: set <offset> <hexbytes>");
        std::string hex;
        for (size_t i = 2; i < w.size(); ++i) hex += w[i];
        const auto bytes = ParseHexBytes(hex);
        if (!bytes) return Error("bad hex bytes");
        if (!t.Write(offset, *bytes)) return Error("outside the offset table");
        s.Touch();
        return "ok";
    }
    if (cmd == "setint") {
        uint32_t offset = 0;
        if (w.size() != 4 || !ParseOffset(w[1], offset)) return Error("usage: setint <offset> <1|2|4|8> <value>");
        const auto size = ParseUnsigned(w[2]);
        if (!size || (*size != 1 && *size != 2 && *size != 4 && *size != 8)) return Error("size must be 1, 2, 4 or 8");
        const auto value = ParseSigned(w[3]);
        if (!value) return Error("bad value");
        if (*size < 8) {
            const int64_t lowest = -(int64_t{1} << (8 * *size - 1));
            const int64_t highest = (int64_t{1} << (8 * *size)) - 1;
            if (*value < lowest || *value > highest) return Error("value does not fit in " + w[2] + " bytes");
        }
        if (!t.SetInt(offset, static_cast<uint32_t>(*size), static_cast<uint64_t>(*value)))
            return Error("outside the offset table");
        s.Touch();
        return "ok";
    }
    if (cmd == "get") {
        uint32_t offset = 0;
        if (w.size() != 3 || !ParseOffset(w[1], offset)) return Error("usage: get <offset> <size>");
        const auto size = ParseUnsigned(w[2]);
        if (!size || *size == 0 || !OffsetTable::InRange(offset, *size)) return Error("outside the offset table");
        std::vector<uint8_t> bytes(static_cast<size_t>(*size));
        t.Read(offset, bytes);
        return "ok " + ToHex(bytes);
    }
    if (cmd == "title") {
        // The rest of the line after the word, blanks inside kept.
        std::string_view rest = line;
        rest.remove_prefix(std::min(rest.size(), rest.find(w[0]) + w[0].size()));
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
        if (rest.size() >= off::kTitleSize) return Error("title longer than 255 bytes");
        s.SetTitle(std::string(rest));
        return "ok";
    }
    if (cmd == "fault") return FaultCommand(s, host, w);
    if (cmd == "window") {
        if (w.size() == 2 && Lower(w[1]) == "close") {
            const std::string error = host.CloseWindow();
            return error.empty() ? "ok" : Error(error);
        }
        if ((w.size() == 2 || w.size() == 3) && Lower(w[1]) == "open") {
            const std::string cls = w.size() == 3 ? w[2] : "UIPCMAIN";
            if (cls != "UIPCMAIN" && cls != "FS98MAIN") return Error("class must be UIPCMAIN or FS98MAIN");
            const std::string error = host.OpenWindow(cls);
            return error.empty() ? "ok" : Error(error);
        }
        return Error("usage: window close | window open [UIPCMAIN|FS98MAIN]");
    }
    if (cmd == "stats" && w.size() == 1) {
        return "ok exchanges=" + std::to_string(s.Exchanges()) + " rejected=" + std::to_string(s.Rejected()) +
               " malformed=" + std::to_string(s.Malformed()) + " late=" + std::to_string(s.Late());
    }
    if (cmd == "log" || cmd == "controls" || cmd == "buttons") {
        size_t n = cmd == "log" ? 10 : Standin::kMaxLog;
        if (w.size() == 2) {
            const auto v = ParseUnsigned(w[1]);
            if (!v) return Error("usage: " + cmd + " [<count>]");
            n = static_cast<size_t>(std::min<uint64_t>(*v, Standin::kMaxLog));
        } else if (w.size() > 2) {
            return Error("usage: " + cmd + " [<count>]");
        }
        std::vector<std::string> lines;
        auto last = [n](const auto& ring) { return ring.size() - std::min(ring.size(), n); };
        if (cmd == "log") {
            for (size_t i = last(s.Log()); i < s.Log().size(); ++i) lines.push_back(FormatExchange(s.Log()[i]));
        } else if (cmd == "controls") {
            for (size_t i = last(s.Controls()); i < s.Controls().size(); ++i)
                lines.push_back(std::to_string(s.Controls()[i].control) + " " +
                                std::to_string(s.Controls()[i].parameter));
        } else {
            for (size_t i = last(s.Buttons()); i < s.Buttons().size(); ++i)
                lines.push_back(Hex(s.Buttons()[i].offset, 4) + " " + ToHex(s.Buttons()[i].bytes));
        }
        return MultiLine(lines);
    }
    if (cmd == "clearlog" && w.size() == 1) {
        s.ClearLogs();
        return "ok";
    }
    return Error("unknown command " + w[0]);
}

std::vector<StatusLine> StatusLines(const Standin& s, const std::string& windowClass) {
    const OffsetTable& t = s.Table();
    std::vector<StatusLine> lines;
    const auto version = static_cast<uint32_t>(t.GetUnsigned(off::kFsuipcVersion, 4));
    const auto simulator = static_cast<uint32_t>(t.GetUnsigned(off::kSimulatorVersion, 4));
    const uint32_t simId = simulator & 0xFFFF;
    std::string sim = Hex(simulator, 8) + "  " + SimulatorName(simId) + " (" + std::to_string(simId) + ")";
    if ((simulator >> 16) != 0xFADE) sim += "  bad pattern";
    lines.push_back({"Window", windowClass.empty() ? std::string("closed") : windowClass});
    lines.push_back({"FSUIPC version", Hex(version, 8)});
    lines.push_back({"Simulator", sim});
    const std::string title = t.GetText(off::kTitle, off::kTitleSize - 1);
    lines.push_back({"Aircraft", title.empty() ? std::string("(none)") : title});
    lines.push_back({"COM1", Frequency(t, off::kCom1) + "   standby " + Frequency(t, off::kCom1Standby)});
    lines.push_back({"COM2", Frequency(t, off::kCom2) + "   standby " + Frequency(t, off::kCom2Standby)});
    lines.push_back({"NAV1", Frequency(t, off::kNav1) + "   standby " + Frequency(t, off::kNav1Standby)});
    lines.push_back({"NAV2", Frequency(t, off::kNav2) + "   standby " + Frequency(t, off::kNav2Standby)});
    lines.push_back({"ADF1 / ADF2",
                     Adf(t, off::kAdf1, off::kAdf1Ext) + "   " + Adf(t, off::kAdf2, off::kAdf2Ext) + " kHz"});
    lines.push_back({"Transponder", Bcd4(t.GetUnsigned(off::kTransponder, 2))});
    char buf[160];
    std::snprintf(buf, sizeof buf, "%.2f hPa", static_cast<double>(t.GetUnsigned(off::kAltimeter, 2)) / 16.0);
    lines.push_back({"Altimeter", buf});
    lines.push_back({"Battery / avionics", OnOff(t.GetUnsigned(off::kBatteryMaster, 4)) + " / " +
                                               OnOff(t.GetUnsigned(off::kAvionicsMaster, 4))});
    const uint64_t lights = t.GetUnsigned(off::kLights, 2);
    std::string lightText = Hex(lights, 4);
    static const std::pair<uint64_t, const char*> lightNames[] = {
        {0x01, "NAV"}, {0x02, "BEACON"}, {0x04, "LANDING"}, {0x08, "TAXI"}, {0x10, "STROBE"}, {0x20, "PANEL"}};
    for (const auto& [bit, name] : lightNames)
        if (lights & bit) lightText += std::string(" ") + name;
    lines.push_back({"Lights", lightText});
    std::snprintf(buf, sizeof buf, "lever %lld   nose %lld  right %lld  left %lld",
                  static_cast<long long>(t.GetSigned(off::kGearControl, 4)),
                  static_cast<long long>(t.GetSigned(off::kGearNose, 4)),
                  static_cast<long long>(t.GetSigned(off::kGearRight, 4)),
                  static_cast<long long>(t.GetSigned(off::kGearLeft, 4)));
    lines.push_back({"Gear", buf});
    const double heading = static_cast<double>(t.GetUnsigned(off::kApHeading, 2)) * 360.0 / 65536.0;
    const double feet = static_cast<double>(t.GetUnsigned(off::kApAltitude, 4)) / 65536.0 * 3.28084;
    std::snprintf(buf, sizeof buf, "%s   HDG %03.0f  ALT %.0f ft  VS %+lld ft/min  IAS %llu kt",
                  OnOff(t.GetUnsigned(off::kApMaster, 4)).c_str(), std::round(heading) >= 360 ? 0.0 : heading,
                  feet, static_cast<long long>(t.GetSigned(off::kApVerticalSpeed, 2)),
                  static_cast<unsigned long long>(t.GetUnsigned(off::kApIas, 2)));
    lines.push_back({"Autopilot", buf});
    std::string holds;
    static const std::pair<uint32_t, const char*> holdNames[] = {
        {off::kApHeadingHold, "HDG"}, {off::kApNavHold, "NAV"}, {off::kApIasHold, "IAS"},
        {off::kApAltitudeHold, "ALT"}, {off::kApVsHold, "VS"},   {off::kApApproach, "APR"},
        {off::kApBackCourse, "REV"}};
    for (const auto& [offset, name] : holdNames)
        if (t.GetUnsigned(offset, 4)) holds += std::string(holds.empty() ? "" : " ") + name;
    std::snprintf(buf, sizeof buf, "%s   course NAV1 %03llu  NAV2 %03llu", holds.empty() ? "none" : holds.c_str(),
                  static_cast<unsigned long long>(t.GetUnsigned(off::kCourseNav1, 2)),
                  static_cast<unsigned long long>(t.GetUnsigned(off::kCourseNav2, 2)));
    lines.push_back({"AP modes", buf});
    std::snprintf(buf, sizeof buf, "%llu   rejected %llu  malformed %llu  late %llu",
                  static_cast<unsigned long long>(s.Exchanges()), static_cast<unsigned long long>(s.Rejected()),
                  static_cast<unsigned long long>(s.Malformed()), static_cast<unsigned long long>(s.Late()));
    lines.push_back({"Exchanges", buf});
    const Fault& f = s.CurrentFault();
    std::string fault;
    switch (f.kind) {
    case FaultKind::None: fault = "none"; break;
    case FaultKind::Reject: fault = "reject"; break;
    case FaultKind::Zeros: fault = "zeros, " + std::to_string(f.count) + " exchanges left"; break;
    case FaultKind::Slow: fault = "slow, " + std::to_string(f.ms) + " ms"; break;
    case FaultKind::Hang: fault = "hang, up to " + std::to_string(f.ms) + " ms"; break;
    }
    lines.push_back({"Fault", fault});
    if (!s.Controls().empty()) {
        const ControlEntry& c = s.Controls().back();
        lines.push_back({"Last control", std::to_string(c.control) + "  parameter " + std::to_string(c.parameter)});
    } else {
        lines.push_back({"Last control", "none"});
    }
    return lines;
}

const char* CommandSummary() {
    return "ping | set <offset> <hexbytes> | setint <offset> <1|2|4|8> <value> | get <offset> <size> | "
           "title <text> | fault none|reject|zeros <n>|simid <id>|version <v>|slow <ms>|hang [<ms>] | unhang | "
           "window close|open [UIPCMAIN|FS98MAIN] | stats | log [<n>] | controls [<n>] | buttons [<n>] | "
           "clearlog | quit";
}

}  // namespace orvex::simstandin
