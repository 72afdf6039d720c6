#include "config/user_messages.h"

#include "config/text_util.h"

namespace orvex::config {

void BadValueReporter::BadValue(const std::string& file, const std::string& section, const std::string& key,
                                const std::string& text) {
    // Names match without regard to case in the files, so they do here too.
    auto entry = std::make_tuple(ToLowerAscii(file), ToLowerAscii(section), ToLowerAscii(key), text);
    if (!reported_.insert(std::move(entry)).second) return;
    messages_.Show(kMessageTitle, MessageText(file, section, key, text), false);
}

std::string BadValueReporter::MessageText(const std::string& file, const std::string& section, const std::string& key,
                                          const std::string& text) {
    return "A setting in a configuration file could not be read and keeps its default value.\r\n"
           "File: " + file + "\r\n"
           "Section: " + section + "\r\n"
           "Key: " + key + "\r\n"
           "Value: \"" + text + "\"";
}

} // namespace orvex::config
