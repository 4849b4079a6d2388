// Importing a list into a dictionary: the duplicate rule and the limit, each leaving the file as the
// rule says.
#include "dictionary/dictionaryfile.h"
#include "tempdir.h"
#include "wordlists/import.h"
#include "wordlists/source.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace tamberlo;
using namespace tamberlo::wordlists;

namespace {

ImportResult import(const std::string &listPath, const std::string &dictionary, const ImportOptions &options = {})
{
    Source source;
    EXPECT_EQ(source.open(listPath), "");
    std::string refusal;
    const auto reader = readerFor(source, options.read, refusal);
    return importList(source, *reader, dictionary, options);
}

std::string lines(int from, int to)
{
    std::string bytes;
    for (int i = from; i <= to; ++i)
        bytes += "w" + std::to_string(i) + "<>m\r\n";
    return bytes;
}

const std::string Dog = "dog<>\x8C\xA2\r\n";
const std::string Cat = "cat<>\x94\x4C\r\n";

struct Row {
    const char *name;
    std::string dictionary;
    std::string list;
    ImportResult::Status status;
    long long added;
    long long already;
    std::string after; // the dictionary's bytes afterwards
    bool skipBad = false;
};

class Import : public testing::TestWithParam<Row> {};

TEST_P(Import, WritesOnlyWhatTheRuleSays)
{
    const Row &row = GetParam();
    TempDir dir;
    const std::string path = dir.write("d.tmb", row.dictionary);
    ImportOptions options;
    options.skipBad = row.skipBad;
    const ImportResult result = import(dir.write("list.csv", row.list), path, options);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.added, row.added);
    EXPECT_EQ(result.already, row.already);
    EXPECT_EQ(fileBytes(path), row.after);
}

INSTANTIATE_TEST_SUITE_P(Rows, Import, testing::Values(
    Row{"already_there_not_added_again", Dog, "dog,犬\ncat,猫\n", ImportResult::Done, 1, 1, Dog + Cat},
    Row{"same_word_other_meaning_added", Dog, "dog,猫\n", ImportResult::Done, 1, 0, Dog + "dog<>\x94\x4C\r\n"},
    Row{"a_pair_twice_in_the_list_kept_twice", "", "cat,猫\ncat,猫\n", ImportResult::Done, 2, 0, Cat + Cat},
    Row{"bad_lines_refuse_the_list", "", "cat,猫\n,empty\n", ImportResult::BadRecords, 0, 0, ""},
    // Only a card program's empty grid row is passed over; a list's line of empty fields is a mistake.
    Row{"empty_fields_refused", "", "cat,猫\n,\n", ImportResult::BadRecords, 0, 0, ""},
    Row{"bad_lines_skipped_when_asked", "", "cat,猫\n,empty\n", ImportResult::Done, 1, 0, Cat, true},
    Row{"open_last_line_closed_first", "dog<>\x8C\xA2", "cat,猫\n", ImportResult::Done, 1, 0, Dog + Cat}
), RowName);

TEST(ImportRuns, RunTwiceAddsNothingTheSecondTime)
{
    TempDir dir;
    const std::string list = dir.write("list.csv", "dog,犬\ncat,猫\n");
    const std::string path = dir.file("new.tmb");
    EXPECT_EQ(import(list, path).added, 2);
    const ImportResult second = import(list, path);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.already, 2);
    EXPECT_EQ(fileBytes(path), Dog + Cat);
}

// Full dictionaries are built here, not in rows: every process of the suite would build them.
TEST(ImportRuns, PastTheLimitWritesNothingAndSaysHowManyFit)
{
    TempDir dir;
    const std::string before = lines(1, MaxEntries - 1);
    const std::string path = dir.write("d.tmb", before);
    const ImportResult result = import(dir.write("list.csv", "a,b\nc,d\n"), path);
    EXPECT_EQ(result.status, ImportResult::DictionaryFull);
    EXPECT_EQ(result.room, 1);
    EXPECT_EQ(fileBytes(path), before);
}

TEST(ImportRuns, FullDictionaryWithAllThereIsIsDone)
{
    TempDir dir;
    const std::string before = lines(1, MaxEntries);
    const std::string path = dir.write("d.tmb", before);
    const ImportResult result = import(dir.write("list.csv", "w1,m\n"), path);
    EXPECT_EQ(result.status, ImportResult::Done);
    EXPECT_EQ(result.already, 1);
    EXPECT_EQ(fileBytes(path), before);
}

// Appending to the list being read would read its own new lines back.
TEST(ImportRuns, NeverIntoTheListItself)
{
    TempDir dir;
    const std::string list = dir.write("list.tmb", "dog<>犬\r\n");
    EXPECT_EQ(import(list, list).status, ImportResult::DictionaryUnusable);
    EXPECT_EQ(fileBytes(list), "dog<>犬\r\n");
}

// Only the first problems are kept to be listed, however many there are.
TEST(ImportRuns, ProblemsCountedAllListedFirst)
{
    TempDir dir;
    std::string list;
    for (int i = 0; i < 500; ++i)
        list += "bad\n";
    const ImportResult result = import(dir.write("list.csv", list), dir.file("d.tmb"));
    EXPECT_EQ(result.problems.count(), 500);
    ASSERT_EQ(result.problems.listed().size(), ProblemList::Listed);
    EXPECT_EQ(result.problems.listed().back().location, 20);
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.tmb")));
}

} // namespace
