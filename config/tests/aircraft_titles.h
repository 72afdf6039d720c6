// Aircraft titles that an INI key cannot hold as they are, beside plain
// ones, for the round trips of the aircraft list.
#pragma once

#include <string>
#include <vector>

namespace orvex::config::testing {

inline std::vector<std::string> TitlesOfAnyText() {
    std::string longTitle(255, 'L');
    longTitle[100] = '=';
    return {"Cessna 172",    "Piper = Cub",    "[Mod] Extra 300", ";Semi Colon", "\"Quoted\" Jet",
            "  Lead blanks", "Trail blanks  ", "100% = full",     "'Single'",    "%41 not an escape",
            longTitle};
}

} // namespace orvex::config::testing
