#pragma once

#include "wordlists/import.h"

#include <string>

// The three commands of tamberlo-dict. Each lists its problems as FILE:LINE: reason, then one
// summary line, on standard error, and returns the exit status: 0 done, 1 problems in the content,
// 2 a usage or system error.
namespace tamberlo::dict {

inline constexpr int Done = 0;
inline constexpr int ContentProblems = 1;
inline constexpr int Failed = 2;

int importList(const std::string &source, const std::string &dictionary, const wordlists::ImportOptions &options);
int checkDictionary(const std::string &dictionary);
int exportDictionary(const std::string &dictionary, const std::string &output, bool csv, bool skipBad);

} // namespace tamberlo::dict
