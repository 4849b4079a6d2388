#include "dictionary/systemreason.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace tamberlo;

namespace {

struct ReasonRow {
    std::string name;
    int err;
    std::string japanese;
};

class SystemReason : public testing::TestWithParam<ReasonRow> {};

TEST_P(SystemReason, JapaneseFirstWithTheSystemsTextInBrackets)
{
    const ReasonRow &row = GetParam();
    EXPECT_EQ(systemReason(row.err), row.japanese + "（" + std::strerror(row.err) + "）");
}

INSTANTIATE_TEST_SUITE_P(Rows, SystemReason, testing::Values(
    ReasonRow{"disk_full", ENOSPC, "ディスクがいっぱいです"},
    // The two refusals of permission read alike to a user.
    ReasonRow{"permission", EPERM, "アクセスが許可されていません"},
    ReasonRow{"link_loop", ELOOP, "シンボリックリンクが循環しています"},
    ReasonRow{"file_in_the_path", ENOTDIR, "パスの途中にフォルダーではなくファイルがあります"},
    ReasonRow{"too_many_open_files", EMFILE, "開いているファイルが多すぎます"},
    ReasonRow{"too_many_open_files_in_the_system", ENFILE, "開いているファイルが多すぎます"},
    ReasonRow{"file_too_large", EFBIG, "ファイルが大きすぎます"},
    ReasonRow{"quota", EDQUOT, "ディスクの使用量の上限を超えました"},
    ReasonRow{"running_program", ETXTBSY, "実行中のプログラムが使っているファイルです"},
    // Only an append that finds the lock held says another program is using the dictionary.
    ReasonRow{"would_block", EAGAIN, "いまは使えません。少し待ってからやり直してください"}
), RowName);

TEST(SystemReasonOther, IsTheSystemsTextAlone)
{
    EXPECT_EQ(systemReason(EDOM), std::strerror(EDOM));
    EXPECT_EQ(lockHeldReason(), std::string("ほかのプログラムが辞書を使っています（") + std::strerror(EAGAIN) + "）");
}

} // namespace
