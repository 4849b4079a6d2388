// Appending an entry: the exact bytes, the line end it adds before them, and every refusal and
// failed write leaving the file as it was.
#include "childprocess.h"
#include "dictionary/dictionaryexists.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/systemreason.h"
#include "tempdir.h"
#include "wholeline.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tamberlo;

namespace {

const std::string DogInuLine = "dog<>\x8C\xA2\r\n";

TEST(AppendEntry, DogInuIsByteExact)
{
    TempDir dir;
    const std::string path = dir.file("new.tmb");
    ASSERT_EQ(createEmptyDictionary(path).outcome, CreateOutcome::Created);
    EXPECT_EQ(fileBytes(path), "");
    EXPECT_EQ(countEntries(path), 0);

    ASSERT_EQ(appendEntry(path, "dog", "犬").outcome, AppendOutcome::Appended);
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

// Started with standard input closed, the program gets descriptor 0 for the dictionary: it must be
// closed like any other, or its lock would outlive the append and shut out the next one.
TEST(AppendEntry, LetsGoOfDescriptorZero)
{
    TempDir dir;
    const std::string path = dir.file("d.tmb");
    Child child([&]() -> std::string {
        encodeCp932("犬"); // the converter's own files are opened before descriptor 0 is free
        ::close(0);
        for (const char *which : {"first", "second"})
            if (appendEntry(path, "dog", "犬").outcome != AppendOutcome::Appended)
                return std::string("the ") + which + " append was refused";
        return ::fcntl(0, F_GETFD) == -1 ? "" : "descriptor 0 left open";
    });
    EXPECT_EQ(child.result(), "");
    EXPECT_EQ(fileBytes(path), DogInuLine + DogInuLine);
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

class AppendAfter : public RowInFolder<AppendRow> {};

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
), RowName);

// Entries appended after a look at the dictionary: under the lock only what came since is read, and
// pairs that arrived meanwhile are not written again.
struct SinceRow {
    std::string name;
    std::string atLook;
    std::string meanwhile; // appended by another writer, or, after "=", the whole file replaced
    std::string after;
};

class AppendSinceALook : public testing::TestWithParam<SinceRow> {};

TEST_P(AppendSinceALook, DropsWhatArrivedAndCountsRight)
{
    const SinceRow &row = GetParam();
    TempDir dir;
    const std::string path = dir.write("d.tmb", row.atLook);
    std::vector<std::string> seen;
    const DictionaryMark mark = readEntryPairs(path, 16, [&](std::string_view w, std::string_view m) {
        seen.push_back(std::string(w) + "|" + std::string(m));
    });
    EXPECT_EQ(mark.lines, countEntries(path));
    if (row.meanwhile.starts_with("="))
        writeBytes(dir.file("new"), row.meanwhile.substr(1)), std::filesystem::rename(dir.file("new"), path);
    else
        std::ofstream(path, std::ios::app | std::ios::binary) << row.meanwhile;
    std::vector<EntryBytes> entries{{"cat", "\x94\x4C"}, {"cow", "\x8B\x8D"}};
    EXPECT_EQ(appendEntries(path, entries, &mark).outcome, AppendOutcome::Appended);
    EXPECT_EQ(hex(fileBytes(path)), hex(row.after));
}

const std::string Cat = "cat<>\x94\x4C\r\n";
const std::string Cow = "cow<>\x8B\x8D\r\n";

INSTANTIATE_TEST_SUITE_P(Rows, AppendSinceALook, testing::Values(
    SinceRow{"nothing_meanwhile", "a<>b\r\n", "", "a<>b\r\n" + Cat + Cow},
    SinceRow{"a_pair_arrived", "a<>b\r\n", Cat, "a<>b\r\n" + Cat + Cow},
    SinceRow{"open_line_completed_meanwhile", "a<>b\r\ncat<>", "\x94\x4C\r\n", "a<>b\r\n" + Cat + Cow},
    // The LF after the CR the look ended at belongs to that line end.
    SinceRow{"lf_of_a_cr_lf_meanwhile", "a<>b\r", "\n" + Cat, "a<>b\r\n" + Cat + Cow},
    SinceRow{"replaced_meanwhile", "a<>b\r\n", "=" + Cow, Cow + Cat},
    SinceRow{"created_meanwhile", "", Cat + "x", Cat + "x\r\n" + Cow}
), RowName);

// A dictionary missing at the first look is an empty one, made by the append.
TEST(AppendSinceALook, MissingAtTheLookIsEmpty)
{
    TempDir dir;
    const DictionaryMark mark = readEntryPairs("new.tmb", 16, [](std::string_view, std::string_view) { FAIL(); });
    EXPECT_EQ(mark.lines, 0);
    std::vector<EntryBytes> entries{{"cat", "\x94\x4C"}};
    EXPECT_EQ(appendEntries("new.tmb", entries, &mark).outcome, AppendOutcome::Appended);
    EXPECT_EQ(fileBytes("new.tmb"), Cat);
}

// More than one write's worth: every entry, in order, once.
TEST(AppendEntries, PastOneWriteAllWritten)
{
    TempDir dir;
    std::vector<EntryBytes> entries;
    std::string expected;
    for (int i = 0; i < 30000; ++i) {
        entries.push_back({"word" + std::to_string(i), std::string(40, 'm')});
        expected += "word" + std::to_string(i) + "<>" + std::string(40, 'm') + "\r\n";
    }
    EXPECT_EQ(appendEntries("d.tmb", entries).outcome, AppendOutcome::Appended);
    EXPECT_TRUE(fileBytes("d.tmb") == expected);
}

TEST(AppendFailure, UnencodableTextLeavesTheFileAlone)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    const AppendResult result = appendEntry(path, "smile", "😀");
    EXPECT_EQ(result.outcome, AppendOutcome::NotWritten);
    EXPECT_NE(result.reason.find("U+1F600"), std::string::npos) << result.reason;
    EXPECT_EQ(fileBytes(path), "a<>b\r\n");
    EXPECT_EQ(appendEntry(dir.file("never.tmb"), "\xFF", "x").outcome, AppendOutcome::NotWritten);
    EXPECT_FALSE(dictionaryExists(dir.file("never.tmb")));
}

// Another program holding the dictionary's lock until it is told to let go, or for a minute: an
// append that blocked instead of giving up would get the lock then and save.
class LockHolder {
public:
    explicit LockHolder(const std::string &path)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            throw std::runtime_error("pipe failed");
        m_child.emplace([&]() -> std::string {
            ::close(m_release[1]);
            const int fd = ::open(path.c_str(), O_RDONLY);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
                return "could not lock";
            ::write(ready[1], "!", 1);
            pollfd letGo{m_release[0], POLLIN, 0};
            ::poll(&letGo, 1, 60'000);
            return {};
        });
        ::close(ready[1]);
        ::close(m_release[0]);
        char c;
        const bool locked = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
        if (!locked)
            letGo();
    }
    ~LockHolder() { letGo(); }

    void letGo()
    {
        if (!m_child)
            return;
        ::close(m_release[1]);
        EXPECT_EQ(m_child->result(), "");
        m_child.reset();
    }

private:
    int m_release[2] = {-1, -1};
    std::optional<Child> m_child;
};

TEST(AppendLocked, RefusedAtOnceWithoutWritingThenSavedOnceLetGo)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    LockHolder holder(path);
    const AppendResult refused = appendEntry(path, "dog", "犬");
    EXPECT_EQ(refused.outcome, AppendOutcome::Locked);
    EXPECT_EQ(refused.reason, lockHeldReason());
    EXPECT_EQ(fileBytes(path), "a<>b\r\n");

    holder.letGo();
    EXPECT_EQ(appendEntry(path, "dog", "犬").outcome, AppendOutcome::Appended);
    EXPECT_EQ(fileBytes(path), "a<>b\r\n" + DogInuLine);
}

// Refused at once, with the reason, and whatever lies at the name is left as it was.
struct RefusalRow {
    std::string name;
    std::function<std::string(const TempDir &)> target; // makes what lies at the name; gives the path
    std::string reason;                                  // the refusal's reason starts so
    bool asNobody = false;
};

class AppendRefusal : public RowInFolder<RefusalRow> {};

TEST_P(AppendRefusal, NamesTheReasonAndWritesNothing)
{
    const auto &row = GetParam();
    const std::string path = row.target(dir);
    // Read only a regular file back: opening the pipe to read it would wait for a writer.
    auto contents = [&] { return std::filesystem::is_regular_file(path) ? fileBytes(path) : std::string(); };
    const std::string before = contents();
    auto refusal = [&] {
        const AppendResult result = appendEntry(path, "dog", "犬");
        return result.outcome == AppendOutcome::NotWritten ? result.reason : std::string("not refused");
    };
    ::chmod(dir.file("").c_str(), 0755);
    const std::string reason = row.asNobody ? asNobody(refusal) : refusal();
    EXPECT_EQ(reason.substr(0, row.reason.size()), row.reason) << reason;
    EXPECT_EQ(contents(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendRefusal, testing::Values(
    RefusalRow{"directory", [](const TempDir &d) { ::mkdir(d.file("f.tmb").c_str(), 0755); return d.file("f.tmb"); },
               "ファイルではなくフォルダーです"},
    RefusalRow{"missing_folder", [](const TempDir &d) { return d.file("no/f.tmb"); },
               "ファイルまたはフォルダーが見つかりません"},
    // Opening a pipe for writing would wait for a reader; a hang here is the test's timeout.
    RefusalRow{"named_pipe_without_reader",
               [](const TempDir &d) { ::mkfifo(d.file("p.tmb").c_str(), 0644); return d.file("p.tmb"); },
               NotRegularFileReason},
    RefusalRow{"device_that_keeps_nothing", [](const TempDir &) { return std::string("/dev/null"); },
               NotRegularFileReason},
    RefusalRow{"read_only_file", [](const TempDir &d) {
                   ::chmod(d.write("ro.tmb", "a<>b\r\n").c_str(), 0444);
                   return std::string("ro.tmb");
               }, "アクセスが許可されていません", true}
), RowName);

// The file is built by the test, not the row: every process of the suite would build them all.
struct FullRow {
    std::string name;
    int lines;
    const char *openLine;
    AppendOutcome outcome;
};

std::string linesOf(int count)
{
    std::string bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "w" + std::to_string(i) + "<>m\r\n";
    return bytes;
}

class AppendToFullDictionary : public RowInFolder<FullRow> {};

// Counted from the file as it is when the lock is held, not from what a window counted earlier.
TEST_P(AppendToFullDictionary, RefusedWithoutWriting)
{
    const auto &row = GetParam();
    const std::string before = linesOf(row.lines) + row.openLine;
    const std::string path = dir.write("d.tmb", before);
    EXPECT_EQ(appendEntry(path, "dog", "犬").outcome, row.outcome);
    if (row.outcome == AppendOutcome::DictionaryFull)
        EXPECT_EQ(fileBytes(path), before);
    else
        EXPECT_EQ(countEntries(path), MaxEntries);
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendToFullDictionary, testing::Values(
    FullRow{"room_for_the_last", 32766, "", AppendOutcome::Appended},
    FullRow{"room_for_the_last_after_open_line", 32765, "tail", AppendOutcome::Appended},
    FullRow{"full", 32767, "", AppendOutcome::DictionaryFull},
    FullRow{"full_with_open_last_line", 32766, "tail", AppendOutcome::DictionaryFull},
    FullRow{"past_full", 32768, "", AppendOutcome::DictionaryFull}
), RowName);

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

class AppendWriteFailure : public RowInFolder<WriteFailureRow> {};

TEST_P(AppendWriteFailure, FileIsExactlyAsItWas)
{
    const auto &row = GetParam();
    const std::string path = dir.write("d.tmb", row.before);
    AppendResult result{AppendOutcome::Appended, {}};
    {
        FileSizeLimit limit(row.limit);
        if (!limit.ok())
            GTEST_SKIP() << "cannot lower RLIMIT_FSIZE";
        result = appendEntry(path, "dog", "犬");
    }
    EXPECT_EQ(result.outcome, AppendOutcome::NotWritten);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(hex(fileBytes(path)), hex(row.before));
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendWriteFailure, testing::Values(
    WriteFailureRow{"refused_entirely", "a<>b\r\n", 6},
    WriteFailureRow{"cut_short", "a<>b\r\n", 9},
    WriteFailureRow{"cut_short_after_added_line_end", "a<>b", 6},
    WriteFailureRow{"cut_short_in_empty_file", "", 3}
), RowName);

TEST(AppendWriteFailure, RefusedWriteNamesTheSystemReason)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    FileSizeLimit limit(6);
    if (!limit.ok())
        GTEST_SKIP() << "cannot lower RLIMIT_FSIZE";
    EXPECT_EQ(appendEntry(path, "dog", "犬").reason, systemReason(EFBIG));
}

std::atomic<int> g_fsyncError{0};

} // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd)
{
    if (const int err = g_fsyncError.load()) {
        errno = err;
        return -1;
    }
    return __real_fsync(fd);
}

namespace {

struct FlushRow {
    std::string name;
    int error;
    AppendOutcome outcome;
    std::string after;
};

class AppendFlush : public testing::TestWithParam<FlushRow> {};

// A save is done once flushed: a failed flush is reported and its bytes taken back, except where
// the file system cannot flush at all (EINVAL) and the write alone is all there is.
TEST_P(AppendFlush, FailureIsReportedAndTakenBack)
{
    const auto &row = GetParam();
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    g_fsyncError = row.error;
    const AppendResult result = appendEntry(path, "dog", "犬");
    g_fsyncError = 0;
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(result.reason, row.outcome == AppendOutcome::Appended ? "" : systemReason(row.error));
    EXPECT_EQ(fileBytes(path), row.after);
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendFlush, testing::Values(
    FlushRow{"io_error", EIO, AppendOutcome::NotWritten, "a<>b\r\n"},
    FlushRow{"cannot_flush_here", EINVAL, AppendOutcome::Appended, "a<>b\r\n" + DogInuLine}
), RowName);

// Another program that appends without the lock, just as a write of ours is refused: its bytes stay,
// and so do ours before them, as the report says.
rlimit g_limitBefore{};
int g_otherWriter = -1;

TEST(AppendWriteFailure, BytesAnotherProgramAddsMeanwhileStay)
{
    TempDir dir;
    const std::string path = dir.write("d.tmb", "a<>b\r\n");
    ::getrlimit(RLIMIT_FSIZE, &g_limitBefore);
    g_otherWriter = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    AppendResult result{AppendOutcome::Appended, {}};
    {
        FileSizeLimit limit(9); // "dog" fits, the rest is refused
        if (!limit.ok())
            GTEST_SKIP() << "cannot lower RLIMIT_FSIZE";
        std::signal(SIGXFSZ, [](int) {
            ::setrlimit(RLIMIT_FSIZE, &g_limitBefore);
            [[maybe_unused]] const ssize_t n = ::write(g_otherWriter, "X", 1);
        });
        result = appendEntry(path, "dog", "犬");
    }
    ::close(g_otherWriter);
    EXPECT_EQ(result.reason, systemReason(EFBIG) + "（書き込んだ分を取り消せませんでした）");
    EXPECT_EQ(fileBytes(path), "a<>b\r\ndogX");
}

} // namespace
