// Writing to dictionaries: append, create and the existence test, where the old program's
// behaviour lost or damaged entries and ours must not.
#include "dictionaryfile.h"
#include "runtimeerror.h"
#include "caught.h"
#include "tempdir.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tamberlo;
using namespace std::string_literals;

namespace {

const std::string DogInuLine = "dog<>\x8C\xA2\r\n";


TEST(AppendEntry, DogInuIsByteExact)
{
    TempDir dir;
    const std::string path = dir.file("new.tmb");
    ASSERT_EQ(createEmptyDictionary(path), CreateResult::Created);
    EXPECT_EQ(fileBytes(path), "");
    EXPECT_EQ(countEntries(path), 0);

    appendEntry(path, "dog", "犬");
    EXPECT_EQ(hex(fileBytes(path)), "64 6F 67 3C 3E 8C A2 0D 0A");
    EXPECT_EQ(countEntries(path), 1);
    EXPECT_EQ(readEntry(path, 1), "dog<>犬");
}

TEST(AppendEntry, CreatesAMissingFile)
{
    TempDir dir;
    appendEntry("fresh.tmb", "dog", "犬");
    EXPECT_EQ(fileBytes(dir.file("fresh.tmb")), DogInuLine);
}

TEST(AppendEntry, WritesWhatItIsGivenUnchecked)
{
    TempDir dir;
    appendEntry("d.tmb", "a<>b", "");
    appendEntry("d.tmb", "", "");
    EXPECT_EQ(fileBytes(dir.file("d.tmb")), "a<>b<>\r\n<>\r\n");
}

struct AppendRow {
    std::string name;
    std::string before;
    std::string after;
};

std::ostream &operator<<(std::ostream &os, const AppendRow &row) { return os << row.name; }

class AppendAfter : public testing::TestWithParam<AppendRow> {
protected:
    TempDir dir;
};

// The earlier last entry must never be glued to the new one.
TEST_P(AppendAfter, KeepsEveryEarlierLine)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.before);
    const int before = countEntries(path);
    appendEntry(path, "dog", "犬");
    EXPECT_EQ(hex(fileBytes(path)), hex(row.after));
    EXPECT_EQ(countEntries(path), before + 1);
    EXPECT_EQ(readEntry(path, static_cast<std::int16_t>(before + 1)), "dog<>犬");
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendAfter, testing::Values(
    AppendRow{"empty_file", "", DogInuLine},
    AppendRow{"ends_with_crlf", "a<>b\r\n", "a<>b\r\n" + DogInuLine},
    AppendRow{"ends_with_lone_cr", "a<>b\r", "a<>b\r" + DogInuLine},
    AppendRow{"missing_last_crlf", "a<>b", "a<>b\r\n" + DogInuLine},
    AppendRow{"single_byte_without_end", "a", "a\r\n" + DogInuLine},
    AppendRow{"ends_with_lone_lf", "a<>b\n", "a<>b\n\r\n" + DogInuLine},
    AppendRow{"only_lf", "\n", "\n\r\n" + DogInuLine},
    AppendRow{"only_cr", "\r", "\r" + DogInuLine}
), [](const auto &info) { return info.param.name; });

TEST(AppendFailure, UnencodableTextLeavesTheFileAlone)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    const auto e = caught([&] { appendEntry(path, "smile", "😀"); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_NE(e.detail().find("U+1F600"), std::string::npos) << e.detail();
    EXPECT_EQ(fileBytes(path), "a<>b\r\n");
    EXPECT_FALSE(dictionaryExists(dir.file("never.tmb")));
    caught([&] { appendEntry(dir.file("never.tmb"), "\xFF", "x"); });
    EXPECT_FALSE(dictionaryExists(dir.file("never.tmb")));
}

TEST(AppendFailure, DirectoryOrMissingFolder)
{
    TempDir dir;
    ::mkdir(dir.file("folder.tmb").c_str(), 0755);
    auto e = caught([&] { appendEntry(dir.file("folder.tmb"), "dog", "犬"); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_EQ(e.detail(), std::strerror(EISDIR));

    e = caught([&] { appendEntry(dir.file("no/folder.tmb"), "dog", "犬"); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_EQ(e.detail(), std::strerror(ENOENT));
}

TEST(AppendFailure, DeviceThatIsFull)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/full";
    const auto e = caught([] { appendEntry("/dev/full", "dog", "犬"); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_EQ(e.detail(), std::strerror(ENOSPC));
}

// A file size limit makes the kernel refuse or cut short a write to an ordinary file, even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

struct WriteFailureRow {
    std::string name;
    std::string before;
    rlim_t limit; // bytes the file may grow to
};

std::ostream &operator<<(std::ostream &os, const WriteFailureRow &row) { return os << row.name; }

class AppendWriteFailure : public testing::TestWithParam<WriteFailureRow> {
protected:
    TempDir dir;
};

TEST_P(AppendWriteFailure, FileIsExactlyAsItWas)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.before);
    RuntimeError e(ErrorKind::SubscriptOutOfRange);
    {
        FileSizeLimit limit(row.limit);
        if (!limit.ok())
            GTEST_SKIP() << "cannot lower RLIMIT_FSIZE";
        e = caught([&] { appendEntry(path, "dog", "犬"); });
    }
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_FALSE(e.detail().empty());
    EXPECT_EQ(hex(fileBytes(path)), hex(row.before));
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendWriteFailure, testing::Values(
    WriteFailureRow{"refused_entirely", "a<>b\r\n", 6},
    WriteFailureRow{"cut_short", "a<>b\r\n", 9},
    WriteFailureRow{"cut_short_after_added_line_end", "a<>b", 6},
    WriteFailureRow{"cut_short_in_empty_file", "", 3}
), [](const auto &info) { return info.param.name; });

TEST(AppendWriteFailure, RefusedWriteNamesTheSystemReason)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    FileSizeLimit limit(6);
    if (!limit.ok())
        GTEST_SKIP() << "cannot lower RLIMIT_FSIZE";
    EXPECT_EQ(caught([&] { appendEntry(path, "dog", "犬"); }).detail(), std::strerror(EFBIG));
}

// ---- create empty ----

TEST(CreateEmpty, NeverEmptiesAnExistingFile)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\nc<>d\r\n");
    EXPECT_EQ(createEmptyDictionary(path), CreateResult::AlreadyExists);
    EXPECT_EQ(fileBytes(path), "a<>b\r\nc<>d\r\n");
    dir.write("empty.tmb", "");
    EXPECT_EQ(createEmptyDictionary("empty.tmb"), CreateResult::AlreadyExists);
}

TEST(CreateEmpty, NameMadeFromAnEmptyText)
{
    TempDir dir;
    EXPECT_EQ(createEmptyDictionary(".tmb"), CreateResult::Created);
    EXPECT_TRUE(dictionaryExists(".tmb"));
    EXPECT_EQ(countEntries(".tmb"), 0);
}

TEST(CreateEmptyFailure, NotAFileOrNoFolder)
{
    TempDir dir;
    ::mkdir(dir.file("folder.tmb").c_str(), 0755);
    auto e = caught([&] { createEmptyDictionary(dir.file("folder.tmb")); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_EQ(e.detail(), std::strerror(EISDIR));

    e = caught([&] { createEmptyDictionary(dir.file("missing/new.tmb")); });
    EXPECT_EQ(e.kind(), ErrorKind::FileAccess);
    EXPECT_EQ(e.detail(), std::strerror(ENOENT));
}

TEST(CreateEmptyFailure, DanglingLinkIsNotFollowed)
{
    TempDir dir;
    ASSERT_EQ(::symlink(dir.file("target.tmb").c_str(), dir.file("link.tmb").c_str()), 0);
    EXPECT_EQ(caught([&] { createEmptyDictionary(dir.file("link.tmb")); }).kind(), ErrorKind::FileAccess);
    EXPECT_FALSE(dictionaryExists(dir.file("target.tmb")));
}

TEST(CreateEmptyFailure, ReadOnlyFolder)
{
    TempDir dir;
    ::chmod(dir.file(".").c_str(), 0777); // the child makes the folder itself: only its mode keeps it out
    const std::string seen = unprivileged([&] {
        ::mkdir(dir.file("ro").c_str(), 0555);
        const auto e = caught([&] { createEmptyDictionary(dir.file("ro/new.tmb")); });
        return errorName(e.kind()) + ": "s + e.detail();
    });
    EXPECT_EQ(seen, errorName(ErrorKind::FileAccess) + ": "s + std::strerror(EACCES));
}

// ---- exists ----

struct ExistsRow {
    std::string name;
    std::string path;
    bool exists;
};

std::ostream &operator<<(std::ostream &os, const ExistsRow &row) { return os << row.name; }

class Exists : public testing::TestWithParam<ExistsRow> {
protected:
    static void SetUpTestSuite()
    {
        dir = std::make_unique<TempDir>();
        for (const char *file : {"words.tmb", ".tmb", "a[1].tmb", "a1.tmb", "日本語.tmb", "backslash.tmb",
                                 "lit*/x.tmb", "literal/y.tmb", "dots/.tmb", "sub/inner.tmb"}) {
            const std::string path = dir->file(file);
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            dir->write(file, "a<>b\r\n");
        }
        std::filesystem::create_directories(dir->file("folder.tmb"));
        std::filesystem::create_directories(dir->file("onlydirs/x.tmb"));
    }
    static void TearDownTestSuite() { dir.reset(); }
    // One tree for all rows; it is also the working directory that relative rows resolve against.
    static inline std::unique_ptr<TempDir> dir;
};

TEST_P(Exists, Answers)
{
    EXPECT_EQ(dictionaryExists(GetParam().path), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(Rows, Exists, testing::Values(
    ExistsRow{"plain_file", "words.tmb", true},
    ExistsRow{"dot_slash", "./words.tmb", true},
    ExistsRow{"missing", "nothing.tmb", false},
    ExistsRow{"empty_path", "", false},
    ExistsRow{"case_matters", "WORDS.TMB", false},
    ExistsRow{"dotfile_from_empty_name", ".tmb", true},
    ExistsRow{"directory_does_not_count", "folder.tmb", false},
    ExistsRow{"trailing_slash", "sub/", false},
    ExistsRow{"in_subfolder", "sub/inner.tmb", true},
    ExistsRow{"star_extension", "*.tmb", true},
    ExistsRow{"star_alone", "*", true},
    ExistsRow{"star_matches_dotfile", "dots/*.tmb", true},
    ExistsRow{"star_skips_directories", "onlydirs/*", false},
    ExistsRow{"star_in_missing_folder", "nowhere/*.tmb", false},
    ExistsRow{"star_no_match", "*.txt", false},
    ExistsRow{"question_mark", "word?.tmb", true},
    ExistsRow{"question_mark_needs_a_char", "words?.tmb", false},
    ExistsRow{"question_mark_is_one_utf8_char", "日本?.tmb", true},
    ExistsRow{"brackets_literal", "a[1].tmb", true},
    ExistsRow{"bracket_range_is_literal", "a[0-9].tmb", false},
    ExistsRow{"brackets_literal_with_star", "a[1]*", true},
    ExistsRow{"bracket_class_with_star_is_literal", "a[0-9]*", false},
    ExistsRow{"backslash_is_literal", "back\\slash*", false},
    ExistsRow{"wildcard_in_folder_is_literal", "lit*/y.tmb", false},
    ExistsRow{"literal_star_folder", "lit*/x.tmb", true},
    ExistsRow{"wildcard_in_folder_and_name", "lit*/?.tmb", true}
), [](const auto &info) { return info.param.name; });

TEST(ExistsAbsolute, AbsolutePathAndRootFolder)
{
    TempDir dir;
    dir.write("abs.tmb", "");
    EXPECT_TRUE(dictionaryExists(dir.file("abs.tmb")));
    EXPECT_TRUE(dictionaryExists(dir.file("a?s.*")));
    EXPECT_FALSE(dictionaryExists("/*.tmb-that-is-not-there"));
}

} // namespace
