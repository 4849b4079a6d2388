#include "dictionary/runtimeerror.h"

#include <gtest/gtest.h>

#include <set>

using namespace tamberlo;

namespace {

// Each report must tell its failure apart; the texts themselves are checked in the reports below.
TEST(RuntimeError, EveryKindHasANameOfItsOwn)
{
    const std::set<std::string> names{errorName(ErrorKind::FileNotFound), errorName(ErrorKind::InputPastEndOfFile),
                                      errorName(ErrorKind::SubscriptOutOfRange), errorName(ErrorKind::Overflow),
                                      errorName(ErrorKind::FileAccess), errorName(ErrorKind(-1))};
    EXPECT_EQ(names.size(), 6u);
}

TEST(RuntimeError, ReportNamesWhatIsKnown)
{
    const RuntimeError full(ErrorKind::InputPastEndOfFile, "/home/u/単語.tmb", 4, "理由");
    EXPECT_STREQ(full.what(), "実行時エラー: ファイルの終わりを越えて読み込もうとしました\n"
                              "ファイル: /home/u/単語.tmb\n行: 4\n理由");
    EXPECT_STREQ(RuntimeError(ErrorKind::Overflow).what(), "実行時エラー: オーバーフローしました");
    EXPECT_STREQ(RuntimeError(ErrorKind::FileAccess, "x.tmb", 0, "Is a directory").what(),
                 "実行時エラー: ファイルにアクセスできません\nファイル: x.tmb\nIs a directory");
}

TEST(RuntimeError, ReportIsValidUtf8WhateverThePathBytes)
{
    const RuntimeError e(ErrorKind::FileNotFound, "/tmp/\x8C\xA2.tmb");
    EXPECT_EQ(e.path(), "/tmp/\x8C\xA2.tmb");
    EXPECT_STREQ(e.what(), "実行時エラー: ファイルが見つかりません\nファイル: /tmp/\uFFFD\uFFFD.tmb");
}

} // namespace
