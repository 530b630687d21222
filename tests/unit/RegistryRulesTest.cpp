#include "engine/RegistryRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace movalent {
namespace {

const wchar_t kVector[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector";
const wchar_t kLibrary[] = L"{527A4DA4-7F2C-11D2-B12D-0000F81F5995}";

TEST(RegistryRulesTest, TheVersionVectorIsMissingUnderTheUserAndMachineRoots) {
    EXPECT_TRUE(IsVersionVectorOpen(kKeyLocalMachine, kVector));
    EXPECT_TRUE(IsVersionVectorOpen(kKeyCurrentUser, L"software\\microsoft\\internet explorer\\version vector"));
    EXPECT_FALSE(IsVersionVectorOpen(0x80000000, kVector)) << "classes root";
    EXPECT_FALSE(IsVersionVectorOpen(0x80000003, kVector)) << "users";
    EXPECT_FALSE(IsVersionVectorOpen(0x1234, kVector)) << "an opened key, even SOFTWARE itself";
    EXPECT_FALSE(IsVersionVectorOpen(kKeyLocalMachine, nullptr));
    EXPECT_FALSE(IsVersionVectorOpen(kKeyLocalMachine, L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector\\"));
    EXPECT_FALSE(IsVersionVectorOpen(kKeyLocalMachine, L"SOFTWARE\\Microsoft\\Internet Explorer"));
}

TEST(RegistryRulesTest, OnlyAFinalFirstTypeLibEndsTheName) {
    EXPECT_TRUE(KeyNameEndsWithTypeLib(L"\\REGISTRY\\USER\\S-1\\Software\\Test\\TypeLib"));
    EXPECT_FALSE(KeyNameEndsWithTypeLib(L"\\REGISTRY\\Machine\\Software\\Classes\\Typelib")) << "case-sensitive";
    EXPECT_FALSE(KeyNameEndsWithTypeLib(L"\\REGISTRY\\A\\TypeLib\\B\\TypeLib")) << "an earlier occurrence wins";
    EXPECT_FALSE(KeyNameEndsWithTypeLib(L"\\REGISTRY\\A\\TypeLibs"));
    EXPECT_FALSE(KeyNameEndsWithTypeLib(L""));
    EXPECT_TRUE(KeyNameEndsWithTypeLib(L"\\TypeLib"));
    EXPECT_FALSE(KeyNameEndsWithTypeLib(L"TypeLib"));
}

std::vector<unsigned char> Block(uint32_t nameBytes, const std::wstring& name) {
    std::vector<unsigned char> block(sizeof nameBytes + name.size() * sizeof(wchar_t));
    std::memcpy(block.data(), &nameBytes, sizeof nameBytes);
    std::memcpy(block.data() + sizeof nameBytes, name.data(), name.size() * sizeof(wchar_t));
    return block;
}

TEST(RegistryRulesTest, KeyNameInformationIsReadWithinItsBlock) {
    const std::wstring name = L"\\REGISTRY\\X\\TypeLib";
    auto block = Block(static_cast<uint32_t>(name.size() * sizeof(wchar_t)), name);
    EXPECT_EQ(name, KeyNameFromInformation(block.data(), block.size()));
    block = Block(0x7FFFFFF0, name);
    EXPECT_EQ(name, KeyNameFromInformation(block.data(), block.size())) << "a length past the block is cut";
    block = Block(4 * sizeof(wchar_t), name);
    EXPECT_EQ(L"\\REG", KeyNameFromInformation(block.data(), block.size()));
    EXPECT_EQ(L"", KeyNameFromInformation(block.data(), 3));
    EXPECT_EQ(L"", KeyNameFromInformation(nullptr, 100));
}

class TypeLibChain : public ::testing::Test {
protected:
    uint32_t Open(uintptr_t parent, const wchar_t* name, bool parentIsTypeLib = false) {
        return OpenTypeLibLevel(slots_, parent, name, [&] {
            ++nameQueries_;
            return parentIsTypeLib;
        });
    }
    uint32_t slots_[kTypeLibLevels] = {};
    int nameQueries_ = 0;
};

TEST_F(TypeLibChain, WalksDownWithFakeHandlesAndClosesBackUp) {
    EXPECT_EQ(1u, Open(0x120, kLibrary, true));
    EXPECT_EQ(2u, Open(1, L"1.0"));
    EXPECT_EQ(3u, Open(2, L"0"));
    EXPECT_EQ(4u, Open(3, L"WIN32"));
    EXPECT_EQ(0u, Open(4, L"anything")) << "nothing is faked below the last level";
    EXPECT_EQ(0u, Open(4, L"win32"));
    const uint32_t open[] = {1, 2, 3, 4};
    EXPECT_TRUE(std::equal(std::begin(open), std::end(open), slots_));
    for (uintptr_t key : {4, 3, 2, 1})
        EXPECT_TRUE(CloseTypeLibKey(slots_, key)) << key;
    EXPECT_FALSE(CloseTypeLibKey(slots_, 1)) << "closed already";
    EXPECT_EQ(1, nameQueries_);
}

TEST_F(TypeLibChain, ALevelNeedsTheOpenLevelAboveAsParent) {
    EXPECT_EQ(0u, Open(1, L"1.0")) << "slot 1 not set";
    EXPECT_EQ(0u, Open(0x120, kLibrary, false)) << "parent not a TypeLib key";
    EXPECT_EQ(1u, Open(0x120, kLibrary, true));
    EXPECT_EQ(0u, Open(1, L"0")) << "wrong name for the level";
    EXPECT_EQ(0u, Open(0x124, L"1.0")) << "a real key as parent";
    EXPECT_EQ(0u, Open(2, L"0")) << "level 2 not open";
    EXPECT_EQ(2u, Open(1, L"1.0"));
    EXPECT_EQ(2u, Open(1, L"1.0")) << "opening an open level again yields the same handle";
    EXPECT_EQ(2, nameQueries_) << "the parent's name is asked only for the library's name";
}

TEST_F(TypeLibChain, ClosingMatchesAnySlotAndIgnoresZero) {
    Open(0x120, kLibrary, true);
    Open(1, L"1.0");
    EXPECT_FALSE(CloseTypeLibKey(slots_, 0));
    EXPECT_FALSE(CloseTypeLibKey(slots_, 3));
    EXPECT_TRUE(CloseTypeLibKey(slots_, 1)) << "a level may close before the one below it";
    EXPECT_EQ(0u, slots_[0]);
    EXPECT_EQ(2u, slots_[1]);
    EXPECT_EQ(3u, Open(2, L"0")) << "level 2 is still open";
}

} // namespace
} // namespace movalent
