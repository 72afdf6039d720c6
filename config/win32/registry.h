// cRegistry: general access to one registry value over the Windows registry
// functions. Set the address properties, then read or write Value. Failures
// do not throw: the call returns false and LastError() holds the error
// (number 26001, the source and the text).
#pragma once

#include "config/win32/unique_key.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace orvex::config::win32 {

// A registry value as read: nothing (missing), a string (REG_SZ,
// REG_EXPAND_SZ expanded, REG_MULTI_SZ with its NUL separators), a 32-bit
// number (REG_DWORD, REG_DWORD_BIG_ENDIAN) or bytes (any other type).
using RegistryValue = std::variant<std::monostate, std::string, std::uint32_t, std::vector<std::uint8_t>>;

struct RegistryError {
    std::int32_t Number = 0; // 26001 after a failure, 0 when none
    std::string Source;      // program name + ".cRegistry"
    std::string Description;
    long Code = 0;           // the Win32 error code of the failed call
};

inline constexpr std::int32_t kRegistryErrorNumber = 26001;

class cRegistry {
public:
    std::string Machine;                  // empty: this computer
    HKEY ClassKey = HKEY_CURRENT_USER;
    std::string SectionKey;
    std::string ValueKey;
    DWORD ValueType = REG_SZ;             // used when writing; set by a read
    RegistryValue Default;                // returned by a read of a missing value

    // Reads the value; Default when the key or value does not exist.
    RegistryValue Value();
    // Creates or opens the key and writes the value in the form of ValueType.
    bool Value(const RegistryValue& value);
    bool DeleteValue();
    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    std::vector<std::string> EnumerateValues();
    std::vector<std::string> EnumerateSections();

    const RegistryError& LastError() const { return error_; }

    // Texts of a value for messages ("" for nothing).
    static std::string ToText(const RegistryValue& value);

private:
    bool Fail(std::string description, long code);
    // The root to open SectionKey under: ClassKey itself, or the same root of
    // Machine (connected, held by remote).
    bool OpenRoot(UniqueKey& remote, HKEY& root, const char* failurePrefix);
    // SectionKey opened under the root (members in closing order: the key
    // goes before the remote root).
    struct OpenedSection {
        UniqueKey remote;
        UniqueKey key;
    };
    // Opens SectionKey with `access`. A root that cannot be reached is
    // reported; a section that cannot be opened is not (its code goes to
    // *openError, for the callers that report it).
    bool OpenSection(OpenedSection& section, REGSAM access, LONG* openError = nullptr);
    // Creates or opens SectionKey for writing; a failure is reported.
    bool CreateSection(OpenedSection& section);
    std::string Where(bool withValue) const;

    RegistryError error_;
};

} // namespace orvex::config::win32
