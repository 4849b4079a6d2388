#include "dictionary/dictionaryexists.h"

#include "dictionary/utf8.h"

#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace tamberlo {

namespace {

bool isRegularFile(const char *path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// '*' is any run of characters, '?' exactly one character (a whole UTF-8 sequence, as a user typing
// a name means it); nothing else is special, and a leading '.' needs no explicit match.
bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            utf8::next(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool dictionaryExists(const std::string &path)
{
    if (path.find('\0') != std::string::npos)
        return false;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view name = std::string_view(path).substr(nameStart);
    if (name.find_first_of("*?") == std::string_view::npos)
        return isRegularFile(path.c_str());

    // Keep the leading '/' of a file in the root directory.
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent *entry = ::readdir(dir.get())) {
        if (!wildcardMatch(name, entry->d_name))
            continue;
        struct stat st;
        // d_type is only a hint (DT_UNKNOWN on some file systems, and links must be followed).
        if (::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
            return true;
    }
    return false;
}

} // namespace tamberlo
