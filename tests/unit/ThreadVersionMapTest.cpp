#include "engine/ThreadVersionMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

namespace movalent {
namespace {

TEST(ThreadVersionMapTest, SetOverwritesAndRemoveForgets) {
    ThreadVersionMap map;
    IEVERSION version = IE_4;
    EXPECT_FALSE(map.Lookup(0x24, &version));
    EXPECT_TRUE(map.Set(0x24, IE_7));
    ASSERT_TRUE(map.Lookup(0x24, &version));
    EXPECT_EQ(IE_7, version);
    EXPECT_TRUE(map.Set(0x24, IE_DEFAULT));
    ASSERT_TRUE(map.Lookup(0x24, &version));
    EXPECT_EQ(IE_DEFAULT, version);
    EXPECT_EQ(1u, map.Count());
    EXPECT_TRUE(map.Remove(0x24));
    EXPECT_FALSE(map.Lookup(0x24, &version));
    EXPECT_TRUE(map.Remove(0x24)) << "removing an absent id succeeds";
}

TEST(ThreadVersionMapTest, KeepsTheInstanceWithItsTagAndReplacesItWithTheTag) {
    ThreadVersionMap map;
    IEVERSION version = IE_4;
    uint64_t instance = 1;
    ASSERT_TRUE(map.Set(0x24, IE_7, 0x1D9A0000'00000002));
    ASSERT_TRUE(map.Set(0x24 + 17 * 16, IE_6, 5)); // the same bucket
    ASSERT_TRUE(map.Lookup(0x24, &version, &instance));
    EXPECT_EQ(0x1D9A0000'00000002u, instance);
    ASSERT_TRUE(map.Set(0x24, IE_8));
    ASSERT_TRUE(map.Lookup(0x24, &version, &instance));
    EXPECT_EQ(IE_8, version);
    EXPECT_EQ(0u, instance) << "a later tag brings its own instance";
    map.Remove(0x24);
    EXPECT_FALSE(map.Lookup(0x24, &version, &instance));
    EXPECT_EQ(0u, instance) << "untouched when absent";
    ASSERT_TRUE(map.Lookup(0x24 + 17 * 16, &version, &instance));
    EXPECT_EQ(5u, instance);
}

TEST(ThreadVersionMapTest, IdsSharingABucketStayApart) {
    ThreadVersionMap map;
    // (id >> 4) % 17 is equal for these.
    const uint32_t a = 0x10, b = 0x10 + 17 * 16, c = 0x10 + 34 * 16 + 4;
    ASSERT_TRUE(map.Set(a, IE_55));
    ASSERT_TRUE(map.Set(b, IE_6));
    ASSERT_TRUE(map.Set(c, IE_8));
    map.Remove(b);
    IEVERSION version = IE_4;
    ASSERT_TRUE(map.Lookup(a, &version));
    EXPECT_EQ(IE_55, version);
    ASSERT_TRUE(map.Lookup(c, &version));
    EXPECT_EQ(IE_8, version);
    EXPECT_FALSE(map.Lookup(b, &version));
}

int g_blocksLeft = 0;
int g_blocksLive = 0;
void* CountedAllocate(size_t bytes) {
    if (g_blocksLeft == 0)
        return nullptr;
    --g_blocksLeft;
    ++g_blocksLive;
    return std::malloc(bytes);
}
void CountedFree(void* block) {
    --g_blocksLive;
    std::free(block);
}

TEST(ThreadVersionMapTest, NodesComeInBlocksOfTenAndAFullHeapIsReported) {
    g_blocksLeft = 2;
    g_blocksLive = 0;
    {
        ThreadVersionMap map(&CountedAllocate, &CountedFree);
        for (uint32_t i = 1; i <= 20; ++i)
            ASSERT_TRUE(map.Set(i * 4, IE_6)) << i;
        EXPECT_EQ(2u, map.BlockCount());
        EXPECT_FALSE(map.Set(21 * 4, IE_6)) << "the heap is exhausted";
        EXPECT_TRUE(map.Set(20 * 4, IE_7)) << "overwriting needs no node";
        map.Remove(4);
        EXPECT_TRUE(map.Set(21 * 4, IE_6)) << "a removed node is used again";
        for (uint32_t i = 2; i <= 21; ++i)
            map.Remove(i * 4);
        EXPECT_EQ(0u, map.Count());
        EXPECT_EQ(0, g_blocksLive) << "an empty map holds no blocks";
        g_blocksLeft = 1;
        EXPECT_TRUE(map.Set(8, IE_55));
    }
    EXPECT_EQ(0, g_blocksLive) << "the destructor frees every block";
}

TEST(ThreadVersionMapTest, AgreesWithAReferenceMapOverRandomOperations) {
    ThreadVersionMap map;
    std::map<uint32_t, IEVERSION> reference;
    std::mt19937 random(4);
    for (int step = 0; step < 20000; ++step) {
        const uint32_t id = (random() % 300) * 4;
        switch (random() % 3) {
        case 0: {
            const auto version = static_cast<IEVERSION>(random() % IE_VERSION_COUNT);
            ASSERT_TRUE(map.Set(id, version));
            reference[id] = version;
            break;
        }
        case 1:
            map.Remove(id);
            reference.erase(id);
            break;
        default: {
            IEVERSION version = IE_4;
            const bool found = map.Lookup(id, &version);
            const auto it = reference.find(id);
            ASSERT_EQ(it != reference.end(), found) << id;
            if (found) {
                ASSERT_EQ(it->second, version);
            }
        }
        }
    }
    EXPECT_EQ(reference.size(), map.Count());
}

} // namespace
} // namespace movalent
