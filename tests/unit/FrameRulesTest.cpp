// Small rules of the frame and its tabs: document strings, the visual style commands, template ids.
#include "framework/DocumentString.h"
#include "mainframe/ApplicationLook.h"
#include "tabs/TabTemplateIds.h"

#include <gtest/gtest.h>

#include <set>

using namespace movalent;

namespace {

TEST(DocumentString, FieldsAreTheLinesOfTheString) {
    const std::wstring ie6 = L"\nIE 6\nIE 6\n\n\nMovalent.Document\nMovalent.Document";
    EXPECT_EQ(L"", DocStringPart(ie6, DocStringField::WindowTitle));
    EXPECT_EQ(L"IE 6", DocStringPart(ie6, DocStringField::DocumentName));
    EXPECT_EQ(L"IE 6", DocStringPart(ie6, DocStringField::NewFileName));
    EXPECT_EQ(L"", DocStringPart(ie6, DocStringField::FilterName));
    EXPECT_EQ(L"", DocStringPart(ie6, DocStringField::FilterExtension));
    EXPECT_EQ(L"Movalent.Document", DocStringPart(ie6, DocStringField::FileTypeId));
    EXPECT_EQ(L"Movalent.Document", DocStringPart(ie6, DocStringField::FileTypeName));
}

TEST(DocumentString, MissingFieldsAreEmpty) {
    EXPECT_EQ(L"Title", DocStringPart(L"Title", DocStringField::WindowTitle));
    EXPECT_EQ(L"", DocStringPart(L"Title", DocStringField::DocumentName));
    EXPECT_EQ(L"", DocStringPart(L"", DocStringField::FileTypeName));
    EXPECT_EQ(L"b", DocStringPart(L"a\nb", DocStringField::DocumentName));
}

TEST(ApplicationLook, OfficeColoursSwitchSmartDockingOn) {
    VisualLook look = ApplyLookCommand(VisualLook{}, 217);
    EXPECT_EQ(VisualManager::Office2007, look.manager);
    EXPECT_EQ(Office2007Colour::Silver, look.colour);
    EXPECT_TRUE(look.smartDocking);
    EXPECT_EQ(Office2007Colour::Aqua, ApplyLookCommand(look, 218).colour);
    EXPECT_EQ(Office2007Colour::Black, ApplyLookCommand(look, 216).colour);
    EXPECT_EQ(VisualManager::VisualStudio2005, ApplyLookCommand(VisualLook{}, 214).manager);
    EXPECT_TRUE(ApplyLookCommand(VisualLook{}, 213).smartDocking);
}

TEST(ApplicationLook, OlderLooksLeaveTheDockingModeAsItWas) {
    VisualLook plain;
    EXPECT_FALSE(ApplyLookCommand(plain, 210).smartDocking);
    VisualLook docked = ApplyLookCommand(plain, 215);
    VisualLook xp = ApplyLookCommand(docked, 212);
    EXPECT_EQ(VisualManager::WindowsXP, xp.manager);
    EXPECT_TRUE(xp.smartDocking);
    EXPECT_TRUE(xp.themedTabs);
    EXPECT_EQ(VisualManager::OfficeXP, ApplyLookCommand(plain, 211).manager);
}

TEST(ApplicationLook, AnUnknownValueKeepsOffice2007InItsCurrentColour) {
    VisualLook black = ApplyLookCommand(VisualLook{}, 216);
    VisualLook look = ApplyLookCommand(ApplyLookCommand(black, 210), 999);
    EXPECT_EQ(VisualManager::Office2007, look.manager);
    EXPECT_EQ(Office2007Colour::Black, look.colour);
    EXPECT_TRUE(look.smartDocking);
    EXPECT_EQ(Office2007Colour::Blue, ApplyLookCommand(VisualLook{}, 0).colour) << "blue at start-up";
}

TEST(TabTemplates, EveryVersionMapsToItsTemplateAndOthersToDefaultIe) {
    EXPECT_EQ(312u, TemplateResourceForVersion(IE_4));
    EXPECT_EQ(313u, TemplateResourceForVersion(IE_5));
    EXPECT_EQ(315u, TemplateResourceForVersion(IE_55));
    EXPECT_EQ(314u, TemplateResourceForVersion(IE_6));
    EXPECT_EQ(317u, TemplateResourceForVersion(IE_7));
    EXPECT_EQ(319u, TemplateResourceForVersion(IE_8));
    EXPECT_EQ(316u, TemplateResourceForVersion(IE_DEFAULT));
    EXPECT_EQ(316u, TemplateResourceForVersion(7));
    EXPECT_EQ(316u, TemplateResourceForVersion(-1));
    // Only IE 4 and IE 5 map to ids that are not registered.
    std::set<unsigned> registered(std::begin(kRegisteredTemplateIds), std::end(kRegisteredTemplateIds));
    for (int version = IE_55; version <= IE_DEFAULT; ++version)
        EXPECT_TRUE(registered.count(TemplateResourceForVersion(version))) << version;
    EXPECT_FALSE(registered.count(TemplateResourceForVersion(IE_4)));
    EXPECT_FALSE(registered.count(TemplateResourceForVersion(IE_5)));
}

} // namespace
