#include "runtimeerror.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

TEST(RuntimeError, JapaneseNames)
{
    EXPECT_STREQ(errorName(ErrorKind::FileNotFound), "ファイルが見つかりません");
    EXPECT_STREQ(errorName(ErrorKind::InputPastEndOfFile), "ファイルの終わりを越えて読み込もうとしました");
    EXPECT_STREQ(errorName(ErrorKind::SubscriptOutOfRange), "インデックスが有効範囲にありません");
    EXPECT_STREQ(errorName(ErrorKind::Overflow), "オーバーフローしました");
    EXPECT_STREQ(errorName(ErrorKind::FileAccess), "ファイルにアクセスできません");
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
