// Sixteen threads for a few seconds: tagging, untagging, creating threads and calling the replacements, with
// every answer checked against the tag the thread holds at that moment.
#include "EngineTestSupport.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <vector>

using namespace movalent;
using namespace movalent::testing;

namespace {

constexpr int kThreads = 16;
constexpr auto kDuration = std::chrono::seconds(3);

// A tag: an engine version, or -1 for none.
constexpr int kUntagged = -1;
const int kTags[] = {kUntagged, IE_55, IE_6, IE_7, IE_8, IE_DEFAULT, IE_5};

// IE 5.5 has no 64-bit build: there its tag names no engine, as IE 5's does.
bool IsEngineTag(int tag) {
    return tag >= IE_55 && tag <= IE_8 && VersionExistsForThisProgram(static_cast<IEVERSION>(tag));
}

struct Failures {
    std::atomic<long> count{0};
    std::mutex mutex;
    std::string first;
    void Add(const std::string& what) {
        if (count++ == 0) {
            std::lock_guard<std::mutex> lock(mutex);
            first = what;
        }
    }
};

struct ChildCheck {
    int expected;
    Failures* failures;
};

DWORD WINAPI CheckChildTag(void* parameter) {
    const auto* check = static_cast<const ChildCheck*>(parameter);
    const EngineRecord* record = GetCurrentEngine();
    const int seen = record ? record->version : kUntagged;
    // A child of a thread tagged with an unavailable version sees none, like its parent.
    const int expected = IsEngineTag(check->expected) || check->expected == IE_DEFAULT ? check->expected : kUntagged;
    if (seen != expected)
        check->failures->Add("child saw " + std::to_string(seen) + ", parent tag " + std::to_string(check->expected));
    return 0;
}

void Worker(unsigned seed, std::chrono::steady_clock::time_point end, Failures& failures, std::atomic<long>& calls) {
    std::mt19937 random(seed);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CLSID document;
    ::CLSIDFromString(L"{25336920-03F9-11CF-8FD0-00AA00686F13}", &document);
    int tag = kUntagged;
    auto check = [&](bool ok, const char* what) {
        ++calls;
        if (!ok)
            failures.Add(std::string(what) + " with tag " + std::to_string(tag));
    };
    while (std::chrono::steady_clock::now() < end) {
        switch (random() % 8) {
        case 0:
            tag = kTags[random() % std::size(kTags)];
            check(tag == kUntagged ? ForgetCurrentThread() : SetThreadEngine(0, static_cast<IEVERSION>(tag)), "tagging");
            break;
        case 1: {
            const EngineRecord* record = GetCurrentEngine();
            const int expected = IsEngineTag(tag) || tag == IE_DEFAULT ? tag : kUntagged;
            check((record ? record->version : kUntagged) == expected, "GetCurrentEngine");
            break;
        }
        case 2: {
            HMODULE urlmon = ::LoadLibraryA("urlmon.dll");
            check(urlmon == (IsEngineTag(tag) ? EngineTable[tag].hUrlmon : EngineTable[IE_DEFAULT].hUrlmon), "urlmon");
            check(::FreeLibrary(urlmon) != FALSE, "freeing urlmon");
            break;
        }
        case 3: {
            HMODULE mshtml = ::LoadLibraryW(L"mshtml.dll");
            if (IsEngineTag(tag))
                check(mshtml == EngineTable[tag].hMshtml, "mshtml");
            else
                check(mshtml == nullptr || mshtml != EngineTable[IE_7].hMshtml, "system mshtml");
            if (mshtml)
                ::FreeLibrary(mshtml);
            break;
        }
        case 4: {
            HMODULE kernel = ::LoadLibraryA("kernel32.dll");
            check(kernel == ::GetModuleHandleW(L"kernel32.dll"), "kernel32");
            ::FreeLibrary(kernel);
            break;
        }
        case 5: {
            ChildCheck child{tag, &failures};
            HANDLE thread = ::CreateThread(nullptr, 0, CheckChildTag, &child, random() % 2 ? CREATE_SUSPENDED : 0, nullptr);
            check(thread != nullptr, "CreateThread");
            if (thread) {
                ::ResumeThread(thread);
                ::WaitForSingleObject(thread, INFINITE);
                ::CloseHandle(thread);
            }
            ++calls;
            break;
        }
        case 6: {
            HKEY key = nullptr;
            check(::RegOpenKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector", &key) ==
                      ERROR_FILE_NOT_FOUND,
                  "version vector");
            break;
        }
        default: {
            if (!IsEngineTag(tag))
                break;
            IUnknown* object = nullptr;
            const HRESULT hr = ::CoCreateInstance(document, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                  reinterpret_cast<void**>(&object));
            IStandInObject* standIn = nullptr;
            bool fromVersion = false;
            if (SUCCEEDED(hr) && SUCCEEDED(object->QueryInterface(IID_IStandInObject, reinterpret_cast<void**>(&standIn)))) {
                BSTR path = nullptr;
                standIn->GetModulePath(&path);
                fromVersion = path != nullptr && ::GetModuleHandleW(path) == EngineTable[tag].hMshtml;
                ::SysFreeString(path);
                standIn->Release();
            }
            if (object)
                object->Release();
            check(fromVersion, "HTMLDocument");
        }
        }
    }
    ForgetCurrentThread();
    ::CoUninitialize();
}

TEST(EngineStress, SixteenThreadsGetConsistentAnswers) {
    ScopedInstall install(L"full");
    ASSERT_TRUE(IsEngineAvailable(IE_6) && IsEngineAvailable(IE_8));
    ASSERT_EQ(VersionExistsForThisProgram(IE_55), IsEngineAvailable(IE_55));
    Failures failures;
    std::atomic<long> calls{0};
    const auto end = std::chrono::steady_clock::now() + kDuration;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(Worker, 1000u + i, end, std::ref(failures), std::ref(calls));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.count.load()) << failures.first;
    EXPECT_GT(calls.load(), 1000) << "too few calls to stress anything";
    std::printf("%ld checked calls on %d threads\n", calls.load(), kThreads);
}

} // namespace
