// Capture benchmark, run by hand under Wine (not a test): the wall time of one "/capture" of a small local
// page in every version this program has stand-in files for, from the start of the process to its end,
// against the sum of one capture per version in turn.
#include "PageFolder.h"
#include "ProgramHarness.h"
#include "standin/StandInTestSupport.h"

#include <chrono>
#include <cstdio>

using namespace movalent::test;
using Clock = std::chrono::steady_clock;

namespace {

// One capture to its end; the milliseconds it took, or a negative number when it failed.
double TimedCapture(const std::wstring& page, const std::wstring& versions,
                    const std::filesystem::path& out) {
    ProgramOptions options;
    options.engineFolder = movalent::standin::testing::StandInFolder(L"full");
    options.arguments = {L"/capture", page, L"/versions", versions, L"/wait", L"100", L"/out", out.wstring()};
    options.waitForMainWindow = false;
    options.outputFile = out.parent_path() / L"console.txt";
    Program program;
    // The copy of the program folder is the harness's, not the program's: the clock starts after it.
    if (!program.Start(options))
        return -1;
    const auto start = Clock::now();
    const int code = program.Close(std::chrono::seconds(120));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return code == 0 ? ms : -ms;
}

} // namespace

int main() {
    PageFolder pages;
    const std::wstring page = pages.WritePage(L"page.html", "Benchmark", "<p>A small local page</p>");
    // Default IE under Wine hosts Wine's own control, which loads no page: the stand-in's versions only.
    std::vector<std::wstring> versions = {L"6", L"7", L"8"};
    if (kIe55Offered)
        versions.insert(versions.begin(), L"5.5");
    std::wstring all;
    for (const std::wstring& version : versions)
        all += (all.empty() ? L"" : L",") + version;

    TimedCapture(page, all, pages.Folder() / L"warm-up"); // the first start pays for the Wine prefix
    const double together = TimedCapture(page, all, pages.Folder() / L"all");
    double sequential = 0;
    for (const std::wstring& version : versions) {
        const double one = TimedCapture(page, version, pages.Folder() / (L"v" + version));
        std::printf("  %-4ls alone: %7.0f ms%s\n", version.c_str(), one < 0 ? -one : one,
                    one < 0 ? " (failed)" : "");
        sequential += one < 0 ? -one : one;
    }
    std::printf("%zu versions in one capture: %7.0f ms%s\n", versions.size(),
                together < 0 ? -together : together, together < 0 ? " (failed)" : "");
    std::printf("one capture per version, summed: %7.0f ms\n", sequential);
    std::printf("ratio: %.2f\n", sequential > 0 ? (together < 0 ? -together : together) / sequential : 0.0);
    return together < 0 ? 1 : 0;
}
