#pragma once

#include <string>
#include <vector>

namespace tamberlo::wordlists {

struct Problem {
    long long location; // a line, or a record's number
    std::string reason;
};

// What a command found wrong: the first few to be listed, as compilers list theirs, and a count of
// all, so that a file of a million bad lines costs no more than one of twenty.
class ProblemList {
public:
    static constexpr std::size_t Listed = 20;

    void add(long long location, std::string reason)
    {
        if (m_listed.size() < Listed)
            m_listed.push_back({location, std::move(reason)});
        ++m_count;
    }
    void clear() { *this = {}; }
    const std::vector<Problem> &listed() const { return m_listed; }
    long long count() const { return m_count; }

private:
    std::vector<Problem> m_listed;
    long long m_count = 0;
};

} // namespace tamberlo::wordlists
