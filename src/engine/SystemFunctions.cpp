#include "engine/SystemFunctions.h"

#include "engine/intercept/HookInternals.h"
#include "engine/intercept/Hooks.h"

#include <cstdint>
#include <cstring>

namespace movalent {
namespace {

#if !defined(_WIN64)
// A hot-patchable function that only forwards through its module's import table:
//   mov edi,edi; push ebp; mov ebp,esp; pop ebp; jmp [import]
// Some systems implement kernel32's and advapi32's exports this way on top of kernelbase. Patching such a stub
// would catch only the callers that import it from that module, not those that import the implementation.
constexpr uint8_t kForwardingStub[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0xFF, 0x25};
constexpr size_t kForwardingStubLength = sizeof kForwardingStub + 4;

// The function a forwarding stub jumps to, or null when `code` is no such stub. The jump's memory operand
// must lie in the stub's own image and the destination in some image, so that nothing else is taken for one.
void* ForwardingStubDestination(const void* code) {
    if (hooks::ReadableLength(code, kForwardingStubLength) < kForwardingStubLength)
        return nullptr;
    if (std::memcmp(code, kForwardingStub, sizeof kForwardingStub) != 0)
        return nullptr;
    uint32_t slotAddress = 0;
    std::memcpy(&slotAddress, static_cast<const uint8_t*>(code) + sizeof kForwardingStub, 4);
    const auto* slot = reinterpret_cast<const void*>(slotAddress);
    const uint8_t* image = hooks::ImageBaseContaining(code);
    if (image == nullptr || hooks::ImageBaseContaining(slot) != image || hooks::ReadableLength(slot, 4) < 4)
        return nullptr;
    void* destination = nullptr;
    std::memcpy(&destination, slot, 4);
    if (destination == nullptr || hooks::ImageBaseContaining(destination) == nullptr)
        return nullptr;
    return destination;
}
#else
// 64-bit system modules forward their exports through the export table, which GetProcAddress follows.
void* ForwardingStubDestination(const void*) {
    return nullptr;
}
#endif

} // namespace

void* ResolveSystemFunction(const wchar_t* module, const char* name) {
    HMODULE handle = ::GetModuleHandleW(module);
    if (handle == nullptr)
        return nullptr;
    void* code = reinterpret_cast<void*>(::GetProcAddress(handle, name));
    // A stub may lead to another; a few steps are more than any system has.
    for (int step = 0; code != nullptr && step < 4; ++step) {
        code = HookCodeFromPointer(code);
        void* next = ForwardingStubDestination(code);
        if (next == nullptr)
            break;
        code = next;
    }
    return code;
}

} // namespace movalent
