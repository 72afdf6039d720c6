// Records what the configuration would show the user.
#pragma once

#include "config/setup_holder.h"
#include "config/user_messages.h"

#include <string>
#include <vector>

namespace orvex::config::testing {

class RecordingMessages final : public IUserMessages {
public:
    struct Shown {
        std::string Title;
        std::string Text;
        bool Critical;
        bool Information = false;  // shown with the information icon
    };
    void Show(const std::string& title, const std::string& text, bool critical) override {
        shown.push_back({title, text, critical});
    }
    void Inform(const std::string& title, const std::string& text) override {
        shown.push_back({title, text, false, true});
    }
    bool AskOkCancel(const std::string& title, const std::string& text) override {
        questions.push_back({title, text, false});
        return answerOk;
    }
    std::vector<Shown> shown;
    std::vector<Shown> questions;
    bool answerOk = true;
};

class RecordingBadValues final : public IBadValueSink {
public:
    struct Entry {
        std::string File, Section, Key, Text;
    };
    void BadValue(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& text) override {
        entries.push_back({file, section, key, text});
    }
    std::vector<Entry> entries;
};

class RecordingAutostart final : public IAutostart {
public:
    std::string Apply(bool enabled) override {
        calls.push_back(enabled);
        return error;
    }
    std::vector<bool> calls;
    std::string error;
};

} // namespace orvex::config::testing
