// Trampoline regions: their layout, where they are placed, which trampolines are used again and which never.
#include "HookTestSupport.h"
#include "engine/intercept/Hooks.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <set>
#include <vector>

using namespace movalent;
using namespace movalent::testing;

namespace {

typedef int(__cdecl* IntFn)();

int __cdecl ReturnsEight() {
    return 8;
}

constexpr uintptr_t kRegionMask = ~static_cast<uintptr_t>(kTrampolineRegionSize - 1);

const TrampolineRegion* RegionOf(const void* p) {
    return reinterpret_cast<const TrampolineRegion*>(reinterpret_cast<uintptr_t>(p) & kRegionMask);
}

class Regions : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, code_.base()); }

    // One tiny function per 8 bytes: mov eax,i; ret.
    std::vector<void*> MakeFunctions(size_t count) {
        std::vector<void*> functions;
        for (size_t i = 0; i < count; ++i) {
            uint8_t* f = code_.Put(i * 8, "B8 00 00 00 00 C3");
            std::memcpy(f + 1, &i, 4);
            functions.push_back(f);
        }
        return functions;
    }

    CodeBuffer code_{0x5000};
    TransactionGuard guard_;
};

TEST_F(Regions, HaveTheirHeaderAndFreeListLaidOutAsRecords) {
    void* variable = code_.Put(0x40, "B8 01 00 00 00 C3");
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionAbort());

    ASSERT_NE(nullptr, HookFirstRegion());
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next) {
        const auto base = reinterpret_cast<uintptr_t>(r);
        EXPECT_EQ(0u, base % kTrampolineRegionSize);
        EXPECT_TRUE(base < 0x70000000 || base >= 0x80000000) << std::hex << base;
        EXPECT_EQ(0, std::memcmp(r, "dtrR", 4));
        const auto* bytes = reinterpret_cast<const uint8_t*>(r);
        const size_t unused = kFirstTrampolineSlot * sizeof(Trampoline) - sizeof(TrampolineRegion);
        EXPECT_EQ(std::vector<uint8_t>(unused, 0), BytesAt(bytes + sizeof(TrampolineRegion), unused))
            << "the slots before the first usable one stay empty";

        std::set<const Trampoline*> seen;
        for (const Trampoline* t = r->freeList; t != nullptr; t = t->nextFree) {
            const uintptr_t offset = reinterpret_cast<uintptr_t>(t) - base;
            ASSERT_EQ(RegionOf(t), r);
            ASSERT_EQ(0u, offset % sizeof(Trampoline));
            ASSERT_GE(offset / sizeof(Trampoline), kFirstTrampolineSlot);
            ASSERT_TRUE(seen.insert(t).second) << "free list loops";
        }
        EXPECT_LE(seen.size(), kTrampolineSlots - kFirstTrampolineSlot);
    }
}

// A thread may still be inside a detached trampoline, or about to call it through a pointer read before the
// detach: it stays a way to the original code for good, and is never handed out again.
TEST_F(Regions, ADetachedTrampolineKeepsItsCodeAndIsNotHandedOutAgain) {
    void* variable = code_.Put(0x40, "B8 01 00 00 00 C3");
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    auto* used = static_cast<Trampoline*>(variable);
    const auto code = BytesAt(used->code, sizeof used->code);

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(nullptr, used->replacement);
    ASSERT_EQ(code, BytesAt(used->code, sizeof used->code));
    EXPECT_EQ(1, As<IntFn>(used)());
    for (const Trampoline* t = RegionOf(used)->freeList; t != nullptr; t = t->nextFree)
        ASSERT_NE(used, t);

    void* stale = used;
    ASSERT_EQ(0, HookTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookDetach(&stale, reinterpret_cast<void*>(&ReturnsEight)))
        << "detached already";
    EXPECT_EQ(ERROR_INVALID_BLOCK, HookTransactionCommit());

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_NE(static_cast<void*>(used), variable);
    EXPECT_EQ(8, As<IntFn>(code_.base() + 0x40)());
    EXPECT_EQ(1, As<IntFn>(used)()) << "the older trampoline still leads to the original code";
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
}

TEST_F(Regions, AFullRegionGetsASuccessorAndUncommittedSlotsKeepTheCountBounded) {
    constexpr size_t kPerRegion = kTrampolineSlots - kFirstTrampolineSlot;
    constexpr size_t kCount = kPerRegion + 55; // more than one region holds
    std::vector<void*> functions = MakeFunctions(kCount);
    std::vector<void*> variables = functions;
    const size_t regionsBefore = RegionCount();
    const size_t freeBefore = FreeTrampolineCount();

    ASSERT_EQ(0, HookTransactionBegin());
    for (void*& v : variables)
        ASSERT_EQ(0, HookAttach(&v, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    const size_t added = RegionCount() - regionsBefore;
    // Earlier tests may have left a region with free slots, all within reach of this buffer.
    const size_t missing = freeBefore >= kCount ? 0 : kCount - freeBefore;
    EXPECT_EQ((missing + kPerRegion - 1) / kPerRegion, added);
    EXPECT_EQ(freeBefore + added * kPerRegion - kCount, FreeTrampolineCount());
    for (const TrampolineRegion* r = HookFirstRegion(); r != nullptr; r = r->next) {
        const auto base = reinterpret_cast<uintptr_t>(r);
        EXPECT_TRUE(base < 0x70000000 || base >= 0x80000000) << std::hex << base;
    }
    for (size_t i = 0; i < kCount; i += 97) {
        EXPECT_EQ(8, As<IntFn>(functions[i])());
        EXPECT_EQ(static_cast<int>(i), As<IntFn>(variables[i])());
    }

    ASSERT_EQ(0, HookTransactionBegin());
    for (void*& v : variables)
        ASSERT_EQ(0, HookDetach(&v, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(functions, variables);
    for (size_t i = 0; i < kCount; i += 97)
        EXPECT_EQ(static_cast<int>(i), As<IntFn>(functions[i])());

    EXPECT_EQ(freeBefore + added * kPerRegion - kCount, FreeTrampolineCount()) << "detached ones stay in use";

    // An attach that was never committed gives its trampolines back: the same number again fits in them.
    ASSERT_EQ(0, HookTransactionBegin());
    for (void*& v : variables)
        ASSERT_EQ(0, HookAttach(&v, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionAbort());
    const size_t regionsAfter = RegionCount();
    ASSERT_EQ(0, HookTransactionBegin());
    for (void*& v : variables)
        ASSERT_EQ(0, HookAttach(&v, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionAbort());
    EXPECT_EQ(regionsAfter, RegionCount());
}

} // namespace
