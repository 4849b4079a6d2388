#pragma once

#include <string>

namespace tamberlo {

// Process-wide state shared by the windows; outlives every window.
struct Module1 {
    // Full path of the current dictionary (file-system bytes); empty when none is selected.
    std::string DictionaryPath;
};

} // namespace tamberlo
