// Any text as an INI file of the in-memory store, then writes and deletes
// of keys the INI format can hold. Parsing never crashes; the store's text
// parses back to the same sections, keys and values; a value reads back
// trimmed, unquoted and cut as the profile functions give it.
#include "config/memory_ini_store.h"

#include "config/text_util.h"
#include "tests/support/fuzz_input.h"

namespace {

using namespace orvex::config;
using orvex::fuzzing::FuzzInput;

const std::string kPath = "C:\\Fuzz\\Test.ini";

// Everything the store holds, through its interface.
std::string Contents(MemoryIniStore& store) {
    std::string out;
    for (const std::string& section : store.SectionNames(kPath)) {
        out += "[" + section + "]\n";
        for (const std::string& key : store.KeyNames(kPath, section))
            out += key + "=" + store.ReadString(kPath, section, key, "") + "\n";
    }
    return out;
}

// A name the INI format can hold: no line break, no "=" (for a key), not
// starting with "[" or ";", no blanks around it, not empty.
std::string Name(FuzzInput& in, bool key) {
    std::string name = in.Text(12);
    for (char& c : name)
        if (c == '\n' || c == '\r' || c == '\0' || (key && c == '=') || c == ']') c = '_';
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (name.empty() || name[0] == '[' || name[0] == ';') name = "k" + name;
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int edits = in.Byte() % 8;
    const std::string editBytes = in.Bytes(static_cast<std::size_t>(edits) * 24);
    MemoryIniStore store;
    store.SetFileText(kPath, in.Rest());

    FuzzInput edit(reinterpret_cast<const std::uint8_t*>(editBytes.data()), editBytes.size());
    for (int e = 0; e < edits; ++e) {
        const std::uint8_t op = edit.Byte();
        const std::string section = Name(edit, false);
        const std::string key = Name(edit, true);
        if (op % 3 == 0) {
            std::string value = edit.Text(20);
            for (char& c : value)
                if (c == '\n' || c == '\r') c = ' ';
            FUZZ_CHECK(store.WriteString(kPath, section, key, value));
            // Read back as the profile functions give it: trimmed, no NUL,
            // one pair of matching quotes around it gone.
            std::string expected = WithoutNul(value);
            while (!expected.empty() && (expected.front() == ' ' || expected.front() == '\t')) expected.erase(0, 1);
            while (!expected.empty() && (expected.back() == ' ' || expected.back() == '\t')) expected.pop_back();
            if (expected.size() >= 2 && (expected.front() == '"' || expected.front() == '\'') &&
                expected.back() == expected.front())
                expected = expected.substr(1, expected.size() - 2);
            FUZZ_CHECK(store.ReadString(kPath, section, key, "x") == expected.substr(0, kMaxValueLength));
        } else if (op % 3 == 1) {
            store.DeleteKey(kPath, section, key);
        } else {
            store.DeleteSection(kPath, section);
            FUZZ_CHECK(store.KeyNames(kPath, section).empty());
        }
    }

    // The file's text holds everything: it reads back as the same, and is
    // written the same once read (blanks around a value written are kept in
    // the file but not read, as with the profile functions).
    const std::string contents = Contents(store);
    MemoryIniStore again;
    again.SetFileText(kPath, store.FileText(kPath));
    FUZZ_CHECK(Contents(again) == contents);
    MemoryIniStore third;
    third.SetFileText(kPath, again.FileText(kPath));
    FUZZ_CHECK(third.FileText(kPath) == again.FileText(kPath));
    for (const std::string& section : store.SectionNames(kPath))
        for (const std::string& key : store.KeyNames(kPath, section))
            FUZZ_CHECK(store.ReadString(kPath, section, key, "").size() <= kMaxValueLength);
    return 0;
}
