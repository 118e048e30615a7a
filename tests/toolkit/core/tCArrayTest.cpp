#include <gtest/gtest.h>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/Memory.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

namespace {

int32_t CapacityAfterGrowingFullArray(int32_t count, int32_t growth)
{
    tCArray<int32_t> a(growth);
    EXPECT_EQ(a.SetCount(count), kResOk);
    EXPECT_EQ(a.GetCapacity(), count);
    EXPECT_EQ(a.Add(7), kResOk);
    EXPECT_EQ(a[count], 7);
    return a.GetCapacity();
}

TEST(tCArray, AutomaticGrowthIsAQuarterClampedToEightAnd2048)
{
    EXPECT_EQ(CapacityAfterGrowingFullArray(100, -1), 125);
    EXPECT_EQ(CapacityAfterGrowingFullArray(4, -1), 12);
    EXPECT_EQ(CapacityAfterGrowingFullArray(10000, -1), 12048);
    EXPECT_EQ(CapacityAfterGrowingFullArray(100, 0), 101);
    EXPECT_EQ(CapacityAfterGrowingFullArray(100, 10), 110);
}

TEST(tCArray, ALargeJumpGrowsPastTheRequestedCount)
{
    tCArray<int32_t> a;
    a.SetCount(10);
    EXPECT_EQ(a.SetCount(100), kResOk);
    EXPECT_EQ(a.GetCapacity(), 108);
    for (int32_t v : a)
        EXPECT_EQ(v, 0);
}

TEST(tCArray, NegativeCountsAreRefusedAndLeaveTheArray)
{
    tCArray<int32_t> a;
    a.Add(1);
    EXPECT_EQ(a.SetCount(-1), kResBadParam);
    EXPECT_EQ(a.GetCount(), 1);
    EXPECT_EQ(a.RemoveAt(1), kResOutOfRange);
    EXPECT_EQ(a.RemoveAt(-1), kResOutOfRange);
    EXPECT_EQ(a.GetAt(5), 0);
}

TEST(tCArray, ShrinkingReleasesStringsAndRegrowingGivesEmptyOnes)
{
    tCStringArray a;
    a.Add(tCString(u"one"));
    a.Add(tCString(u"two"));
    a.Add(tCString(u"three"));
    a.SetCount(1);
    a.SetCount(3);
    EXPECT_EQ(std::u16string(a[0].View()), u"one");
    EXPECT_TRUE(a[1].IsNull());
    EXPECT_TRUE(a.GetAt(2).IsEmpty());
    a.SetCount(0);
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST(tCArray, InsertRemoveAndFindKeepOrder)
{
    tCArray<int32_t> a;
    for (int32_t i = 0; i < 5; ++i)
        a.Add(i);
    a.InsertAt(0, 10);
    a.InsertAt(6, 11);
    EXPECT_EQ(a.InsertAt(8, 12), kResOutOfRange);
    EXPECT_TRUE(a.Remove(2));
    EXPECT_FALSE(a.Remove(99));
    const int32_t expected[] = {10, 0, 1, 3, 4, 11};
    ASSERT_EQ(a.GetCount(), 6);
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(a[i], expected[i]);
    EXPECT_EQ(a.IndexOf(11), 5);

    // Adding an element of the array itself survives the storage moving.
    tCStringArray strings;
    strings.Add(tCString(u"first"));
    for (int32_t i = 0; i < 40; ++i)
        strings.Add(strings[0]);
    EXPECT_EQ(std::u16string(strings[40].View()), u"first");
}

TEST(Memory, ZeroByteRequestsGiveUsableBlocks)
{
    void* block = ToolkitAlloc(0);
    ASSERT_NE(block, nullptr);
    static_cast<char*>(block)[0] = 1;
    block = ToolkitRealloc(block, 0);
    ASSERT_NE(block, nullptr);
    ToolkitFree(block);

    size_t bytes = 0;
    EXPECT_FALSE(CheckedArrayBytes(SIZE_MAX / 2, 3, &bytes));
    EXPECT_TRUE(CheckedArrayBytes(30000ull * 30000ull, 4, &bytes));
    EXPECT_EQ(bytes, 3600000000ull);
}

TEST(CMemBlockT, ResizeKeepsDataAndZeroesNewElements)
{
    CMemBlockT<uint16_t> block;
    ASSERT_EQ(block.Resize(2), kResOk);
    block.GetData()[0] = 5;
    block.GetData()[1] = 6;
    ASSERT_EQ(block.Resize(4), kResOk);
    EXPECT_EQ(block.GetData()[1], 6);
    EXPECT_EQ(block.GetData()[3], 0);
    EXPECT_EQ(block.Resize(-1), kResBadParam);
    const uint16_t source[6] = {1, 2, 3, 4, 5, 6};
    block.CopyFrom(source, 6);
    EXPECT_EQ(block.GetData()[3], 4);
    EXPECT_EQ(block.GetCount(), 4);
}

struct Tracked : tCBaseObject {
    explicit Tracked(int* deaths) : m_deaths(deaths) {}
    ~Tracked() override { ++*m_deaths; }
    int* m_deaths;
};

TEST(ScopedGuards, ArmedGuardsReleaseAndDisarmedOnesDoNot)
{
    int deaths = 0;
    Tracked* kept = new Tracked(&deaths);
    Tracked* dropped = new Tracked(&deaths);
    {
        ScopedObjectGuard<Tracked> keep(&kept);
        ScopedObjectGuard<Tracked> drop(&dropped);
        keep.Disarm();
    }
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(dropped, nullptr);
    ASSERT_NE(kept, nullptr);
    delete kept;

    char* buffer = static_cast<char*>(ToolkitAlloc(16));
    {
        ScopedBufferGuard<char> guard(&buffer);
    }
    EXPECT_EQ(buffer, nullptr);
}

}  // namespace
