#include "RibbonInspection.h"

#include "framework/QueryMessages.h"

#include <fstream>
#include <iterator>

namespace movalent::test {

namespace {

UINT QueryMessage() {
    static const UINT message = ::RegisterWindowMessageW(kQueryRibbonMessageName);
    return message;
}

POINT Unpack(LRESULT packed) {
    return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

LPARAM Pack(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

struct MenuSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMenu(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<MenuSearch*>(param);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || wcscmp(cls, L"#32768") != 0 || !::IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

LRESULT CALLBACK ReceiveAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* answer = reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (answer && data && data->lpData)
            answer->assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

RibbonDriver::RibbonDriver(const Program& program) : program_(program) {
    // The main window shows before its children are all made.
    Program::WaitFor([&] {
        bar_ = ::FindWindowExW(program.MainWindow(), nullptr, L"MovalentRibbonBar", nullptr);
        return bar_ != nullptr;
    });
    reply_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (reply_) {
        ::SetWindowLongPtrW(reply_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer_));
        ::SetWindowLongPtrW(reply_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReceiveAnswer));
    }
    // The bar answers once the frame has finished building it and its thread takes messages again.
    if (bar_)
        Program::WaitFor([&] { return Ask(kRibbonCategoryCount) > 0; });
}

RibbonDriver::~RibbonDriver() {
    if (reply_)
        ::DestroyWindow(reply_);
}

LRESULT RibbonDriver::Ask(unsigned question, unsigned argument) const {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(bar_, QueryMessage(), MAKEWPARAM(question, argument), 0, SMTO_ABORTIFHUNG,
                               5000, &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

std::wstring RibbonDriver::AskText(unsigned question, unsigned argument) const {
    if (!Ready())
        return L"";
    // The ribbon sends the text to the reply window while this thread waits for its answer.
    answer_.clear();
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(bar_, QueryMessage(), MAKEWPARAM(question, argument), reinterpret_cast<LPARAM>(reply_),
                               SMTO_ABORTIFHUNG, 5000, &length))
        return L"";
    return answer_;
}

POINT RibbonDriver::ElementPoint(unsigned element) const {
    return Unpack(Ask(kRibbonElementPoint, element));
}
POINT RibbonDriver::ArrowPoint(unsigned element) const {
    return Unpack(Ask(kRibbonElementArrow, element));
}
bool RibbonDriver::Shows(unsigned element) const {
    return Ask(kRibbonElementPoint, element) != 0;
}
std::wstring RibbonDriver::Text(unsigned element) const {
    return AskText(kRibbonElementText, element);
}
std::wstring RibbonDriver::Tip(unsigned element) const {
    return AskText(kRibbonElementTip, element);
}
unsigned RibbonDriver::State(unsigned element) const {
    return static_cast<unsigned>(Ask(kRibbonElementState, element));
}

std::vector<std::wstring> RibbonDriver::CategoryNames() const {
    std::vector<std::wstring> names;
    const auto count = static_cast<unsigned>(Ask(kRibbonCategoryCount));
    for (unsigned i = 0; i < count; ++i)
        names.push_back(AskText(kRibbonCategoryName, i));
    return names;
}

POINT RibbonDriver::CategoryPoint(size_t index) const {
    return Unpack(Ask(kRibbonCategoryPoint, static_cast<unsigned>(index)));
}

int RibbonDriver::ActiveCategory() const {
    return static_cast<int>(Ask(kRibbonActiveCategory));
}
bool RibbonDriver::Minimized() const {
    return Ask(kRibbonMinimized) == 1;
}

std::vector<std::wstring> RibbonDriver::PanelNames() const {
    // The ribbon answers by index and says nothing past the last panel.
    std::vector<std::wstring> names;
    for (unsigned i = 0; i < 32; ++i) {
        std::wstring name = AskText(kRibbonPanelName, i);
        if (name.empty())
            break;
        names.push_back(name);
    }
    return names;
}

std::vector<std::wstring> RibbonDriver::MenuItems() const {
    std::vector<std::wstring> items;
    const auto count = static_cast<unsigned>(Ask(kRibbonMenuItemCount));
    for (unsigned i = 0; i < count; ++i)
        items.push_back(AskText(kRibbonMenuItemText, i));
    return items;
}

bool RibbonDriver::MenuOpen() const {
    return Ask(kRibbonMenuOpen) == 1;
}

std::vector<std::wstring> RibbonDriver::SearchItems() const {
    std::vector<std::wstring> items;
    const auto count = static_cast<unsigned>(Ask(kRibbonSearchItemCount));
    for (unsigned i = 0; i < count; ++i)
        items.push_back(AskText(kRibbonSearchItemText, i));
    return items;
}

void RibbonDriver::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    ::PostMessageW(bar_, message, wParam, lParam);
}

void RibbonDriver::Click(POINT point) const {
    Press(point);
    Release(point);
}

void RibbonDriver::Press(POINT point) const {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Pack(point));
}
void RibbonDriver::Release(POINT point) const {
    Post(WM_LBUTTONUP, 0, Pack(point));
}

void RibbonDriver::DoubleClick(POINT point) const {
    Click(point);
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, Pack(point));
    Release(point);
}

HWND RibbonDriver::OpenMenu() const {
    MenuSearch search{program_.ProcessId(), nullptr};
    ::EnumWindows(MatchMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND RibbonDriver::WaitForMenu(DWORD timeoutMs) const {
    HWND menu = nullptr;
    Program::WaitFor([&] { return (menu = OpenMenu()) != nullptr; }, std::chrono::milliseconds(timeoutMs));
    return menu;
}

bool RibbonDriver::ChooseMenuItem(HWND menu, size_t index) const {
    std::vector<std::wstring> items = MenuItems();
    if (!menu || index >= items.size() || items[index] == L"-")
        return false;
    // The menu's loop reads the keys of its thread's queue, whichever of its windows they are posted to; down
    // from nothing selected reaches the first item and skips separators.
    size_t downs = 0;
    for (size_t i = 0; i <= index; ++i)
        if (items[i] != L"-")
            ++downs;
    for (size_t i = 0; i < downs; ++i)
        Post(WM_KEYDOWN, VK_DOWN, 0);
    Post(WM_CHAR, L'\r', 0);
    return Program::WaitFor([&] { return !::IsWindowVisible(menu); });
}

bool RibbonDriver::DismissMenu(HWND menu) const {
    if (!menu)
        return false;
    Post(WM_KEYDOWN, VK_ESCAPE, 0);
    return Program::WaitFor([&] { return !::IsWindowVisible(menu); });
}

HWND RibbonDriver::SearchEdit() const {
    return ::FindWindowExW(bar_, nullptr, L"Edit", nullptr);
}

void RibbonDriver::Search(const std::wstring& text) const {
    HWND edit = SearchEdit();
    // Select everything and type over it, then Enter: the program's message loop offers the key to the
    // search box before the edit sees it.
    ::PostMessageW(edit, EM_SETSEL, 0, -1);
    ::PostMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text)
        ::PostMessageW(edit, WM_CHAR, c, 0);
    PressEnterInSearch();
}

void RibbonDriver::PressEnterInSearch() const {
    ::PostMessageW(SearchEdit(), WM_KEYDOWN, VK_RETURN, 1);
}

std::wstring RibbonDriver::SearchText() const {
    return program_.WindowText(SearchEdit());
}

std::map<unsigned, std::wstring> ReadLanguageFile(const std::filesystem::path& file) {
    std::map<unsigned, std::wstring> texts;
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE')
        return texts;
    std::wstring content;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        content += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8);
    auto replaceAll = [](std::wstring& text, const std::wstring& from, const std::wstring& to) {
        for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find(L'\n', start);
        if (end == std::wstring::npos)
            end = content.size();
        std::wstring line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        line.erase(0, line.find_first_not_of(L" \t"));
        size_t colon = line.find(L':');
        if (line.empty() || line[0] == L'#' || colon == std::wstring::npos)
            continue;
        unsigned id = static_cast<unsigned>(wcstoul(line.c_str(), nullptr, 10));
        if (id == 0)
            continue;
        std::wstring text = line.substr(colon + 1);
        replaceAll(text, L"\\r\\n", L"\r\n");
        replaceAll(text, L"\\n", L"\n");
        replaceAll(text, L"\\t", L"\t");
        texts[id] = text;
    }
    return texts;
}

HWND FocusOfThread(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace movalent::test
