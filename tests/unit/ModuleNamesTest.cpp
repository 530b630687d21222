#include "engine/ModuleNames.h"

#include <gtest/gtest.h>

#include <string>

namespace movalent {
namespace {

TEST(ModuleNamesTest, WholeNamesFoldOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(std::string_view("MSHTML.DLL"), "mshtml.dll"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(std::wstring_view(L"UrlMon.Dll"), L"urlmon.dll"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::wstring_view(L"\u00C9"), L"\u00E9")) << "only A-Z are folded";
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::string_view("\xC9"), "\xE9"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::string_view("[@"), "{`")) << "neighbours of the letters";
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::string_view("mshtml.dl"), "mshtml.dll"));
}

TEST(ModuleNamesTest, LoadLibraryARedirectsTheFiveWholeNames) {
    EXPECT_EQ(RequestedModule::Urlmon, ClassifyLoadLibraryA("urlmon.dll"));
    EXPECT_EQ(RequestedModule::Wininet, ClassifyLoadLibraryA("WININET.dll"));
    EXPECT_EQ(RequestedModule::Mshtml, ClassifyLoadLibraryA("MSHTML.DLL"));
    EXPECT_EQ(RequestedModule::Ieframe, ClassifyLoadLibraryA("ieframe.dll"));
    EXPECT_EQ(RequestedModule::Shdocvw, ClassifyLoadLibraryA("ShDocVw.dll"));
    for (const char* other : {"C:\\windows\\system32\\mshtml.dll", "mshtml", "jscript.dll", "vbscript.dll",
                              "shdoclc.dll", " urlmon.dll", ""})
        EXPECT_EQ(RequestedModule::Other, ClassifyLoadLibraryA(other)) << other;
}

TEST(ModuleNamesTest, LoadLibraryWTestsWholeNamesThenTheResourceSubstring) {
    EXPECT_EQ(RequestedModule::Urlmon, ClassifyLoadLibraryW(L"URLMON.DLL"));
    EXPECT_EQ(RequestedModule::Wininet, ClassifyLoadLibraryW(L"wininet.dll"));
    EXPECT_EQ(RequestedModule::Mshtml, ClassifyLoadLibraryW(L"mshtml.dll"));
    EXPECT_EQ(RequestedModule::Other, ClassifyLoadLibraryW(L"ieframe.dll")) << "browser names pass through";
    EXPECT_EQ(RequestedModule::Other, ClassifyLoadLibraryW(L"shdocvw.dll"));
    EXPECT_EQ(RequestedModule::Shdoclc, ClassifyLoadLibraryW(L"C:\\windows\\system32\\shdoclc.dll"));
    EXPECT_EQ(RequestedModule::Shdoclc, ClassifyLoadLibraryW(L"shdoclc.dll.mui"));
    EXPECT_EQ(RequestedModule::Other, ClassifyLoadLibraryW(L"SHDOCLC.DLL")) << "the substring test keeps case";
    EXPECT_EQ(RequestedModule::Other, ClassifyLoadLibraryW(L"shdoclc"));
}

TEST(ModuleNamesTest, RequestsMapToRecordSlots) {
    EXPECT_EQ(ModuleSlot::Urlmon, SlotForRequest(RequestedModule::Urlmon));
    EXPECT_EQ(ModuleSlot::Wininet, SlotForRequest(RequestedModule::Wininet));
    EXPECT_EQ(ModuleSlot::Mshtml, SlotForRequest(RequestedModule::Mshtml));
    EXPECT_EQ(ModuleSlot::Browser, SlotForRequest(RequestedModule::Ieframe));
    EXPECT_EQ(ModuleSlot::Browser, SlotForRequest(RequestedModule::Shdocvw));
    EXPECT_FALSE(SlotForRequest(RequestedModule::Shdoclc).has_value());
    EXPECT_FALSE(SlotForRequest(RequestedModule::Other).has_value());
}

constexpr unsigned kAllSlots = (1u << kModuleSlotCount) - 1;

TEST(ModuleNamesTest, LdrGetDllHandleKnowsSevenModulesWithAndWithoutExtension) {
    struct {
        const wchar_t* name;
        ModuleSlot slot;
    } const cases[] = {
        {L"ieframe", ModuleSlot::Browser},   {L"SHDOCVW.DLL", ModuleSlot::Browser},
        {L"mshtml", ModuleSlot::Mshtml},     {L"jscript.dll", ModuleSlot::Jscript},
        {L"UrlMon", ModuleSlot::Urlmon},     {L"mshtmled.dll", ModuleSlot::Mshtmled},
        {L"wininet", ModuleSlot::Wininet},   {L"vbscript.DLL", ModuleSlot::Vbscript},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.slot, LdrGetDllHandleSlot(c.name, kAllSlots)) << c.name;
    for (const wchar_t* other : {L"dxtrans.dll", L"pngfilt", L"C:\\x\\mshtml.dll", L"mshtml.", L"", L"kernel32"})
        EXPECT_FALSE(LdrGetDllHandleSlot(other, kAllSlots).has_value());
}

TEST(ModuleNamesTest, LdrGetDllHandleSkipsEmptySlots) {
    const unsigned withoutOptional = kAllSlots & ~SlotBit(ModuleSlot::Vbscript) & ~SlotBit(ModuleSlot::Mshtmled);
    EXPECT_FALSE(LdrGetDllHandleSlot(L"vbscript.dll", withoutOptional).has_value());
    EXPECT_FALSE(LdrGetDllHandleSlot(L"mshtmled", withoutOptional).has_value());
    EXPECT_EQ(ModuleSlot::Jscript, LdrGetDllHandleSlot(L"jscript", withoutOptional));
    EXPECT_FALSE(LdrGetDllHandleSlot(L"mshtml", 0).has_value());
}

TEST(ModuleNamesTest, CountedNamesAreReadWithinTheirLength) {
    // No terminator after the counted characters: the name must end where its length says.
    const wchar_t unterminated[] = {L'm', L's', L'h', L't', L'm', L'l', L'.', L'd', L'l', L'l', L'X', L'X'};
    const auto bytes = [](size_t chars) { return static_cast<unsigned>(chars * sizeof(wchar_t)); };
    EXPECT_EQ(L"mshtml.dll", CountedName(unterminated, bytes(10)));
    EXPECT_EQ(L"mshtml", CountedName(unterminated, bytes(6)));
    EXPECT_EQ(L"mshtml", CountedName(unterminated, bytes(6) + 1)) << "an odd byte is no character";
    EXPECT_EQ(L"", CountedName(unterminated, 0));
    EXPECT_EQ(L"", CountedName(nullptr, bytes(4)));
    const wchar_t embedded[] = L"urlmon\0tail";
    EXPECT_EQ(L"urlmon", CountedName(embedded, bytes(11)));
}

} // namespace
} // namespace movalent
