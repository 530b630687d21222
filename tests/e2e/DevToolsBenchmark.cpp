// Developer-tools benchmark, run by hand under Wine (not a test): how long the panel takes to show the
// element tree of a 20,000-element stand-in page, and to open an element with 20,000 children.
#include "PageFolder.h"
#include "PanelInspection.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "devtools/PanelControls.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace movalent::test;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// 200 sections of 99 items each (20,000 elements with the sections and the page's own), or one list of
// 20,000.
std::string Page(bool flat) {
    std::string body;
    if (flat) {
        for (int i = 0; i < 20000; ++i)
            body += "<i>" + std::to_string(i) + "</i>";
    } else {
        for (int section = 0; section < 200; ++section) {
            body += "<div id=\"s" + std::to_string(section) + "\">";
            for (int item = 0; item < 99; ++item)
                body += "<span>" + std::to_string(item) + "</span>";
            body += "</div>";
        }
    }
    return "<html><head><title>Big</title></head><body>" + body + "</body></html>";
}

double Measure(bool flat) {
    PageFolder pages;
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
    options.arguments = {L"-ie6", pages.Write(L"big.html", Page(flat))};
    Program program;
    if (!program.Start(options))
        return -1;
    RegisteredPanel registration(program.Folder() / L"MovalentDevTools.dll");
    HWND tab = WaitForActivePage(program, L"Big");
    if (!registration.Ok() || !tab)
        return -1;
    const auto start = Clock::now();
    program.PostCommand(ID_TOGGLE_FENNIMOX);
    HWND panel = nullptr, tree = nullptr;
    HTREEITEM body = nullptr;
    const bool shown = Program::WaitFor(
        [&] {
            panel = DevToolsPanel(tab);
            tree = PanelItem(panel, movalent::devtools::kTree);
            return tree && (body = FindTreeItem(tree, L"<body"));
        },
        std::chrono::seconds(60));
    const auto shownAt = Clock::now();
    if (!shown)
        return -1;
    std::printf("  tree of a %s page shown: %.0f ms\n", flat ? "flat" : "nested",
                Milliseconds(shownAt - start));
    const auto expandStart = Clock::now();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(body), SMTO_BLOCK, 60000,
                          &ignored);
    const double expanded = Milliseconds(Clock::now() - expandStart);
    std::printf("  body opened (%zu items listed): %.0f ms\n", TreeChildren(tree, body).size(), expanded);
    program.Close();
    return Milliseconds(shownAt - start);
}

} // namespace

int main() {
    Program::ResetSettings();
    std::printf(
        "Developer-tools panel, 20,000-element stand-in pages (target: tree shown in under 200 ms)\n");
    const bool ok = Measure(false) >= 0 && Measure(true) >= 0;
    Program::ResetSettings();
    return ok ? 0 : 1;
}
