#include "int16.h"
#include "runtimeerror.h"

#include <gtest/gtest.h>

using namespace tamberlo;

namespace {

TEST(Int16, InRange)
{
    EXPECT_EQ(checkedInt16(32767), 32767);
    EXPECT_EQ(checkedInt16(-32768), -32768);
    EXPECT_EQ(addInt16(32766, 1), 32767);
    EXPECT_EQ(addInt16(-32767, -1), -32768);
}

TEST(Int16Failure, OutOfRangeOverflows)
{
    for (long long v : {32768LL, -32769LL, 1LL << 40}) {
        try {
            checkedInt16(v, "/d.tmb");
            ADD_FAILURE() << v;
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow);
            EXPECT_EQ(e.path(), "/d.tmb");
        }
    }
    EXPECT_THROW(addInt16(32767, 1), RuntimeError);
    EXPECT_THROW(addInt16(-32768, -1), RuntimeError);
}

} // namespace
