// Access to INI files, one self-contained call per operation, files named by
// their full path. The Windows implementation is cInifile (over the profile
// string functions); tests use MemoryIniStore. Section and key names match
// without regard to case.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvex::config {

// Values are cut at this many characters when read (the read buffer holds
// one more for the terminating NUL).
inline constexpr std::size_t kMaxValueLength = 254;

class IIniStore {
public:
    virtual ~IIniStore() = default;

    // The value of the key, or the default when the file, section or key is
    // missing; either is cut at kMaxValueLength characters.
    virtual std::string ReadString(const std::string& path, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;
    // Every key of a section with its value exactly as the file holds it (no
    // length limit, surrounding quotes kept), in file order.
    virtual std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path,
                                                                         const std::string& section) = 0;
    // Writes the value with every NUL character removed; creates the file and
    // the section when needed. True on success.
    virtual bool WriteString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    // Replaces every key of a section by the entries, values as given (NUL
    // characters removed), in one write. True on success.
    virtual bool WriteSection(const std::string& path, const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& entries) = 0;
    virtual bool DeleteKey(const std::string& path, const std::string& section, const std::string& key) = 0;
    virtual bool DeleteSection(const std::string& path, const std::string& section) = 0;
    // Complete lists in file order, never cut.
    virtual std::vector<std::string> SectionNames(const std::string& path) = 0;
    virtual std::vector<std::string> KeyNames(const std::string& path, const std::string& section) = 0;

    // File operations the configuration needs besides INI access.
    virtual bool FileExists(const std::string& path) = 0;
    // Whether the file can be written now (or created, when missing); the
    // check leaves the file and its folder as they are.
    virtual bool CanWrite(const std::string& path) = 0;
    // Moves a file; fails, touching nothing, when the target exists.
    virtual bool MoveFileTo(const std::string& from, const std::string& to) = 0;
    // Deletes a file for good. False when it did not exist or could not be
    // deleted. (Not named DeleteFile: <windows.h> defines that as a macro.)
    virtual bool DeleteFileAt(const std::string& path) = 0;
};

// Removes every NUL character from a text, as written values must not hold any.
std::string WithoutNul(std::string text);

} // namespace orvex::config
