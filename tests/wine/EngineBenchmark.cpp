// What the engine loader costs: the thread lookup behind every intercepted call, on one thread and on two at
// once; a library load that is not redirected with the replacements installed and removed; the class-table
// decision for a class in no table; and install and removal with all four stand-in versions present.
#include "engine/ClassTables.h"
#include "engine/EngineLoader.h"
#include "standin/StandInTestSupport.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using namespace movalent;

namespace {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

volatile uintptr_t g_sink;

// Lookups per second on one thread, tagged with an available version.
double LookupRate(int calls) {
    SetThreadEngine(0, IE_7);
    const double start = Now();
    uintptr_t sum = 0;
    for (int i = 0; i < calls; ++i)
        sum += reinterpret_cast<uintptr_t>(GetCurrentEngine());
    const double seconds = Now() - start;
    g_sink = sum;
    ForgetCurrentThread();
    return calls / seconds;
}

// Combined lookups per second of `threads` threads started together.
double ParallelLookupRate(int threads, int callsEach) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> workers;
    std::vector<double> seconds(threads);
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            SetThreadEngine(0, t % 2 ? IE_8 : IE_6);
            ++ready;
            while (!go)
                std::this_thread::yield();
            const double start = Now();
            uintptr_t sum = 0;
            for (int i = 0; i < callsEach; ++i)
                sum += reinterpret_cast<uintptr_t>(GetCurrentEngine());
            seconds[t] = Now() - start;
            g_sink = sum;
            ForgetCurrentThread();
        });
    while (ready < threads)
        std::this_thread::yield();
    go = true;
    for (std::thread& w : workers)
        w.join();
    return threads * static_cast<double>(callsEach) / *std::max_element(seconds.begin(), seconds.end());
}

// Best microseconds per LoadLibraryA of a module that is loaded already and not redirected. The references
// are handed back outside the timing.
double LoadLibraryMicroseconds(int calls, int runs) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = Now();
        for (int i = 0; i < calls; ++i)
            ::LoadLibraryA("kernel32.dll");
        best = std::min(best, (Now() - start) / calls * 1e6);
        for (int i = 0; i < calls; ++i)
            ::FreeLibrary(::GetModuleHandleW(L"kernel32.dll"));
    }
    return best;
}

// Microseconds per CoCreateInstance of a class that no server is registered for, on the calling thread.
double UnknownClassMicroseconds(int calls) {
    const CLSID unknown = {0x1234ABCD, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const double start = Now();
        for (int i = 0; i < calls; ++i) {
            IUnknown* object = nullptr;
            ::CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
        }
        best = std::min(best, (Now() - start) / calls * 1e6);
    }
    return best;
}

double DecisionNanoseconds(int calls) {
    const ClassId unknown = {0x1234ABCD, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
    const ClassRouteContext context{IE_8, (1u << kClassModuleCount) - 1, false};
    const double start = Now();
    int routed = 0;
    for (int i = 0; i < calls; ++i)
        routed += RouteCreateInstance(unknown, context).has_value();
    g_sink = routed;
    return (Now() - start) / calls * 1e9;
}

} // namespace

int main() {
    if (!::SetCurrentDirectoryW(standin::testing::StandInFolder(L"full").c_str())) {
        std::printf("the stand-in folder is missing: build the standin_folders target\n");
        return 1;
    }

    // Install and removal, the first time with the files still cold, then warm.
    std::vector<double> installs, removals;
    for (int round = 0; round < 11; ++round) {
        const double a = Now();
        InstallEngineHooks(false);
        const double b = Now();
        if (!IsEngineAvailable(IE_55) || !IsEngineAvailable(IE_6) || !IsEngineAvailable(IE_7) || !IsEngineAvailable(IE_8)) {
            std::printf("not all four stand-in versions loaded\n");
            return 1;
        }
        RemoveEngineHooks();
        installs.push_back((b - a) * 1e3);
        removals.push_back((Now() - b) * 1e3);
    }
    const double firstInstall = installs.front();
    std::sort(installs.begin() + 1, installs.end());
    std::sort(removals.begin() + 1, removals.end());

    const int loads = 20000;
    const double removedLoadBefore = LoadLibraryMicroseconds(loads, 7);
    InstallEngineHooks(false);
    const double installedLoad = LoadLibraryMicroseconds(loads, 7);

    const int lookups = 5000000;
    LookupRate(lookups); // brings the processor to its working clock
    const double one = LookupRate(lookups);
    const double two = ParallelLookupRate(2, lookups);

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int creations = 20000;
    const double untaggedCreate = UnknownClassMicroseconds(creations);
    SetThreadEngine(0, IE_8);
    const double engineCreate = UnknownClassMicroseconds(creations);
    ForgetCurrentThread();
    ::CoUninitialize();
    const double decision = DecisionNanoseconds(10000000);
    RemoveEngineHooks();
    // Measured on both sides of the installed run, so that warming up favours neither.
    const double removedLoad = std::min(removedLoadBefore, LoadLibraryMicroseconds(loads, 7));

    std::printf("Engine loader, stand-in engine with IE 5.5, 6, 7 and 8 (40 modules):\n");
    std::printf("  %-58s %8.1f ms (first, cold) / %.1f ms (median of 10)\n", "install", firstInstall, installs[5]);
    std::printf("  %-58s %8.1f ms (median of 10)\n", "removal", removals[5]);
    std::printf("  %-58s %8.1f M calls/s\n", "GetCurrentEngine, one thread", one / 1e6);
    std::printf("  %-58s %8.1f M calls/s (%.1f M per thread)\n", "GetCurrentEngine, two threads at once", two / 1e6, two / 2e6);
    std::printf("  %-58s %8.3f us\n", "LoadLibraryA(\"kernel32.dll\"), replacements removed", removedLoad);
    std::printf("  %-58s %8.3f us   ratio %.3f (target <= 1.05)\n", "LoadLibraryA(\"kernel32.dll\"), replacements installed",
                installedLoad, installedLoad / removedLoad);
    std::printf("  %-58s %8.1f ns\n", "class table decision, class in no table (52 comparisons)", decision);
    std::printf("  %-58s %8.3f us\n", "CoCreateInstance of an unregistered class, untagged", untaggedCreate);
    std::printf("  %-58s %8.3f us   (+%.3f us)\n", "CoCreateInstance of an unregistered class, IE 8 thread",
                engineCreate, engineCreate - untaggedCreate);
    return 0;
}
