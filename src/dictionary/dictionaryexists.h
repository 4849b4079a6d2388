#pragma once

#include <string>

namespace tamberlo {

// True when a regular file of that name exists (relative to the working directory); dotfiles
// count, directories do not. '*' and '?' in the last path component are wildcards ('?' is one
// UTF-8 character); every other character is literal, and names match case-sensitively.
bool dictionaryExists(const std::string &path);

} // namespace tamberlo
