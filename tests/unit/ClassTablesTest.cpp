#include "engine/ClassTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace movalent {
namespace {

ClassId Id(const char* text) {
    ClassId id{};
    unsigned d2 = 0, d3 = 0, b[8] = {};
    const int fields = std::sscanf(text, "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &id.data1, &d2, &d3, &b[0],
                                   &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7]);
    EXPECT_EQ(11, fields) << text;
    id.data2 = static_cast<uint16_t>(d2);
    id.data3 = static_cast<uint16_t>(d3);
    for (int i = 0; i < 8; ++i)
        id.data4[i] = static_cast<uint8_t>(b[i]);
    return id;
}

constexpr unsigned kAll = (1u << kClassModuleCount) - 1;

ClassRouteContext Engine(IEVERSION version, unsigned entryPoints = kAll, bool disableFilters = false) {
    return {version, entryPoints, disableFilters};
}

TEST(ClassTablesTest, CreationFindsEachGroupsModule) {
    const struct {
        const char* clsid;
        ClassModule module;
    } cases[] = {
        {"{7057E952-BD1B-11D1-8919-00C04FC2C836}", ClassModule::Browser},
        {"{E569BDE7-A8DC-47F3-0000-000000000000}", ClassModule::Browser},
        {"{942BC614-676C-464E-B384-D3202AAA02DA}", ClassModule::Browser},
        {"{25336920-03F9-11CF-8FD0-00AA00686F13}", ClassModule::Mshtml},
        {"{3050F3C2-98B5-11CF-BB82-00AA00BDCE0B}", ClassModule::Mshtml},
        {"{F414C260-6AC0-11CF-B6D1-00AA00BBBB58}", ClassModule::Jscript},
        {"{F414C261-6AC0-11CF-B6D1-00AA00BBBB58}", ClassModule::Jscript},
        {"{B54F3741-5B07-11CF-A4B0-00AA004A55E8}", ClassModule::Vbscript},
        {"{3050F4F5-98B5-11CF-BB82-00AA00BDCE0B}", ClassModule::Mshtmled},
        {"{7B8A2D94-0AC9-11D1-896C-00C04FB6BFC4}", ClassModule::Urlmon},
        {"{79EAC9F2-BAF9-11CE-8C82-00AA004BA90B}", ClassModule::Urlmon},
        {"{D1FE6762-FC48-11D0-883A-3C8B00C10000}", ClassModule::Dxtrans},
        {"{AF279B30-86EB-11D1-81BF-0000F87557DB}", ClassModule::Dxtmsft},
        {"{6A01FDA0-30DF-11D0-B724-00AA006C1A01}", ClassModule::Imgutil},
        {"{A3CCEDF7-2DE2-11D0-86F4-00A0C913F750}", ClassModule::Pngfilt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.module, RouteCreateInstance(Id(c.clsid), Engine(IE_8))) << c.clsid;
}

TEST(ClassTablesTest, OnlyTheFirstEightBytesCountExceptForOneEntry) {
    // Same first three fields as HTMLDocument and WebBrowser-family entries, any tail.
    EXPECT_EQ(ClassModule::Mshtml, RouteCreateInstance(Id("{25336920-03F9-11CF-FFFF-FFFFFFFFFFFF}"), Engine(IE_7)));
    EXPECT_EQ(ClassModule::Urlmon, RouteGetClassObject(Id("{7B8A2D95-0AC9-11D1-0000-000000000000}"), kAll));
    EXPECT_FALSE(RouteCreateInstance(Id("{25336920-03F9-11CE-8FD0-00AA00686F13}"), Engine(IE_7)).has_value())
        << "the third field takes part";
    // F414C261 only when all sixteen bytes are equal.
    EXPECT_FALSE(RouteCreateInstance(Id("{F414C261-6AC0-11CF-B6D1-00AA00BBBB59}"), Engine(IE_7)).has_value());
    EXPECT_EQ(ClassModule::Jscript, RouteCreateInstance(Id("{F414C260-6AC0-11CF-0000-000000000000}"), Engine(IE_7)));
}

TEST(ClassTablesTest, ClassObjectTableHasItsOwnMembers) {
    EXPECT_EQ(ClassModule::Browser, RouteGetClassObject(Id("{8856F961-340A-11D0-A96B-00C04FD705A2}"), kAll));
    EXPECT_FALSE(RouteCreateInstance(Id("{8856F961-340A-11D0-A96B-00C04FD705A2}"), Engine(IE_7)).has_value())
        << "WebBrowser objects are created through their class object";
    for (const char* onlyCreated : {"{7057E952-BD1B-11D1-8919-00C04FC2C836}", "{AE054212-3535-4430-83ED-D501AA6680E6}",
                                    "{06EEE834-461C-42C2-8DCF-1502B527B1F9}", "{942BC614-676C-464E-B384-D3202AAA02DA}",
                                    "{3050F3B3-98B5-11CF-BB82-00AA00BDCE0B}", "{3050F3BB-98B5-11CF-BB82-00AA00BDCE0B}",
                                    "{3050F3C2-98B5-11CF-BB82-00AA00BDCE0B}", "{F414C261-6AC0-11CF-B6D1-00AA00BBBB58}",
                                    "{D1FE6762-FC48-11D0-883A-3C8B00C10000}", "{A3CCEDF7-2DE2-11D0-86F4-00A0C913F750}"})
        EXPECT_FALSE(RouteGetClassObject(Id(onlyCreated), kAll).has_value()) << onlyCreated;
    for (const char* onlyClassObject : {"{79EAC9E2-BAF9-11CE-8C82-00AA004BA90B}", "{79EAC9E5-BAF9-11CE-8C82-00AA004BA90B}"}) {
        EXPECT_EQ(ClassModule::Urlmon, RouteGetClassObject(Id(onlyClassObject), kAll));
        EXPECT_FALSE(RouteCreateInstance(Id(onlyClassObject), Engine(IE_7)).has_value());
    }
    EXPECT_EQ(ClassModule::Mshtml, RouteGetClassObject(Id("{3050F391-98B5-11CF-BB82-00AA00BDCE0B}"), kAll));
}

TEST(ClassTablesTest, MissingOptionalModulesLetTheSystemAnswer) {
    const ClassId vbscript = Id("{B54F3741-5B07-11CF-A4B0-00AA004A55E8}");
    const ClassId editor = Id("{3050F4F5-98B5-11CF-BB82-00AA00BDCE0B}");
    const unsigned noOptional = kAll & ~ClassModuleBit(ClassModule::Vbscript) & ~ClassModuleBit(ClassModule::Mshtmled);
    EXPECT_FALSE(RouteCreateInstance(vbscript, Engine(IE_55, noOptional)).has_value());
    EXPECT_FALSE(RouteGetClassObject(vbscript, noOptional).has_value());
    EXPECT_FALSE(RouteCreateInstance(editor, Engine(IE_55, noOptional)).has_value());
    EXPECT_EQ(ClassModule::Mshtmled, RouteGetClassObject(editor, kAll));
    // A later group still answers when an optional one is skipped.
    EXPECT_EQ(ClassModule::Urlmon, RouteCreateInstance(Id("{A4741943-6C4B-4CF7-BF44-A0F4207D1330}"),
                                                       Engine(IE_55, noOptional)));
}

TEST(ClassTablesTest, FilterClassesPassTheGateOnlyWithTheirModule) {
    const ClassId transform = Id("{D1FE6762-FC48-11D0-883A-3C8B00C10000}");
    EXPECT_EQ(ClassModule::Dxtrans, RouteCreateInstance(transform, Engine(IE_8)));
    EXPECT_FALSE(RouteCreateInstance(transform, Engine(IE_6)).has_value()) << "IE 6 has no filters";
    EXPECT_FALSE(RouteCreateInstance(transform, Engine(IE_8, kAll, true)).has_value()) << "filters switched off";
    EXPECT_FALSE(RouteCreateInstance(transform, Engine(IE_55, kAll & ~ClassModuleBit(ClassModule::Dxtrans))).has_value());
    // The gate stands after urlmon: the groups before it are not affected by it.
    EXPECT_EQ(ClassModule::Browser, RouteCreateInstance(Id("{7057E952-BD1B-11D1-8919-00C04FC2C836}"), Engine(IE_6, kAll, true)));
    EXPECT_EQ(ClassModule::Pngfilt, RouteCreateInstance(Id("{A3CCEDF7-2DE2-11D0-86F4-00A0C913F750}"), Engine(IE_55)));
}

TEST(ClassTablesTest, UnknownClassesGoToTheSystem) {
    const ClassId unknown = Id("{00000000-0000-0000-C000-000000000046}");
    EXPECT_FALSE(RouteCreateInstance(unknown, Engine(IE_8)).has_value());
    EXPECT_FALSE(RouteGetClassObject(unknown, kAll).has_value());
}

} // namespace
} // namespace movalent
