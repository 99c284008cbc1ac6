#include "cbase/Cb_array.h"
#include "cbase/Cb_varmem.h"

#include <gtest/gtest.h>

namespace {

TEST(CBaseArrayShares, LastShareDestroysTheElements)
{
    // An element sharing a probe array shows when the elements are destroyed.
    CBase probe = CBase::NewArray(0);
    CBaseArray& probeArray = *probe.Array();
    EXPECT_EQ(probeArray.elements, nullptr);

    CBase owner = CBase::NewArray(3);
    CBaseArray& array = *owner.Array();
    EXPECT_EQ(array.shareCount, 0);
    array.elements[0] = CBase("text");
    array.elements[1] = CBase::Share(probeArray);
    array.elements[2] = CBase::Date({1999, 12, 31});
    EXPECT_EQ(probeArray.shareCount, 1);

    CBase share1 = CBase::Share(array);
    CBase share2 = CBase::Share(array);
    EXPECT_EQ(share1.Array(), &array);
    EXPECT_EQ(array.shareCount, 2);

    share1.Destroy();
    EXPECT_EQ(share1.Tag(), 0);
    EXPECT_EQ(array.shareCount, 1);
    EXPECT_EQ(array.elements[0].String(), "text");
    EXPECT_EQ(probeArray.shareCount, 1);

    share1.Destroy(); // already destroyed: the count stays
    EXPECT_EQ(array.shareCount, 1);

    share2.Destroy();
    EXPECT_EQ(array.shareCount, 0);
    EXPECT_EQ(probeArray.shareCount, 1);

    owner.Destroy(); // count 0: elements and array go, the text through the leak check
    EXPECT_EQ(owner.Tag(), 0);
    EXPECT_EQ(owner.Array(), nullptr);
    EXPECT_EQ(probeArray.shareCount, 0);
    owner.Destroy();
    EXPECT_EQ(probeArray.shareCount, 0);
}

TEST(CBaseArraySharesDeathTest, ShareCountDoesNotWrap)
{
    CBase owner = CBase::NewArray(1);
    owner.Array()->shareCount = 65535;
    EXPECT_EXIT(CBase::Share(*owner.Array()), ::testing::ExitedWithCode(1),
                "Array share count overflow");
    owner.Array()->shareCount = 0;
}

} // namespace
