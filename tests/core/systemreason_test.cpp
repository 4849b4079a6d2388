#include "systemreason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace tamberlo;

namespace {

TEST(SystemReason, JapaneseFirstWithTheSystemsTextInBracketsOrTheSystemsTextAlone)
{
    EXPECT_EQ(systemReason(ENOSPC), std::string("ディスクがいっぱいです（") + std::strerror(ENOSPC) + "）");
    // The two refusals of permission read alike to a user.
    EXPECT_EQ(systemReason(EPERM).rfind("アクセスが許可されていません（", 0), 0u);
    EXPECT_EQ(systemReason(EFBIG), std::strerror(EFBIG));
}

} // namespace
