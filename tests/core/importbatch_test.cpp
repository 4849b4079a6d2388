// Importing a list into a dictionary through appendEntries: the duplicate rule, the limit and the
// take-back, each leaving the file as the rule says.
#include "dictionary/dictionaryfile.h"
#include "dictionary/entryformat.h"
#include "tempdir.h"
#include "dictionary/wordlistimport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <ostream>
#include <unistd.h>

using namespace tamberlo;

namespace {

struct Outcome {
    AppendOutcome outcome;
    long long added;
    long long already;
    long long room;
};

Outcome import(const std::string &listPath, const std::string &dictionary)
{
    const int fd = ::open(listPath.c_str(), O_RDONLY);
    ImportBatch batch(fd, SourceEncoding::Utf8, std::nullopt);
    const AppendResult result = appendEntries(dictionary, batch);
    ::close(fd);
    return {result.outcome, batch.added(), batch.already(), result.room};
}

std::string lines(int from, int to)
{
    std::string bytes;
    for (int i = from; i <= to; ++i)
        bytes += "w" + std::to_string(i) + "<>m\r\n";
    return bytes;
}

struct Row {
    const char *name;
    std::string dictionary;
    std::string list;
    AppendOutcome outcome;
    long long added;
    long long already;
    std::string after; // the dictionary's bytes afterwards
};
void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Import : public testing::TestWithParam<Row> {};

TEST_P(Import, WritesOnlyWhatTheRuleSays)
{
    const Row &row = GetParam();
    TempDir dir;
    const std::string path = dir.write("d.tmb", row.dictionary);
    const Outcome outcome = import(dir.write("list.csv", row.list), path);
    EXPECT_EQ(outcome.outcome, row.outcome);
    EXPECT_EQ(outcome.added, row.added);
    EXPECT_EQ(outcome.already, row.already);
    EXPECT_EQ(fileBytes(path), row.after);
}

const std::string Dog = "dog<>\x8C\xA2\r\n";
const std::string Cat = "cat<>\x94\x4C\r\n";

INSTANTIATE_TEST_SUITE_P(Rows, Import, testing::Values(
    Row{"already_there_not_added_again", Dog, "dog,犬\ncat,猫\n", AppendOutcome::Appended, 1, 1, Dog + Cat},
    Row{"same_word_other_meaning_added", Dog, "dog,猫\n", AppendOutcome::Appended, 1, 0, Dog + "dog<>\x94\x4C\r\n"},
    Row{"a_pair_twice_in_the_list_kept_twice", "", "cat,猫\ncat,猫\n", AppendOutcome::Appended, 2, 0, Cat + Cat},
    Row{"bad_lines_skipped_when_written", "", "cat,猫\n,empty\n", AppendOutcome::Appended, 1, 0, Cat},
    Row{"open_last_line_closed_first", "dog<>\x8C\xA2", "cat,猫\n", AppendOutcome::Appended, 1, 0, Dog + Cat},
    Row{"full_dictionary_all_there_is_done", lines(1, MaxEntries), "w1,m\n", AppendOutcome::Appended, 0, 1,
        lines(1, MaxEntries)},
    Row{"past_the_limit_nothing_written", lines(1, MaxEntries - 1), "a,b\nc,d\n", AppendOutcome::DictionaryFull, 2, 0,
        lines(1, MaxEntries - 1)}
), [](const auto &info) { return std::string(info.param.name); });

TEST(ImportRuns, RunTwiceAddsNothingTheSecondTime)
{
    TempDir dir;
    const std::string list = dir.write("list.csv", "dog,犬\ncat,猫\n");
    const std::string path = dir.file("new.tmb");
    EXPECT_EQ(import(list, path).added, 2);
    const Outcome second = import(list, path);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.already, 2);
    EXPECT_EQ(fileBytes(path), Dog + Cat);
}

TEST(ImportRuns, PastTheLimitSaysHowManyFit)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", lines(1, MaxEntries - 1));
    EXPECT_EQ(import(dir.write("list.csv", "a,b\nc,d\n"), path).room, 1);
}

// A batch that fails part-way: what it wrote is taken back.
class FailingBatch : public EntryBatch {
public:
    long long count(long long) override { return 3; }
    bool next(std::string &word, std::string &meaning) override
    {
        if (m_given == 2)
            return false;
        word = "w" + std::to_string(++m_given);
        meaning = "m";
        return true;
    }
    std::string failure() const override { return m_given == 2 ? "the list could not be read" : ""; }

private:
    int m_given = 0;
};

TEST(AppendEntries, FailurePartWayIsTakenBack)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", Dog);
    FailingBatch batch;
    const AppendResult result = appendEntries(path, batch);
    EXPECT_EQ(result.outcome, AppendOutcome::NotWritten);
    EXPECT_EQ(result.reason, "the list could not be read");
    EXPECT_EQ(fileBytes(path), Dog);
}

} // namespace
