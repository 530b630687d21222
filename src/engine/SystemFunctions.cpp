#include "engine/SystemFunctions.h"

#include "engine/intercept/HookInternals.h"
#include "engine/intercept/Hooks.h"

#include <cstdint>
#include <cstring>

namespace movalent {
namespace {

// A hot-patchable function that only forwards through its module's import table. In 32-bit code:
//   mov edi,edi; push ebp; mov ebp,esp; pop ebp; jmp [import]
// in 64-bit code an 8-byte no-op and a jump through a slot addressed relative to the next instruction:
//   lea rsp,[rsp+0]; jmp [rip+disp32]
// Some systems implement kernel32's and advapi32's exports this way on top of kernelbase. Patching such a stub
// would catch only the callers that import it from that module, not those that import the implementation.
#if defined(_WIN64)
constexpr uint8_t kForwardingStub[] = {0x48, 0x8D, 0xA4, 0x24, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x25};
#else
constexpr uint8_t kForwardingStub[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0xFF, 0x25};
#endif
constexpr size_t kForwardingStubLength = sizeof kForwardingStub + 4;

// The function a forwarding stub jumps to, or null when `code` is no such stub. The jump's memory operand
// must lie in the stub's own image and the destination in some image, so that nothing else is taken for one.
void* ForwardingStubDestination(const void* code) {
    if (hooks::ReadableLength(code, kForwardingStubLength) < kForwardingStubLength)
        return nullptr;
    if (std::memcmp(code, kForwardingStub, sizeof kForwardingStub) != 0)
        return nullptr;
    const auto* operand = static_cast<const uint8_t*>(code) + sizeof kForwardingStub;
#if defined(_WIN64)
    int32_t displacement = 0;
    std::memcpy(&displacement, operand, 4);
    const auto* slot = operand + 4 + displacement;
#else
    uint32_t slotAddress = 0;
    std::memcpy(&slotAddress, operand, 4);
    const auto* slot = reinterpret_cast<const uint8_t*>(slotAddress);
#endif
    const uint8_t* image = hooks::ImageBaseContaining(code);
    void* destination = nullptr;
    if (image == nullptr || hooks::ImageBaseContaining(slot) != image ||
        hooks::ReadableLength(slot, sizeof destination) < sizeof destination)
        return nullptr;
    std::memcpy(&destination, slot, sizeof destination);
    if (destination == nullptr || hooks::ImageBaseContaining(destination) == nullptr)
        return nullptr;
    return destination;
}

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
