// What a screen reader gets of the windows the program draws itself: it asks the ribbon, the tab row and the
// status bar for their accessible objects from this process (the objects come across processes as a
// screen reader's do), walks them, reads names, roles, states and places, follows the focus and runs default
// actions.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "RibbonInspection.h"
#include "TabInspection.h"
#include "framework/DispatchArguments.h"
#include "framework/Handles.h"
#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <optional>

using namespace movalent;
using namespace movalent::test;

namespace {

// An object, or a simple child of one.
struct Element {
    ComPtr<IAccessible> object;
    long child = CHILDID_SELF;

    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const {
        UniqueBstr text;
        return SUCCEEDED((object.get()->*get)(LongVariant(child), text.put())) && text ? text.get() : L"";
    }
    std::wstring Name() const { return Text(&IAccessible::get_accName); }
    long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) const {
        UniqueVariant value;
        return SUCCEEDED((object.get()->*get)(LongVariant(child), &value)) && value.get().vt == VT_I4
                   ? value.get().lVal
                   : -1;
    }
    long Role() const { return Number(&IAccessible::get_accRole); }
    bool Has(long state) const { return (Number(&IAccessible::get_accState) & state) != 0; }
    HRESULT Do() const { return object->accDoDefaultAction(LongVariant(child)); }
    RECT Location() const {
        long left = 0, top = 0, width = 0, height = 0;
        object->accLocation(&left, &top, &width, &height, LongVariant(child));
        return {left, top, left + width, top + height};
    }

    // What a VARIANT naming a child of this object stands for.
    std::optional<Element> From(VARIANT& v) const {
        if (v.vt == VT_I4)
            return Element{object, v.lVal};
        ComPtr<IAccessible> inner;
        if (v.vt != VT_DISPATCH || !v.pdispVal ||
            FAILED(v.pdispVal->QueryInterface(IID_IAccessible, inner.put_void())))
            return std::nullopt;
        return Element{inner};
    }
    std::vector<Element> Children() const {
        std::vector<Element> children;
        long count = 0;
        if (child != CHILDID_SELF || FAILED(object->get_accChildCount(&count)))
            return children;
        for (long i = 1; i <= count; ++i) {
            ComPtr<IDispatch> inner;
            ComPtr<IAccessible> accessible;
            if (object->get_accChild(LongVariant(i), inner.put()) == S_OK && inner &&
                SUCCEEDED(inner->QueryInterface(IID_IAccessible, accessible.put_void())))
                children.push_back({accessible});
            else
                children.push_back({object, i});
        }
        return children;
    }
    // The first element below with this name and role, depth first.
    std::optional<Element> Find(const std::wstring& name, long role) const {
        for (const Element& element : Children()) {
            if (element.Name() == name && element.Role() == role)
                return element;
            if (auto found = element.Find(name, role))
                return found;
        }
        return std::nullopt;
    }
    // What lies at a point of the screen, asking each object down the tree.
    std::optional<Element> HitTest(POINT point) const {
        UniqueVariant hit;
        if (object->accHitTest(point.x, point.y, &hit) != S_OK)
            return std::nullopt;
        std::optional<Element> found = From(hit.get());
        if (found && found->child == CHILDID_SELF && found->object.get() != object.get())
            return found->HitTest(point).value_or(*found);
        return found;
    }
    // Where the keyboard is, following the focus down.
    std::optional<Element> Focus() const {
        UniqueVariant focus;
        if (object->get_accFocus(&focus) != S_OK)
            return std::nullopt;
        std::optional<Element> found = From(focus.get());
        if (found && found->child == CHILDID_SELF && found->object.get() != object.get())
            return found->Focus().value_or(*found);
        return found;
    }
};

Element ClientObject(HWND window) {
    Element element;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                 element.object.put_void());
    return element;
}

// Focus events of the program, as a screen reader's hook receives them.
std::vector<std::wstring> g_focusNames;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    ComPtr<IAccessible> accessible;
    UniqueVariant id;
    if (SUCCEEDED(::AccessibleObjectFromEvent(window, object, child, accessible.put(), &id)) && accessible)
        g_focusNames.push_back(Element{accessible, id.get().vt == VT_I4 ? id.get().lVal : 0}.Name());
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetSettings();
        com_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override {
        if (com_)
            ::CoUninitialize();
        Program::ResetSettings();
    }
    static ProgramOptions WithEngines(std::vector<std::wstring> arguments = {}) {
        ProgramOptions options;
        options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
        options.arguments = std::move(arguments);
        return options;
    }
    // Waits with this thread's messages flowing, so events reach the hook.
    static bool PumpUntil(const std::function<bool()>& cond) {
        return Program::WaitFor([&] {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            return cond();
        });
    }

    bool com_ = false;
    PageFolder pages;
};

TEST_F(Accessibility, RibbonReadsAsNamedElementsAndActsAsAClick) {
    Program program;
    ASSERT_TRUE(program.Start(WithEngines())) << program.StartError();
    RibbonDriver ribbon(program);
    ASSERT_TRUE(ribbon.Ready());
    {
        const Element root = ClientObject(ribbon.Handle());
        ASSERT_TRUE(root.object);
        EXPECT_EQ(L"Ribbon", root.Name());
        EXPECT_EQ(ROLE_SYSTEM_PANE, root.Role());

        auto home = root.Find(L"Home", ROLE_SYSTEM_PAGETAB);
        auto tools = root.Find(L"Dev Tools", ROLE_SYSTEM_PAGETAB);
        ASSERT_TRUE(home && tools);
        EXPECT_TRUE(home->Has(STATE_SYSTEM_SELECTED));
        EXPECT_FALSE(tools->Has(STATE_SYSTEM_SELECTED));
        EXPECT_EQ(L"Alt+H", home->Text(&IAccessible::get_accKeyboardShortcut));
        auto file = root.Find(L"File", ROLE_SYSTEM_BUTTONMENU);
        ASSERT_TRUE(file);
        EXPECT_EQ(L"Alt+F", file->Text(&IAccessible::get_accKeyboardShortcut));
        EXPECT_TRUE(root.Find(L"Navigate", ROLE_SYSTEM_GROUPING));
        EXPECT_TRUE(root.Find(L"Quick Access Toolbar", ROLE_SYSTEM_TOOLBAR));

        // Without a tab there is no going back: the split button and both its parts read unavailable.
        auto previous = root.Find(L"Previous", ROLE_SYSTEM_SPLITBUTTON);
        ASSERT_TRUE(previous);
        EXPECT_TRUE(previous->Has(STATE_SYSTEM_UNAVAILABLE));
        const std::vector<Element> parts = previous->Children();
        ASSERT_EQ(2u, parts.size());
        EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, parts[0].Role());
        EXPECT_EQ(ROLE_SYSTEM_BUTTONDROPDOWN, parts[1].Role());
        EXPECT_TRUE(parts[1].Has(STATE_SYSTEM_UNAVAILABLE));

        // The search box holds its edit window's own object, and reads what is typed there.
        auto search = root.Find(L"Web Search", ROLE_SYSTEM_COMBOBOX);
        ASSERT_TRUE(search);
        ASSERT_FALSE(search->Children().empty());
        EXPECT_EQ(ROLE_SYSTEM_TEXT, search->Children().front().Role());
        ::SendMessageW(ribbon.SearchEdit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kittens"));
        EXPECT_EQ(L"kittens", search->Text(&IAccessible::get_accValue));

        auto newTab = root.Find(L"New IE6", ROLE_SYSTEM_PUSHBUTTON);
        ASSERT_TRUE(newTab);
        EXPECT_FALSE(newTab->Text(&IAccessible::get_accDescription).empty()) << "the tooltip";
        // Where it says it is, the hit test finds it.
        const RECT place = newTab->Location();
        ASSERT_FALSE(::IsRectEmpty(&place));
        auto hit = root.HitTest({(place.left + place.right) / 2, (place.top + place.bottom) / 2});
        EXPECT_TRUE(hit && hit->Name() == L"New IE6" && hit->Role() == ROLE_SYSTEM_PUSHBUTTON);

        // Default actions: a button runs its command, a tab selects its category.
        EXPECT_EQ(S_OK, newTab->Do());
        EXPECT_TRUE(Program::WaitFor([&] { return program.Tabs().size() == 1; }));
        EXPECT_EQ(S_OK, tools->Do());
        EXPECT_TRUE(Program::WaitFor([&] { return ribbon.ActiveCategory() == 1; }));
        EXPECT_TRUE(tools->Has(STATE_SYSTEM_SELECTED));
        EXPECT_FALSE(home->Has(STATE_SYSTEM_SELECTED));
        EXPECT_TRUE(root.Find(L"Fennimox", ROLE_SYSTEM_GROUPING)) << "the page shows the new category";
        EXPECT_FALSE(root.Find(L"Navigate", ROLE_SYSTEM_GROUPING));

        // F10 puts the keyboard on the application button, Right on the quick access toolbar's Close: the
        // focus reads so, and each move raises a focus event that names the element.
        HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                                               program.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        g_focusNames.clear();
        program.PressKeys({VK_F10});
        EXPECT_TRUE(PumpUntil([&] {
            auto focus = root.Focus();
            return focus && focus->Name() == L"File" && focus->Has(STATE_SYSTEM_FOCUSED);
        }));
        program.PressKeys({VK_RIGHT});
        EXPECT_TRUE(PumpUntil([&] {
            auto focus = root.Focus();
            return focus && focus->Role() == ROLE_SYSTEM_PUSHBUTTON && focus->Name() == L"Close";
        }));
        PumpUntil([] { return g_focusNames.size() >= 2 && g_focusNames.back() == L"Close"; });
        ::UnhookWinEvent(hook);
        EXPECT_NE(g_focusNames.end(), std::find(g_focusNames.begin(), g_focusNames.end(), L"File"));
        EXPECT_EQ(L"Close", g_focusNames.empty() ? L"" : g_focusNames.back());
        program.PressKeys({VK_ESCAPE});
    }
    EXPECT_EQ(0, program.Close());
}

TEST_F(Accessibility, TabRowSelectsAndClosesTabsAndStatusBarReadsItsElements) {
    Program program;
    ASSERT_TRUE(program.Start(
        WithEngines({L"-ie6", pages.WritePage(L"one.html", "one"), pages.WritePage(L"two.html", "two")})))
        << program.StartError();
    ASSERT_TRUE(Program::WaitFor([&] {
        const auto captions = program.TabCaptions();
        return captions.size() == 2 && captions[0] == L"one" && captions[1] == L"two";
    }));
    {
        const Element row = ClientObject(FindDescendant(program.MainWindow(), L"MovalentTabRow"));
        ASSERT_TRUE(row.object);
        EXPECT_EQ(ROLE_SYSTEM_PAGETABLIST, row.Role());
        auto one = row.Find(L"one", ROLE_SYSTEM_PAGETAB), two = row.Find(L"two", ROLE_SYSTEM_PAGETAB);
        ASSERT_TRUE(one && two);
        auto& active = program.WindowText(program.ActiveTab()) == L"one" ? one : two;
        auto& other = &active == &one ? two : one;
        EXPECT_TRUE(active->Has(STATE_SYSTEM_SELECTED));
        EXPECT_FALSE(other->Has(STATE_SYSTEM_SELECTED));
        EXPECT_TRUE(other->Children().empty()) << "only the active tab has a close button";

        EXPECT_EQ(S_OK, other->Do());
        ASSERT_TRUE(Program::WaitFor([&] { return other->Has(STATE_SYSTEM_SELECTED); }));
        EXPECT_EQ(other->Name(), program.WindowText(program.ActiveTab()));
        const std::vector<Element> inside = other->Children();
        ASSERT_EQ(1u, inside.size());
        EXPECT_EQ(L"Close Tab", inside[0].Name());
        EXPECT_EQ(S_OK, inside[0].Do());
        ASSERT_TRUE(Program::WaitFor([&] { return program.Tabs().size() == 1; }));
        BSTR gone = nullptr;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, other->object->get_accName(LongVariant(CHILDID_SELF), &gone))
            << "an object kept after its tab closed answers nothing";

        const Element status = ClientObject(FindDescendant(program.MainWindow(), L"MovalentStatusBar"));
        ASSERT_TRUE(status.object);
        EXPECT_EQ(ROLE_SYSTEM_STATUSBAR, status.Role());
        auto slider = status.Find(L"Zoom Slider", ROLE_SYSTEM_SLIDER);
        ASSERT_TRUE(slider);
        EXPECT_EQ(L"100", slider->Text(&IAccessible::get_accValue));
        EXPECT_TRUE(status.Find(L"Zoom In", ROLE_SYSTEM_PUSHBUTTON));
    }
    EXPECT_EQ(0, program.Close());
}

} // namespace
