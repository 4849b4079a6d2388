// Creating an empty dictionary: a new file or a refusal, never an existing file emptied.
#include "dictionary/dictionaryexists.h"
#include "dictionary/dictionaryfile.h"
#include "childprocess.h"
#include "dictionary/systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tamberlo;

namespace {

TEST(CreateEmpty, NeverEmptiesAnExistingFile)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\nc<>d\r\n");
    EXPECT_EQ(createEmptyDictionary(path).outcome, CreateOutcome::AlreadyExists);
    EXPECT_EQ(fileBytes(path), "a<>b\r\nc<>d\r\n");
    dir.write("empty.tmb", "");
    EXPECT_EQ(createEmptyDictionary("empty.tmb").outcome, CreateOutcome::AlreadyExists);
}

TEST(CreateEmpty, NameMadeFromAnEmptyText)
{
    TempDir dir;
    EXPECT_EQ(createEmptyDictionary(".tmb").outcome, CreateOutcome::Created);
    EXPECT_TRUE(dictionaryExists(".tmb"));
    EXPECT_EQ(countEntries(".tmb"), 0);
}

TEST(CreateEmptyFailure, NotAFileOrNoFolder)
{
    TempDir dir;
    ::mkdir(dir.file("folder.tmb").c_str(), 0755);
    CreateResult result = createEmptyDictionary(dir.file("folder.tmb"));
    EXPECT_EQ(result.outcome, CreateOutcome::NotCreated);
    EXPECT_EQ(result.reason, systemReason(EISDIR));

    result = createEmptyDictionary(dir.file("missing/new.tmb"));
    EXPECT_EQ(result.outcome, CreateOutcome::NotCreated);
    EXPECT_EQ(result.reason, systemReason(ENOENT));

    result = createEmptyDictionary("/dev/null"); // there, but neither a file nor a folder
    EXPECT_EQ(result.outcome, CreateOutcome::NotCreated);
    EXPECT_EQ(result.reason, systemReason(EEXIST));
}

TEST(CreateEmptyFailure, DanglingLinkIsNotFollowed)
{
    TempDir dir;
    ASSERT_EQ(::symlink(dir.file("target.tmb").c_str(), dir.file("link.tmb").c_str()), 0);
    EXPECT_EQ(createEmptyDictionary(dir.file("link.tmb")).outcome, CreateOutcome::NotCreated);
    EXPECT_FALSE(dictionaryExists(dir.file("target.tmb")));
}

TEST(CreateEmptyFailure, ReadOnlyFolder)
{
    TempDir dir;
    ::chmod(dir.file("").c_str(), 0755);
    ::mkdir(dir.file("ro").c_str(), 0555);
    const std::string reason = asNobody([] { return createEmptyDictionary("ro/new.tmb").reason; });
    EXPECT_EQ(reason, systemReason(EACCES));
    EXPECT_FALSE(dictionaryExists(dir.file("ro/new.tmb")));
}

} // namespace
