// Tab benchmark, run by hand under Wine (not a test): drives the real program with the stand-in engine and
// prints how long a new tab takes to show a small local page, how long an idle tab takes to close, and the
// private memory each open tab costs.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "TabInspection.h"
#include "resource.h"
#include "standin/StandInTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace movalent::test;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Polls without sleeping so that the figure is the program's, not the poll interval's.
template <typename Condition>
bool Spin(Condition condition, std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto deadline = Clock::now() + limit;
    while (!condition())
        if (Clock::now() > deadline)
            return false;
    return true;
}

bool LastTabComplete(const Program& program, size_t count) {
    std::vector<HWND> tabs = program.Tabs();
    if (tabs.size() != count)
        return false;
    HWND active = program.ActiveTab();
    return active && PageValue(active, L"state") == L"complete";
}

void PrintPercentiles(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    const double p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    std::printf("%-44s median %7.1f ms   95th percentile %7.1f ms   (%zu runs)\n", what, median, p95,
                values.size());
}

} // namespace

int main() {
    Program::ResetSettings();
    PageFolder pages;
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
    options.stringSettings[L"HomePage"] = pages.WritePage(L"bench.html", "Bench", "a small local page");
    Program program;
    if (!program.Start(options)) {
        std::printf("cannot start the program: %ls\n", program.StartError().c_str());
        return 1;
    }
    const size_t baseline = PrivateBytes(program.ProcessId());

    // Open to first finished document, then close, one tab at a time.
    std::vector<double> open, close;
    for (int i = 0; i < 55; ++i) {
        auto start = Clock::now();
        program.PostCommand(ID_NEW_IE6);
        if (!Spin([&] { return LastTabComplete(program, 1); })) {
            std::printf("tab %d did not finish its page\n", i);
            return 1;
        }
        auto opened = Clock::now();
        program.PostCommand(ID_CLOSE_TAB);
        if (!Spin([&] { return program.Tabs().empty(); })) {
            std::printf("tab %d did not close\n", i);
            return 1;
        }
        if (i >= 5) { // the first tabs warm the caches
            open.push_back(Milliseconds(opened - start));
            close.push_back(Milliseconds(Clock::now() - opened));
        }
    }
    PrintPercentiles("open a tab to its first DocumentComplete", open);
    PrintPercentiles("close an idle tab", close);

    // Memory with 1, 10 and 50 tabs open at once.
    size_t open_tabs = 0;
    for (size_t target : {1u, 10u, 50u}) {
        while (open_tabs < target) {
            program.PostCommand(ID_NEW_IE6);
            if (!Spin([&] { return LastTabComplete(program, open_tabs + 1); })) {
                std::printf("tab %zu did not finish its page\n", open_tabs + 1);
                return 1;
            }
            ++open_tabs;
        }
        const size_t bytes = PrivateBytes(program.ProcessId());
        std::printf("%2zu tabs: private memory %7zu KiB, %6.0f KiB per tab, %zu threads\n", target,
                    bytes / 1024,
                    (static_cast<double>(bytes) - static_cast<double>(baseline)) / 1024.0 /
                        static_cast<double>(target),
                    ThreadCount(program.ProcessId()));
    }
    int code = program.Close(std::chrono::milliseconds(60000));
    Program::ResetSettings();
    return code;
}
