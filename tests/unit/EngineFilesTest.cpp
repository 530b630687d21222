#include "engine/EngineFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace movalent {
namespace {

std::vector<std::wstring> PlanNames(IEVERSION version) {
    std::vector<std::wstring> names;
    for (const EngineFile& file : EngineLoadPlan(version))
        names.push_back(std::wstring(EngineFilePrefix[version]) + std::wstring(file.tail) + (file.required ? L"!" : L""));
    return names;
}

TEST(EngineFilesTest, LoadPlansFollowTheFileTableInLoadingOrder) {
    const std::vector<std::wstring> ie55 = {L"5hdocvw.dll!", L"5shtml.dll!", L"5script.dll!", L"5rlmon.dll!",
                                            L"5ininet.dll!", L"5shtmled.dll", L"5bscript.dll", L"5xtmsft.dll",
                                            L"5xtrans.dll", L"5mgutil.dll", L"5ngfilt.dll"};
    EXPECT_EQ(ie55, PlanNames(IE_55));
    const std::vector<std::wstring> ie6 = {L"6hdocvw.dll!", L"6shtml.dll!", L"6script.dll!", L"6rlmon.dll!",
                                           L"6ininet.dll!", L"6shtmled.dll", L"6bscript.dll"};
    EXPECT_EQ(ie6, PlanNames(IE_6)) << "IE 6 never has the filter modules";
    const std::vector<std::wstring> ie8 = {L"8eframe.dll!", L"8shtml.dll!", L"8script.dll!", L"8rlmon.dll!",
                                           L"8ininet.dll!", L"8shtmled.dll", L"8bscript.dll", L"8xtmsft.dll",
                                           L"8xtrans.dll", L"8mgutil.dll", L"8ngfilt.dll"};
    EXPECT_EQ(ie8, PlanNames(IE_8));
    EXPECT_EQ(L"7eframe.dll", EngineFileName(IE_7, ModuleSlot::Browser));
    for (IEVERSION none : {IE_4, IE_5, IE_DEFAULT})
        EXPECT_TRUE(EngineLoadPlan(none).empty());
}

TEST(EngineFilesTest, CopiesKeepTheLengthOfTheStandardNames) {
    const std::wstring standard[] = {L"ieframe.dll", L"mshtml.dll",  L"jscript.dll", L"urlmon.dll",
                                     L"mshtmled.dll", L"wininet.dll", L"vbscript.dll", L"dxtmsft.dll",
                                     L"dxtrans.dll", L"imgutil.dll", L"pngfilt.dll"};
    for (const EngineFile& file : EngineLoadPlan(IE_8))
        EXPECT_EQ(standard[static_cast<int>(file.slot)].substr(1), file.tail);
    EXPECT_EQ(L"6hdocvw.dll", EngineFileName(IE_6, ModuleSlot::Browser));
    EXPECT_EQ(L"", EngineFileName(IE_6, ModuleSlot::Dxtrans));
    EXPECT_EQ(L"", EngineFileName(IE_DEFAULT, ModuleSlot::Urlmon));
}

TEST(EngineFilesTest, EveryModuleButWininetHasAClassEntryPoint) {
    ClassModule module = ClassModule::Pngfilt;
    EXPECT_FALSE(ClassModuleOfSlot(ModuleSlot::Wininet, &module));
    ASSERT_TRUE(ClassModuleOfSlot(ModuleSlot::Mshtmled, &module));
    EXPECT_EQ(ClassModule::Mshtmled, module);
    ASSERT_TRUE(ClassModuleOfSlot(ModuleSlot::Vbscript, &module));
    EXPECT_EQ(ClassModule::Vbscript, module);
    ASSERT_TRUE(ClassModuleOfSlot(ModuleSlot::Pngfilt, &module));
    EXPECT_EQ(ClassModule::Pngfilt, module);
}

TEST(EngineFilesTest, PathsStayWithinTheBuffer) {
    EXPECT_EQ(L"C:\\Movalent\\7", EnginePathPrefix(L"C:\\Movalent", IE_7));
    EXPECT_EQ(L"C:\\5", EnginePathPrefix(L"C:\\", IE_55)) << "a drive root already ends in a backslash";
    EXPECT_EQ(L"", EnginePathPrefix(L"", IE_7));
    EXPECT_EQ(L"", EnginePathPrefix(L"C:\\Movalent", IE_DEFAULT));

    // 356 characters of folder + "\" + "8" = 358, plus the terminator: fits; the tails no longer do.
    const std::wstring folder = L"C:\\" + std::wstring(353, L'a');
    const std::wstring prefix = EnginePathPrefix(folder, IE_8);
    ASSERT_EQ(358u, prefix.size());
    EXPECT_EQ(L"", EngineFilePath(prefix, L"shtml.dll"));
    EXPECT_EQ(prefix + L"x", EngineFilePath(prefix, L"x")) << "359 characters and the terminator make 360";
    EXPECT_EQ(359u, EnginePathPrefix(folder + L"a", IE_8).size());
    EXPECT_EQ(L"", EnginePathPrefix(folder + L"aa", IE_8)) << "360 characters leave no room for the terminator";
    EXPECT_EQ(L"", EngineFilePath(L"", L"shtml.dll"));
}

// A module's first bytes with its PE header at `offset`, built for `machine`.
std::vector<uint8_t> ImageHead(uint32_t offset, uint16_t machine, size_t size = 0x200) {
    std::vector<uint8_t> head(size);
    head[0] = 'M';
    head[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        head[0x3C + i] = static_cast<uint8_t>(offset >> (8 * i));
    if (static_cast<size_t>(offset) + 6 <= size) {
        head[offset] = 'P';
        head[offset + 1] = 'E';
        head[offset + 4] = static_cast<uint8_t>(machine);
        head[offset + 5] = static_cast<uint8_t>(machine >> 8);
    }
    return head;
}

TEST(EngineFilesTest, MachineComesOnlyFromAWholePeHeader) {
    EXPECT_EQ(kMachineI386, PeMachine(ImageHead(0x80, kMachineI386)));
    EXPECT_EQ(kMachineAmd64, PeMachine(ImageHead(0xF8, kMachineAmd64)));
    EXPECT_EQ(kMachineAmd64, PeMachine(ImageHead(0x1FA, kMachineAmd64))) << "the machine word ends the bytes read";
    EXPECT_EQ(0, PeMachine(ImageHead(0x1FB, kMachineAmd64))) << "the machine word lies past the bytes read";
    EXPECT_EQ(0, PeMachine(ImageHead(0xFFFFFFFE, kMachineAmd64))) << "an offset that wraps around";
    std::vector<uint8_t> notMz = ImageHead(0x80, kMachineI386);
    notMz[0] = 'X';
    EXPECT_EQ(0, PeMachine(notMz));
    EXPECT_EQ(0, PeMachine(std::vector<uint8_t>(0x3F, 'M'))) << "too short for the header offset";
    EXPECT_EQ(0, PeMachine({}));
}

} // namespace
} // namespace movalent
