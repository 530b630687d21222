// What interception costs: the call rate of a small function called directly, through its redirected entry
// into a replacement that calls on through the trampoline, and through the trampoline alone; and how long
// attaching and detaching the engine loader's twelve functions takes.
#include "HookTestSupport.h"
#include "engine/intercept/Hooks.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace movalent;

namespace {

typedef int(__stdcall* SmallFn)(int);

#if defined(_WIN64)
// 20 instructions, starting with a frame as compiled functions do; the argument comes in ecx.
constexpr int kSmallInstructions = 20;
const uint8_t kSmallFunction[] = {
    0x48, 0x83, 0xEC, 0x28,       // sub rsp,28h
    0x8D, 0x04, 0x89,             // lea eax,[rcx+rcx*4]
    0x83, 0xC0, 0x07,             // add eax,7
    0x89, 0xC2,                   // mov edx,eax
    0xC1, 0xE2, 0x03,             // shl edx,3
    0x31, 0xD0,                   // xor eax,edx
    0x89, 0xC2,                   // mov edx,eax
    0xD1, 0xEA,                   // shr edx,1
    0x01, 0xD0,                   // add eax,edx
    0x35, 0x5A, 0x5A, 0x5A, 0x5A, // xor eax,5A5A5A5Ah
    0x2D, 0x11, 0x11, 0x11, 0x11, // sub eax,11111111h
    0x89, 0xC2,                   // mov edx,eax
    0xC1, 0xEA, 0x05,             // shr edx,5
    0x29, 0xD0,                   // sub eax,edx
    0xFF, 0xC0,                   // inc eax
    0x0F, 0xAF, 0xC0,             // imul eax,eax
    0x01, 0xC8,                   // add eax,ecx
    0x48, 0x83, 0xC4, 0x28,       // add rsp,28h
    0xC3,                         // ret
};
#else
// 21 instructions, starting with a frame as compiled functions do.
constexpr int kSmallInstructions = 21;
const uint8_t kSmallFunction[] = {
    0x55,                         // push ebp
    0x8B, 0xEC,                   // mov ebp,esp
    0x8B, 0x45, 0x08,             // mov eax,[ebp+8]
    0x8D, 0x04, 0x80,             // lea eax,[eax+eax*4]
    0x83, 0xC0, 0x07,             // add eax,7
    0x8B, 0xC8,                   // mov ecx,eax
    0xC1, 0xE1, 0x03,             // shl ecx,3
    0x33, 0xC1,                   // xor eax,ecx
    0x8B, 0xD0,                   // mov edx,eax
    0xD1, 0xEA,                   // shr edx,1
    0x03, 0xC2,                   // add eax,edx
    0x35, 0x5A, 0x5A, 0x5A, 0x5A, // xor eax,5A5A5A5Ah
    0x2D, 0x11, 0x11, 0x11, 0x11, // sub eax,11111111h
    0x8B, 0xC8,                   // mov ecx,eax
    0xC1, 0xE9, 0x05,             // shr ecx,5
    0x2B, 0xC1,                   // sub eax,ecx
    0x40,                         // inc eax
    0x0F, 0xAF, 0xC0,             // imul eax,eax
    0x03, 0x45, 0x08,             // add eax,[ebp+8]
    0x5D,                         // pop ebp
    0xC2, 0x04, 0x00,             // ret 4
};
#endif

SmallFn g_realSmall = nullptr;

volatile int g_lastResult;

// The compiler turns this one into a jump through the variable.
__attribute__((noinline)) int __stdcall ForwardSmall(int x) {
    return g_realSmall(x);
}

// This one really calls and returns, as a replacement that looks at the result does.
__attribute__((noinline)) int __stdcall CallSmall(int x) {
    const int result = g_realSmall(x);
    g_lastResult = result;
    return result;
}

constexpr int kCalls = 20000000;
constexpr int kRuns = 5;
constexpr int kRounds = 100;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

volatile int g_sink;

// Best calls per second over several runs; the pointer is re-read each call, as a call through a variable is.
double CallRate(SmallFn fn) {
    volatile SmallFn pointer = fn;
    double best = 0;
    for (int run = 0; run < kRuns; ++run) {
        int sum = 0;
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < kCalls; ++i)
            sum += pointer(i);
        ::QueryPerformanceCounter(&end);
        g_sink = sum;
        best = std::max(best, kCalls / Seconds(start, end));
    }
    return best;
}

// A replacement for any signature: "jmp [slot]", the slot being the hook's variable, which holds the
// trampoline once committed.
struct alignas(16) Thunk {
    uint8_t code[8];
    void* slot;
};

struct System {
    const wchar_t* module;
    const char* name;
};

// Where Wine keeps the code of each (kernel32's and advapi32's exports of most are stubs into kernelbase).
const System kTwelve[] = {
    {L"combase.dll", "CoCreateInstance"},    {L"combase.dll", "CoCreateInstanceEx"},
    {L"combase.dll", "CoGetClassObject"},    {L"kernelbase.dll", "LoadLibraryA"},
    {L"kernelbase.dll", "LoadLibraryW"},     {L"kernelbase.dll", "FreeLibrary"},
    {L"advapi32.dll", "RegOpenKeyW"},        {L"kernelbase.dll", "RegCloseKey"},
    {L"kernelbase.dll", "RegQueryValueExW"}, {L"advapi32.dll", "RegQueryValueW"},
    {L"ntdll.dll", "LdrGetDllHandle"},       {L"kernelbase.dll", "CreateThread"},
};

int Fail(const char* what, LONG code) {
    std::printf("%s failed with %ld\n", what, code);
    return 1;
}

} // namespace

int main() {
    auto* code = static_cast<uint8_t*>(
        ::VirtualAlloc(nullptr, 0x10000, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (code == nullptr)
        return Fail("VirtualAlloc", static_cast<LONG>(::GetLastError()));
    std::memcpy(code, kSmallFunction, sizeof kSmallFunction);
    const auto small = reinterpret_cast<SmallFn>(code);
    const int expected = small(12345);

    CallRate(small); // lets the processor reach its working clock first
    const double direct = CallRate(small);
    double patched[2] = {};
    double trampoline = 0;
    SmallFn replacements[2] = {&ForwardSmall, &CallSmall};
    for (int r = 0; r < 2; ++r) {
        g_realSmall = small;
        LONG result = HookTransactionBegin();
        if (result == NO_ERROR)
            result = HookAttach(&g_realSmall, replacements[r]);
        if (result == NO_ERROR)
            result = HookTransactionCommit();
        if (result != NO_ERROR)
            return Fail("attaching the small function", result);
        if (small(12345) != expected || g_realSmall(12345) != expected)
            return Fail("calling the attached function", 0);
        patched[r] = CallRate(small);
        trampoline = std::max(trampoline, CallRate(g_realSmall));
        if (HookTransactionBegin() != NO_ERROR || HookDetach(&g_realSmall, replacements[r]) != NO_ERROR ||
            HookTransactionCommit() != NO_ERROR)
            return Fail("detaching the small function", 0);
    }

    std::printf("Calls of a %d-instruction function, best of %d runs of %d calls:\n", kSmallInstructions,
                kRuns, kCalls);
    const char* const row = "  %-52s %7.1f M calls/s   time ratio %.2f\n";
    std::printf(row, "direct", direct / 1e6, 1.0);
    std::printf(row, "patched entry -> replacement jumping to trampoline", patched[0] / 1e6,
                direct / patched[0]);
    std::printf(row, "patched entry -> replacement calling trampoline", patched[1] / 1e6,
                direct / patched[1]);
    std::printf(row, "trampoline alone", trampoline / 1e6, direct / trampoline);

    auto* thunks = reinterpret_cast<Thunk*>(code + 0x1000);
    void* targets[12];
    for (int i = 0; i < 12; ++i) {
        HMODULE module = ::LoadLibraryW(kTwelve[i].module);
        targets[i] = module ? reinterpret_cast<void*>(::GetProcAddress(module, kTwelve[i].name)) : nullptr;
        if (targets[i] == nullptr)
            return Fail(kTwelve[i].name, static_cast<LONG>(::GetLastError()));
        Thunk& t = thunks[i];
        std::memset(&t, 0xCC, sizeof t);
        testing::PutIndirectJump(t.code, &t.slot);
    }

    std::vector<double> attach, detach;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < 12; ++i)
            thunks[i].slot = targets[i];
        LARGE_INTEGER a0, a1, d0, d1;
        ::QueryPerformanceCounter(&a0);
        LONG r = HookTransactionBegin();
        for (int i = 0; i < 12 && r == NO_ERROR; ++i)
            r = HookAttach(&thunks[i].slot, &thunks[i]);
        if (r == NO_ERROR)
            r = HookTransactionCommit();
        ::QueryPerformanceCounter(&a1);
        if (r != NO_ERROR)
            return Fail("attaching the twelve", r);
        ::QueryPerformanceCounter(&d0);
        r = HookTransactionBegin();
        for (int i = 0; i < 12 && r == NO_ERROR; ++i)
            r = HookDetach(&thunks[i].slot, &thunks[i]);
        if (r == NO_ERROR)
            r = HookTransactionCommit();
        ::QueryPerformanceCounter(&d1);
        if (r != NO_ERROR)
            return Fail("detaching the twelve", r);
        attach.push_back(Seconds(a0, a1) * 1e6);
        detach.push_back(Seconds(d0, d1) * 1e6);
    }
    std::sort(attach.begin(), attach.end());
    std::sort(detach.begin(), detach.end());
    std::printf("The twelve system functions, %d rounds (median / fastest):\n", kRounds);
    std::printf("  %-52s %7.1f / %7.1f us\n", "begin, 12 attaches, commit", attach[kRounds / 2], attach[0]);
    std::printf("  %-52s %7.1f / %7.1f us\n", "begin, 12 detaches, commit", detach[kRounds / 2], detach[0]);
    return 0;
}
