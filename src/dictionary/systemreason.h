#pragma once

#include <string>

namespace tamberlo {

// Why a file operation failed, for a Japanese user (UTF-8): the reasons users meet in Japanese with
// the system's own text in brackets, any other errno as the system's text alone.
std::string systemReason(int err);

// Why an append found the dictionary's lock held by another program.
std::string lockHeldReason();

// The reason for a name that exists but is no regular file (a pipe, a device, a socket).
inline constexpr const char *NotRegularFileReason = "通常のファイルではありません";

} // namespace tamberlo
