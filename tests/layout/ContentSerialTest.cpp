// The content number a screen copy of an object's content is keyed on: it
// must change whenever the content may have changed and stay put otherwise.

#include "FaceTestUtil.h"

#include "layout/face/ContentBitmap.h"
#include "layout/barcode/DrawBarcode.h"

TEST(ContentSerial, ChangesWithTheContentAndTravelsWithCopies)
{
    CContentBitmap a;
    EXPECT_EQ(a.GetSerial(), 0u);
    ASSERT_TRUE(a.Create(10, 10, 0, 0, 10, 10));
    const std::uint64_t first = a.GetSerial();
    EXPECT_NE(first, 0u);
    const CContentBitmap copy = a;
    EXPECT_EQ(copy.GetSerial(), first);
    a.Fill(0xFFFFFF);
    EXPECT_NE(a.GetSerial(), first);
    const std::uint64_t filled = a.GetSerial();
    a.FillRect(20, 20, 30, 30, 0);  // wholly outside: nothing changes
    EXPECT_EQ(a.GetSerial(), filled);
    a.FillRect(2, 2, 4, 4, 0);
    EXPECT_NE(a.GetSerial(), filled);
    CContentBitmap b;
    ASSERT_TRUE(b.Create(10, 10, 0, 0, 10, 10));
    EXPECT_NE(b.GetSerial(), a.GetSerial());  // two contents never share a number
    a.Reset();
    EXPECT_EQ(a.GetSerial(), 0u);
}

TEST(ContentSerial, AnObjectKeepsItsNumberUntilItsContentIsRedrawn)
{
    CDrawBarcode code;
    ASSERT_TRUE(code.SetData("ABC"));
    code.SetCoords(0, 40, 200, 0);
    const CContentBitmap* content = code.PrepareContent(400, 400);
    ASSERT_TRUE(content);
    const std::uint64_t serial = content->GetSerial();
    EXPECT_EQ(code.PrepareContent(400, 400)->GetSerial(), serial);
    ASSERT_TRUE(code.SetData("ABD"));
    code.InvalidateCache();
    EXPECT_NE(code.PrepareContent(400, 400)->GetSerial(), serial);
}
