// Which engine a folder of old engine files holds, and when it is taken: complete, of one version, for this
// processor.
#include "engine/EngineImport.h"

#include <gtest/gtest.h>

using namespace movalent;

namespace {

// A Windows XP system folder with IE 6: the script engines numbered 5.6 as they really are.
std::vector<FoundModule> Ie6Folder() {
    return {{L"MSHTML.DLL", 6, 0},  {L"shdocvw.dll", 6, 0},  {L"jscript.dll", 5, 6}, {L"urlmon.dll", 6, 0},
            {L"wininet.dll", 6, 0}, {L"vbscript.dll", 5, 6}, {L"pngfilt.dll", 6, 0}};
}

TEST(EngineImport, MshtmlVersionNamesTheEngine) {
    EXPECT_EQ(IE_55, VersionOfMshtml(5, 50));
    EXPECT_EQ(IE_6, VersionOfMshtml(6, 0));
    EXPECT_EQ(IE_8, VersionOfMshtml(8, 0));
    EXPECT_FALSE(VersionOfMshtml(5, 0)) << "IE 5 has no files of its own";
    EXPECT_FALSE(VersionOfMshtml(9, 0));
    EXPECT_EQ(L"shdocvw.dll", StandardEngineFileName(IE_6, ModuleSlot::Browser));
    EXPECT_EQ(L"ieframe.dll", StandardEngineFileName(IE_7, ModuleSlot::Browser));
    const auto names = StandardEngineFileNames();
    EXPECT_EQ(1, std::count(names.begin(), names.end(), L"mshtml.dll"));
    EXPECT_EQ(12u, names.size()) << "eleven modules, the browser module under two names";
}

TEST(EngineImport, ACompleteFolderIsCopiedUnderTheVersionsNames) {
    ImportPlan plan = PlanEngineImport(Ie6Folder(), false);
    ASSERT_EQ(ImportRefusal::None, plan.refusal);
    EXPECT_EQ(IE_6, plan.version);
    ASSERT_EQ(6u, plan.copies.size()) << "IE 6 takes no filter modules";
    EXPECT_EQ(L"shdocvw.dll", plan.copies[0].from);
    EXPECT_EQ(L"6hdocvw.dll", plan.copies[0].to);
    EXPECT_EQ(L"6script.dll", plan.copies[2].to);
    EXPECT_EQ(std::wstring(L"mshtmled.dll"), plan.absentOptional.front());
}

TEST(EngineImport, IncompleteMixedOrForeignFoldersCopyNothing) {
    auto folder = Ie6Folder();
    folder.erase(folder.begin() + 4); // wininet
    ImportPlan plan = PlanEngineImport(folder, false);
    EXPECT_EQ(ImportRefusal::MissingRequired, plan.refusal);
    EXPECT_EQ(std::vector<std::wstring>{L"wininet.dll"}, plan.missing);
    EXPECT_TRUE(plan.copies.empty());

    folder = Ie6Folder();
    folder[3].major = 7; // urlmon of IE 7
    plan = PlanEngineImport(folder, false);
    EXPECT_EQ(ImportRefusal::MixedVersions, plan.refusal);
    EXPECT_EQ(std::vector<std::wstring>{L"urlmon.dll 7.0"}, plan.mismatched);

    folder = Ie6Folder();
    folder[0].otherProcessor = true;
    EXPECT_EQ(ImportRefusal::OtherProcessor, PlanEngineImport(folder, false).refusal);
    EXPECT_EQ(ImportRefusal::NoMshtml, PlanEngineImport({}, false).refusal);
    EXPECT_EQ(ImportRefusal::UnknownVersion, PlanEngineImport({{L"mshtml.dll", 9, 0}}, false).refusal);
    EXPECT_EQ(ImportRefusal::NotForThisProgram, PlanEngineImport({{L"mshtml.dll", 5, 50}}, true).refusal);
}

} // namespace

TEST(EngineImportFileVersion, IsReadFromTheVersionResourcesFixedPart) {
    // Some bytes, then the resource's header, its key and the fixed part at the next 32-bit boundary.
    std::vector<uint8_t> image(10, 0xAA);
    for (uint8_t b : {0x34, 0x03, 0x34, 0x00, 0x00, 0x00})
        image.push_back(b);
    for (char c : std::string("VS_VERSION_INFO") + '\0') {
        image.push_back(static_cast<uint8_t>(c));
        image.push_back(0);
    }
    image.insert(image.end(), {0, 0, 0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 0x32, 0, 5, 0});
    const auto version = FileVersionInImage(image);
    ASSERT_TRUE(version);
    EXPECT_EQ(5u, version->first);
    EXPECT_EQ(50u, version->second);
    image[image.size() - 11] = 0; // the signature broken
    EXPECT_FALSE(FileVersionInImage(image));
    EXPECT_FALSE(FileVersionInImage({}));
}
