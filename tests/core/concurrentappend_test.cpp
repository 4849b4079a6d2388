// Two processes appending to one dictionary, as two instances of the program or the program beside
// a script would: every entry reported as saved is in the file, whole, once, and nothing else is.
#include "childprocess.h"
#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "dictionary/systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sched.h>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace tamberlo;

namespace {

// As long as the word entry window lets a pair be: 15 letters and 20 Japanese characters.
const std::string Meaning = "あいうえおかきくけこさしすせそたちつてと";

std::string wordOf(char writer, int i)
{
    std::string word = std::string(1, writer) + std::to_string(i);
    word.insert(1, 15 - word.size(), '0');
    return word;
}

std::string lineOf(const std::string &word) { return word + "<>" + encodeCp932(Meaning).bytes + "\r\n"; }

// Appends until `count` entries are saved or `failures` appends have failed; reports each saved
// word as "+word" and each failure as "-reason", a line apiece.
std::string writer(const std::string &path, char name, int count, int failures)
{
    std::string log;
    for (int i = 0, failed = 0; i < count && failed < failures; ++i) {
        const std::string word = wordOf(name, i);
        // The lock is tried once; a caller goes on trying, as the word entry window does.
        const AppendResult result = retryWhileLocked([&] { return appendEntry(path, word, Meaning); });
        if (result.outcome == AppendOutcome::Appended)
            log += "+" + word + "\n";
        else
            log += "-" + (result.outcome == AppendOutcome::DictionaryFull ? "full" : result.reason) + "\n";
        failed += result.outcome == AppendOutcome::NotWritten;
    }
    return log;
}

struct Outcome {
    std::set<std::string> saved; // the lines of every append reported as saved
    std::vector<std::string> failures;
};

Outcome outcomeOf(const std::vector<std::string> &logs)
{
    Outcome outcome;
    for (const std::string &log : logs) {
        std::istringstream in(log);
        for (std::string entry; std::getline(in, entry);) {
            if (entry[0] == '+')
                outcome.saved.insert(lineOf(entry.substr(1)));
            else
                outcome.failures.push_back(entry.substr(1));
        }
    }
    return outcome;
}

// The file holds exactly the saved lines, each once and whole: no blank, torn or NUL-filled line.
void expectExactlySaved(const std::string &bytes, const std::set<std::string> &saved)
{
    std::map<std::string, int> seen;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "the file ends inside a line";
        const std::string line = bytes.substr(start, end + 2 - start);
        EXPECT_TRUE(saved.count(line)) << "not saved by anyone: " << hex(line);
        ++seen[line];
        start = end + 2;
    }
    for (const std::string &line : saved)
        EXPECT_EQ(seen[line], 1) << "saved, then found so often: " << line;
}

TEST(TwoWriters, NoLineLostBlankOrTorn)
{
    TempDir dir(memoryBackedBase());
    const std::string path = dir.file("d.tmb");
    constexpr int Each = 6000;
    Child a([&] { return writer(path, 'a', Each, 1); });
    Child b([&] { return writer(path, 'b', Each, 1); });
    const Outcome outcome = outcomeOf({a.result(), b.result()});
    EXPECT_TRUE(outcome.failures.empty()) << outcome.failures.front();
    EXPECT_EQ(outcome.saved.size(), 2u * Each);
    expectExactlySaved(fileBytes(path), outcome.saved);
}

TEST(TwoWriters, NeverPassTheLastFreeEntry)
{
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < MaxEntries - 10; ++i)
        bytes += "w<>m\r\n";
    const std::string path = dir.write("d.tmb", bytes);
    Child a([&] { return writer(path, 'a', 10, 1); });
    Child b([&] { return writer(path, 'b', 10, 1); });
    const Outcome outcome = outcomeOf({a.result(), b.result()});
    EXPECT_EQ(outcome.saved.size(), 10u);
    EXPECT_EQ(outcome.failures, std::vector<std::string>(10, "full"));
    EXPECT_EQ(countEntries(path), MaxEntries);
}

// A small medium that fills while two writers append: failed appends take back only their own bytes.
enum class Medium { SmallTmpfs, FileSizeLimit };

std::ostream &operator<<(std::ostream &os, Medium m)
{
    return os << (m == Medium::SmallTmpfs ? "small_tmpfs" : "file_size_limit");
}

class FillingUp : public testing::TestWithParam<Medium> {
protected:
    static constexpr int Capacity = 96 * 1024;

    // A tmpfs of its own, in a mount namespace only this test process and its children see.
    static bool mountSmallTmpfs(const std::string &at)
    {
        const std::string size = "size=" + std::to_string(Capacity);
        return ::unshare(CLONE_NEWNS) == 0
            && ::mount(nullptr, mountPointOf(at).c_str(), nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && ::mount("tmpfs", at.c_str(), "tmpfs", 0, size.c_str()) == 0;
    }

    // The mount that holds a folder; in a chroot "/" is no mount point, so it cannot be made private.
    static std::string mountPointOf(std::filesystem::path folder)
    {
        struct stat here {};
        struct stat up {};
        while (folder.has_relative_path() && ::stat(folder.c_str(), &here) == 0
               && ::stat(folder.parent_path().c_str(), &up) == 0 && up.st_dev == here.st_dev)
            folder = folder.parent_path();
        return folder.string();
    }

    // Past the file size limit the kernel cuts a write short, then refuses the next one, as a full disk does.
    static void limitFileSize()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{Capacity, Capacity};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
};

TEST_P(FillingUp, EverySavedEntryStaysAndNothingElse)
{
    TempDir dir(memoryBackedBase());
    const std::string disk = dir.file("disk");
    ::mkdir(disk.c_str(), 0755);
    const bool tmpfs = GetParam() == Medium::SmallTmpfs;
    if (tmpfs && !mountSmallTmpfs(disk))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = disk + "/d.tmb";
    auto write = [&](char name) {
        return [&, name] {
            if (!tmpfs)
                limitFileSize();
            return writer(path, name, 100000, 20);
        };
    };
    Child a(write('a'));
    Child b(write('b'));
    const Outcome outcome = outcomeOf({a.result(), b.result()});
    const std::string bytes = fileBytes(path);
    if (tmpfs)
        ::umount2(disk.c_str(), MNT_DETACH);

    EXPECT_FALSE(outcome.saved.empty());
    EXPECT_EQ(outcome.failures.size(), 40u);
    // A write cut short on a full disk is reported as a full disk.
    const std::string reason = tmpfs ? systemReason(ENOSPC) : systemReason(EFBIG);
    for (const std::string &failure : outcome.failures)
        EXPECT_EQ(failure, reason);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    expectExactlySaved(bytes, outcome.saved);
}

INSTANTIATE_TEST_SUITE_P(Media, FillingUp, testing::Values(Medium::SmallTmpfs, Medium::FileSizeLimit),
                         [](const auto &info) { return testing::PrintToString(info.param); });

} // namespace
