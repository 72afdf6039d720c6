// The shared run of the panel section targets: a profile file of any
// content (the section of panel 1 or 2 among others), loaded by a panel
// kind's configuration object and saved again unchanged, then changed
// through its setters, saved and loaded into a new object.
//   - Loading never crashes or hangs, whatever the file holds.
//   - A save of what was loaded loses no line it did not understand: every
//     line it drops or rewrites is one the loader read (its exact name) and
//     did not report as a bad value; no other section changes.
//   - What was changed and saved loads back the same, and no other section
//     of the file changes.
#pragma once

#include "actions/event_action.h"
#include "config/configuration.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "tests/support/fuzz_input.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace orvex::fuzzing {

// A value for field `field` of an action record: for field 0 a kind whose
// record, as the setters leave its other fields, has a stored text that
// reads back (a custom kind needs its own fields set first, as its dialog
// does), else any number (a setter refuses what does not fit).
inline std::int32_t ActionFieldFromInput(FuzzInput& in, int field) {
    const auto value = static_cast<std::int32_t>(in.Dword());
    if (field != 0) return field == 3 ? static_cast<std::int16_t>(value) : value % 300;
    actions::EventAction probe{};
    for (std::int32_t k = value & 15; k >= 0; --k) {
        probe.Kind = k;
        actions::EventAction back{};
        const std::string text = actions::ActionText(probe);
        if (!text.empty() && actions::ReadActionText(text, back) == actions::ReadResult::Read) return k;
    }
    return actions::kNone;
}

// The store, recording the names the loader reads while `recording` is on
// (a save's own reads are not the loader's).
class ReadRecordingStore final : public config::IIniStore {
public:
    explicit ReadRecordingStore(config::MemoryIniStore& store) : store_(store) {}
    std::set<std::string> read;
    bool recording = true;

    std::string ReadString(const std::string& p, const std::string& s, const std::string& k,
                           const std::string& d) override {
        if (recording) read.insert(k);
        return store_.ReadString(p, s, k, d);
    }
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& p,
                                                                 const std::string& s) override {
        return store_.ReadSection(p, s);
    }
    bool WriteString(const std::string& p, const std::string& s, const std::string& k, const std::string& v) override {
        return store_.WriteString(p, s, k, v);
    }
    bool WriteSection(const std::string& p, const std::string& s,
                      const std::vector<std::pair<std::string, std::string>>& e) override {
        return store_.WriteSection(p, s, e);
    }
    bool CanWrite(const std::string& p) override { return store_.CanWrite(p); }
    bool DeleteKey(const std::string& p, const std::string& s, const std::string& k) override {
        return store_.DeleteKey(p, s, k);
    }
    bool DeleteSection(const std::string& p, const std::string& s) override { return store_.DeleteSection(p, s); }
    std::vector<std::string> SectionNames(const std::string& p) override { return store_.SectionNames(p); }
    std::vector<std::string> KeyNames(const std::string& p, const std::string& s) override {
        return store_.KeyNames(p, s);
    }
    bool FileExists(const std::string& p) override { return store_.FileExists(p); }
    bool MoveFileTo(const std::string& f, const std::string& t) override { return store_.MoveFileTo(f, t); }
    bool DeleteFileAt(const std::string& p) override { return store_.DeleteFileAt(p); }

private:
    config::MemoryIniStore& store_;
};

// The "key=value" lines of a section, as the file's text holds them.
inline std::multiset<std::string> SectionLines(const std::string& fileText, const std::string& section) {
    std::multiset<std::string> lines;
    bool inside = false;
    for (std::string_view line : config::SplitAll(fileText, '\n')) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;  // after the last line break
        if (line.front() == '[') {
            inside = config::EqualsNoCase(line.substr(1, line.size() - 2), section);
            continue;
        }
        if (inside) lines.emplace(line);
    }
    return lines;
}

// The name of a "key=value" line.
inline std::string LineKey(const std::string& line) { return line.substr(0, line.find('=')); }

// Checks that every line of the section that a save dropped or rewrote is
// one the program understood, and that `reported(name, value)` says was not
// reported as a bad value. That is a line of a name the loader read, in its
// exact spelling, or in another letter case when the section also held the
// exact spelling, or now holds a name the save wrote in it: the store gives a name the value of its
// first line in any case, so a save of the default removes each line the
// loader would read next, and a save of a value replaces a line in another
// case by the program's own spelling (the store would otherwise keep the
// line's spelling, which the loader does not see).
template <class Reported>
void CheckNothingNotUnderstoodLost(const std::string& before, const std::string& after, const std::string& section,
                                   const std::set<std::string>& read, Reported reported) {
    const std::multiset<std::string> beforeLines = SectionLines(before, section);
    const std::multiset<std::string> afterLines = SectionLines(after, section);
    // The program's names: those the loader read, and those the save wrote
    // that the section did not hold.
    std::set<std::string> beforeNames, exactNames;
    for (const std::string& line : beforeLines) beforeNames.insert(LineKey(line));
    for (const auto* lines : {&beforeLines, &afterLines})
        for (const std::string& line : *lines)
            if (read.count(LineKey(line)) != 0 || beforeNames.count(LineKey(line)) == 0) exactNames.insert(LineKey(line));
    std::multiset<std::string> kept = afterLines;
    for (const std::string& line : beforeLines) {
        const auto it = kept.find(line);
        if (it != kept.end()) {
            kept.erase(it);
            continue;
        }
        const std::string key = LineKey(line);
        const auto name = std::find_if(exactNames.begin(), exactNames.end(),
                                       [&](const std::string& n) { return config::EqualsNoCase(n, key); });
        FUZZ_CHECK(name != exactNames.end());
        FUZZ_CHECK(!reported(*name, line.substr(line.find('=') + 1, config::kMaxValueLength)));
    }
}

// The same for a panel's section, whose loader reports a bad value by a
// message naming it.
inline void CheckNothingNotUnderstoodLost(const std::string& before, const std::string& after,
                                          const std::string& path, const std::string& section,
                                          const std::set<std::string>& read,
                                          const config::testing::RecordingMessages& messages) {
    CheckNothingNotUnderstoodLost(before, after, section, read, [&](const std::string& key, const std::string& value) {
        const std::string shown = config::BadValueReporter::MessageText(path, section, key, value);
        return std::any_of(messages.shown.begin(), messages.shown.end(),
                           [&](const auto& m) { return m.Text == shown; });
    });
}

// Every section of a file but one, as text.
inline std::string OtherSections(config::MemoryIniStore& store, const std::string& path, const std::string& except) {
    std::string text;
    for (const std::string& section : store.SectionNames(path)) {
        if (config::EqualsNoCase(section, except)) continue;
        text += "[" + section + "]\n";
        for (const std::string& key : store.KeyNames(path, section))
            text += key + "=" + store.ReadString(path, section, key, "") + "\n";
    }
    return text;
}

// Runs one case. Fingerprint(holder) is the text of everything the holder
// stores; Modify(holder, in) changes one thing through its setters.
template <class Holder, class Fingerprint, class Modify>
void RunSectionCase(const std::uint8_t* data, std::size_t size, Fingerprint fingerprint, Modify modify) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const int changes = in.Byte() % 8;
    // The changes come first, the file is the rest.
    const std::string changeBytes = in.Bytes(static_cast<std::size_t>(changes) * 8);
    const std::string fileText = in.Rest();

    config::MemoryIniStore store;
    ReadRecordingStore recording(store);
    config::testing::RecordingMessages messages;
    config::cConfiguration configuration(recording, "C:\\Fuzz", messages, nullptr,
                                         config::NumberLocale{flags & 1 ? ',' : '.'});
    const std::string path = configuration.ProfilePath(configuration.CurrentProfile);
    store.SetFileText(path, fileText);
    const std::string before = store.FileText(path);

    Holder loaded(configuration);
    loaded.PanelIndex = static_cast<std::int16_t>(1 + ((flags >> 1) & 1));
    loaded.LoadSetup();
    const std::string section = loaded.SectionName();
    const std::string others = OtherSections(store, path, section);
    recording.recording = false;
    loaded.SaveSetup();
    CheckNothingNotUnderstoodLost(before, store.FileText(path), path, section, recording.read, messages);
    FUZZ_CHECK(OtherSections(store, path, section) == others);

    FuzzInput changeInput(reinterpret_cast<const std::uint8_t*>(changeBytes.data()), changeBytes.size());
    for (int c = 0; c < changes; ++c) modify(loaded, changeInput);
    const std::string changed = fingerprint(loaded);
    loaded.SaveSetup();
    Holder again(configuration);
    again.PanelIndex = loaded.PanelIndex;
    again.LoadSetup();
    FUZZ_CHECK(fingerprint(again) == changed);
    FUZZ_CHECK(OtherSections(store, path, section) == others);
    // What a save wrote, saved again unchanged, stays as it is.
    const std::string saved = store.FileText(path);
    again.SaveSetup();
    FUZZ_CHECK(store.FileText(path) == saved);
}

} // namespace orvex::fuzzing
