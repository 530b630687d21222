// What the ribbon holds: the application menu, the Home, Dev Tools and Options categories, the tab that
// minimizes the ribbon, the search box, the style menu and About at the right end, and Close on the quick
// access toolbar.
#include "mainframe/FrameHost.h"
#include "framework/Menu.h"
#include "framework/ResourceStrings.h"
#include "mainframe/MainFrame.h"
#include "mainframe/MyMFCRibbonButton.h"
#include "mainframe/RibbonStrings.h"
#include "resource.h"

namespace movalent {

namespace {

constexpr SIZE kApplicationButtonSize = {45, 45};
constexpr int kSearchBoxWidth = 160;
constexpr int kPanelNavigateIcon = 29;
constexpr int kPanelNewIcon = 30;
constexpr int kPanelFavoritesIcon = 28;
constexpr int kPanelPlainIcon = 0;

// Each strip as drawn for 100, 150 and 200 % scaling.
constexpr ScaledImages kCategorySmall = {IDB_CATEGORY_SMALL, IDB_CATEGORY_SMALL_150, IDB_CATEGORY_SMALL_200};
constexpr ScaledImages kCategoryLarge = {IDB_CATEGORY_LARGE, IDB_CATEGORY_LARGE_150, IDB_CATEGORY_LARGE_200};
constexpr ScaledImages kMenuSmall = {IDB_APP_MENU_SMALL, IDB_APP_MENU_SMALL_150, IDB_APP_MENU_SMALL_200};
constexpr ScaledImages kMenuLarge = {IDB_APP_MENU_LARGE, IDB_APP_MENU_LARGE_150, IDB_APP_MENU_LARGE_200};
constexpr ScaledImages kApplicationButton = {IDB_APP_BUTTON, IDB_APP_BUTTON_150, IDB_APP_BUTTON_200};
constexpr ScaledImages kPanelIcons = {IDB_PANEL_ICONS, IDB_PANEL_ICONS_150, IDB_PANEL_ICONS_200};

// A button whose label is its command's own string (the part after the line break).
std::unique_ptr<CMyMFCRibbonButton> CommandButton(unsigned id, int image) {
    auto button =
        std::make_unique<CMyMFCRibbonButton>(static_cast<int>(id), CommandLabel(FrameworkString(id)));
    button->SetImage(image);
    return button;
}

std::unique_ptr<CMyMFCRibbonButton> LabelledButton(unsigned id, unsigned label, int image) {
    auto button = std::make_unique<CMyMFCRibbonButton>(static_cast<int>(id), FrameworkString(label));
    button->SetImage(image);
    return button;
}

// Sub-items from the first popup of a menu resource.
void SetMenuFromResource(RibbonElement& element, UINT menuId, bool splitButton) {
    Menu menu;
    if (menu.Load(menuId))
        element.SetMenu(menu.SubMenu(0), splitButton);
}

} // namespace

void CMainFrame::BuildRibbon() {
    ribbonBar_.SetPanelImages(kPanelIcons);

    ribbonBar_.SetApplicationButton(kApplicationButton, L"\nf", FrameworkString(IDS_FILE),
                                    kApplicationButtonSize);
    RibbonCategory* menu = ribbonBar_.AddMainCategory(FrameworkString(IDS_FILE), kMenuSmall, kMenuLarge);
    auto close = std::make_unique<CMyMFCRibbonButton>(ID_CLOSE_DOCUMENT, FrameworkString(IDS_MENU_CLOSE));
    close->SetImage(9);
    menu->AddElement(std::move(close));
    auto exit =
        std::make_unique<CMyMFCRibbonMainPanelButton>(ID_EXIT_PROGRAM, FrameworkString(IDS_MENU_EXIT));
    exit->SetImage(15);
    menu->AddElement(std::move(exit));

    RibbonCategory* home =
        ribbonBar_.AddCategory(FrameworkString(IDS_CATEGORY_HOME), kCategorySmall, kCategoryLarge);
    AddNavigatePanel(*home);
    AddNewPanel(*home);
    RibbonPanel* favorites = home->AddPanel(FrameworkString(IDS_FAVORITES), kPanelFavoritesIcon);
    auto favoritesButton = LabelledButton(ID_FAVORITES, IDS_FAVORITES, 8);
    if (host_)
        favoritesButton->SetMenu(host_->FavoritesMenu(), false);
    favoritesButton->SetDropDown(RibbonElement::DropDown::Menu);
    favorites->Add(std::move(favoritesButton));
    AddDevToolsCategory();
    AddOptionsCategory();

    ribbonToggleCategory_ = ribbonBar_.AddCategory(
        FrameworkString(ribbonBar_.HideElements() ? IDS_SHOW_RIBBON : IDS_MINIMIZE_RIBBON),
        kCategorySmall, kCategoryLarge);
    AddTabRowElements();
    ribbonBar_.SetQuickAccessCommands({ID_CLOSE_DOCUMENT});
    ribbonBar_.RecalcLayout();
}

void CMainFrame::AddNavigatePanel(RibbonCategory& home) {
    RibbonPanel* navigate = home.AddPanel(FrameworkString(IDS_PANEL_NAVIGATE), kPanelNavigateIcon);
    auto previous = LabelledButton(ID_NAV_PREVIOUS, IDS_PREVIOUS, 3);
    SetMenuFromResource(*previous, IDR_PREVIOUS_MENU, true);
    navigate->Add(std::move(previous));
    auto next = LabelledButton(ID_NAV_NEXT, IDS_NEXT, 4);
    SetMenuFromResource(*next, IDR_NEXT_MENU, true);
    navigate->Add(std::move(next));
    auto refresh = LabelledButton(ID_NAV_REFRESH, IDS_REFRESH, 5);
    SetMenuFromResource(*refresh, IDR_REFRESH_MENU, true);
    navigate->Add(std::move(refresh));
    navigate->Add(LabelledButton(ID_NAV_STOP, IDS_STOP, 6));
    navigate->Add(LabelledButton(ID_NAV_HOME, IDS_HOME, 7));
    navigate->Add(CommandButton(ID_CLOSE_ALL_TABS, 22));
    navigate->Add(CommandButton(ID_CLOSE_OTHER_TABS, 23));
}

void CMainFrame::AddNewPanel(RibbonCategory& home) {
    RibbonPanel* newPanel = home.AddPanel(FrameworkString(IDS_PANEL_NEW), kPanelNewIcon);
    newPanel->Add(CommandButton(ID_NEW_IE55, 15));
    newPanel->Add(CommandButton(ID_NEW_IE6, 16));
    newPanel->Add(CommandButton(ID_NEW_IE7, 17));
    newPanel->Add(CommandButton(ID_NEW_IE8, 18));
    newPanel->Add(CommandButton(ID_NEW_IE_DEFAULT, 20));
    // Capturing every version sits under the button that opens every version: the panel keeps its width.
    auto allVersions = CommandButton(ID_OPEN_ALL_VERSIONS, 19);
    Menu menu;
    if (menu.CreatePopup() &&
        menu.AppendItem(ID_OPEN_ALL_VERSIONS, CommandLabel(FrameworkString(ID_OPEN_ALL_VERSIONS))) &&
        menu.AppendItem(ID_CAPTURE_ALL_VERSIONS, CommandLabel(FrameworkString(ID_CAPTURE_ALL_VERSIONS))))
        allVersions->SetMenu(menu.Handle(), true);
    newPanel->Add(std::move(allVersions));
}

void CMainFrame::AddDevToolsCategory() {
    RibbonCategory* tools = ribbonBar_.AddCategory(FrameworkString(IDS_CATEGORY_DEV_TOOLS),
                                                   kCategorySmall, kCategoryLarge);
    RibbonPanel* fennimox = tools->AddPanel(L"Fennimox", kPanelPlainIcon);
    fennimox->Add(CommandButton(ID_TOGGLE_FENNIMOX, 21));
    fennimox->Add(CommandButton(ID_VIEW_SOURCE, 24));
    RibbonPanel* engine = tools->AddPanel(L"IE", kPanelPlainIcon);
    auto textSize = CommandButton(ID_TEXT_SIZE, 25);
    SetMenuFromResource(*textSize, IDR_TEXT_SIZE_MENU, false);
    engine->Add(std::move(textSize));
}

void CMainFrame::AddOptionsCategory() {
    RibbonCategory* options =
        ribbonBar_.AddCategory(FrameworkString(IDS_CATEGORY_OPTIONS), kCategorySmall, kCategoryLarge);
    RibbonPanel* print = options->AddPanel(FrameworkString(IDS_PANEL_PRINT), kPanelPlainIcon);
    print->Add(CommandButton(ID_PRINT_PREVIEW_PAGE, 14));
    print->Add(CommandButton(ID_PRINT_PAGE, 13));
    RibbonPanel* internet = options->AddPanel(FrameworkString(IDS_INTERNET_OPTIONS), kPanelPlainIcon);
    internet->Add(LabelledButton(ID_INTERNET_OPTIONS, IDS_INTERNET_OPTIONS, 11));
    RibbonPanel* program = options->AddPanel(FrameworkString(IDS_PANEL_MOVALENT_OPTIONS), kPanelPlainIcon);
    program->Add(LabelledButton(ID_CONFIGURE, IDS_CONFIGURE_MOVALENT, 12));
    program->Add(LabelledButton(ID_ADD_ENGINE_FILES, IDS_ADD_ENGINE_FILES, 12));
    program->Add(LabelledButton(ID_SHOW_ABOUT, IDS_ABOUT, 9));
    program->Add(LabelledButton(ID_CHECK_VERSION, IDS_CHECK_VERSION, 10));
}

void CMainFrame::AddTabRowElements() {
    const std::wstring searchLabel = FrameworkString(IDS_WEB_SEARCH);
    auto search = std::make_unique<CMFCRibbonGoogleSearch>(-1, true, kSearchBoxWidth, searchLabel);
    search->SetToolTipText(searchLabel);
    searchBox_ = search.get();
    ribbonBar_.AddToTabs(std::move(search));

    auto style = std::make_unique<CMyMFCRibbonButton>(-1, FrameworkString(IDS_STYLE));
    SetMenuFromResource(*style, IDR_STYLE_MENU, false);
    style->SetMenuOnRight(true);
    style->SetToolTipText(FrameworkString(IDS_STYLE_TOOLTIP));
    style->SetDescription(FrameworkString(IDS_STYLE_DESCRIPTION));
    ribbonBar_.AddToTabs(std::move(style));

    auto about = std::make_unique<CMyMFCRibbonButton>(ID_SHOW_ABOUT, FrameworkString(IDS_ABOUT));
    about->SetOwnStrip(&ribbonBar_.PanelImages(), 0);
    about->SetToolTipText(FrameworkString(ID_SHOW_ABOUT));
    ribbonBar_.AddToTabs(std::move(about));
}

} // namespace movalent
