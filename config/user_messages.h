// Messages from the configuration code to the user. The Windows side shows
// message boxes (Win32UserMessages); tests record what would be shown.
#pragma once

#include <set>
#include <string>
#include <tuple>

namespace orvex::config {

class IUserMessages {
public:
    virtual ~IUserMessages() = default;
    // A message with an OK button (critical icon when critical is true,
    // else the warning icon).
    virtual void Show(const std::string& title, const std::string& text, bool critical) = 0;
    // A message with an OK button and the information icon: something done
    // or a hint, no fault.
    virtual void Inform(const std::string& title, const std::string& text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& title, const std::string& text) = 0;
};

// Receives the values of configuration keys that could not be read; the
// reader keeps the key's default and goes on.
class IBadValueSink {
public:
    virtual ~IBadValueSink() = default;
    virtual void BadValue(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& text) = 0;
};

// Tells the user about each bad value once (one message per file, section,
// key and text for the life of the reporter, so reloading a profile does not
// repeat it).
class BadValueReporter final : public IBadValueSink {
public:
    explicit BadValueReporter(IUserMessages& messages) : messages_(messages) {}
    void BadValue(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& text) override;

    static std::string MessageText(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& text);

private:
    IUserMessages& messages_;
    std::set<std::tuple<std::string, std::string, std::string, std::string>> reported_;
};

inline constexpr const char* kMessageTitle = "  ORVEX";

} // namespace orvex::config
