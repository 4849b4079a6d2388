#pragma once

#include <string>
#include <stdexcept>

namespace tamberlo {

// The failures the program never handles itself: each one is reported once and ends the program.
enum class ErrorKind {
    FileNotFound,
    InputPastEndOfFile,
    SubscriptOutOfRange,
    Overflow,
    FileAccess,
};

// what() is the whole report (UTF-8): the error's name, then the file, the line and the reason where known.
class RuntimeError : public std::runtime_error {
public:
    // path: the file involved, or empty; line: the 1-based line/entry number involved, or 0;
    // detail: the system's reason or any further explanation (UTF-8), or empty.
    RuntimeError(ErrorKind kind, std::string path = {}, long line = 0, std::string detail = {});

    ErrorKind kind() const { return m_kind; }
    const std::string &path() const { return m_path; }
    long line() const { return m_line; }
    const std::string &detail() const { return m_detail; }

private:
    ErrorKind m_kind;
    std::string m_path;
    long m_line;
    std::string m_detail;
};

// Japanese name of the error, as the report shows it (UTF-8).
const char *errorName(ErrorKind kind);

} // namespace tamberlo
