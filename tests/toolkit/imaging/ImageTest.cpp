#include <gtest/gtest.h>

#include "platform/Paint.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage16.h"
#include "toolkit/imaging/CImage8.h"

namespace {

uint8_t* Lock(CImageBase& image, const tCPoint* point = nullptr)
{
    uint8_t* pixels = nullptr;
    EXPECT_EQ(image.LockPixelsAt(&pixels, point), kResOk);
    return pixels;
}

}  // namespace

TEST(Image, RowLayoutOfEachKind)
{
    CImage8 grey(5, 3);
    ASSERT_TRUE(grey.IsValid());
    Lock(grey);
    EXPECT_EQ(grey.GetRowBytes(), 5);
    EXPECT_EQ(grey.GetRowPixels(), 5);
    EXPECT_FALSE(grey.IsDib());

    CImage16 dib16(5, 3, 1);
    ASSERT_TRUE(dib16.IsValid());
    Lock(dib16);
    EXPECT_TRUE(dib16.IsDib());
    EXPECT_EQ(dib16.GetBitsPerPixel(), 16);
    EXPECT_EQ(dib16.GetRowBytes(), 12);
    EXPECT_EQ(dib16.GetRowPixels(), 6);

    CImage16 heap16(5, 3);
    Lock(heap16);
    EXPECT_EQ(heap16.GetRowBytes(), 10);

    CImage argb(7, 2, 1);
    Lock(argb);
    EXPECT_EQ(argb.GetRowBytes(), 28);
    EXPECT_EQ(argb.GetBounds(), (tCRect{0, 0, 7, 2}));
}

TEST(Image, NewPixelsAreClearedAndLockPointAddressesThePixel)
{
    CImage image(4, 3);
    uint8_t* base = Lock(image);
    for (int i = 0; i < 4 * 3 * 4; ++i)
        ASSERT_EQ(base[i], 0);
    const tCPoint at{3, 2};
    EXPECT_EQ(Lock(image, &at), base + 2 * 16 + 3 * 4);
    EXPECT_EQ(image.UnlockPixelsAt(&at), kResOk);
}

TEST(Image, SetSizeToTheSameSizeKeepsTheBlockAndZeroesIt)
{
    CImage8 image(6, 4);
    uint8_t* before = Lock(image);
    before[7] = 99;
    ASSERT_EQ(image.SetSize(6, 4), kResOk);
    uint8_t* after = Lock(image);
    EXPECT_EQ(after, before);
    EXPECT_EQ(after[7], 0);
    ASSERT_EQ(image.SetSizeFromPoint({3, 9}), kResOk);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetHeight(), 9);
}

TEST(Image, AnEmptyImageRefusesTheLock)
{
    CImage image;
    uint8_t* pixels = reinterpret_cast<uint8_t*>(&image);
    EXPECT_EQ(image.LockPixels(&pixels), kResFailure);
    EXPECT_EQ(pixels, nullptr);
    CImage created(3, 3);
    created.FreePixels();
    EXPECT_FALSE(created.IsValid());
    EXPECT_EQ(created.LockPixels(&pixels), kResFailure);
}

TEST(Image, SizesAreCheckedBeforeAnythingIsAllocated)
{
    CImage image(2, 2);
    EXPECT_EQ(image.Create(-1, 5), kResBadParam);
    EXPECT_TRUE(image.IsValid());
    // 40000 x 40000 is past the pixel cap; 2^30 x 1 is within it but its row does not fit i32.
    EXPECT_EQ(image.Create(40000, 40000), kResNoMemory);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Create(1 << 30, 1), kResNoMemory);
    EXPECT_FALSE(image.IsValid());
    CImage dib(1);
    EXPECT_EQ(dib.CreateDibSection(1 << 29, 4), kResNoMemory);
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.Create(3, 3), kResOk);
    EXPECT_TRUE(dib.IsDib());
}

TEST(Image, ZeroSizedImagesAreValidAndEmpty)
{
    CImage image(0, 0);
    EXPECT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetBounds(), tCRect{});
}

TEST(Image, TheMemoryContextCopiesPixelsUntilItsLastReleaseOrTheNextSize)
{
    CImage from(3, 2, 1), into(3, 2, 1);
    uint32_t* pixels = reinterpret_cast<uint32_t*>(Lock(from));
    for (uint32_t i = 0; i < 6; ++i)
        pixels[i] = 0xFF000000u | i;
    const w32::HDC source = from.GetMemDC();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(from.GetMemDC(), source) << "one context serves every caller";
    const w32::HDC target = into.GetMemDC();
    ASSERT_TRUE(w32::BitBlt(target, 1, 0, 2, 2, source, 0, 0, w32::SRCCOPY));
    const uint32_t* copied = reinterpret_cast<uint32_t*>(Lock(into));
    EXPECT_EQ(copied[0], 0u);
    EXPECT_EQ(copied[1], 0xFF000000u);
    EXPECT_EQ(copied[5], 0xFF000004u);

    from.ReleaseMemDC();
    EXPECT_TRUE(w32::BitBlt(target, 0, 0, 1, 1, source, 0, 0, w32::SRCCOPY)) << "one use is left";
    from.ReleaseMemDC();
    EXPECT_FALSE(w32::BitBlt(target, 0, 0, 1, 1, source, 0, 0, w32::SRCCOPY));

    ASSERT_NE(into.GetMemDC(), nullptr);
    ASSERT_EQ(into.SetSize(4, 4), kResOk);
    EXPECT_FALSE(w32::BitBlt(target, 0, 0, 1, 1, target, 0, 0, w32::SRCCOPY)) << "new pixels end the old context";

    CImage empty;
    CImage8 grey(2, 2);
    EXPECT_EQ(empty.GetMemDC(), nullptr);
    EXPECT_EQ(grey.GetMemDC(), nullptr);
}
