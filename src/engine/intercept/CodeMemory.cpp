// Reads of code and module headers that may point anywhere: every byte is checked with a memory query before
// it is touched, because a structured exception handler is not available to catch a fault here.
#include "engine/intercept/HookInternals.h"

#include <cstring>

namespace movalent::hooks {
namespace {

constexpr DWORD kReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

constexpr size_t kMarkerOffset = 0x1C; // the DOS header's reserved words
constexpr char kMarker[8] = {'M', 'o', 'v', 'a', 'l', 'e', 'n', 't'};
constexpr size_t kMarkedHeaderBytes = 64;
// A DOS header pointing further than this to its PE header is not a loaded image's.
constexpr LONG kMaxNtHeaderOffset = 0x10000;

constexpr uint8_t kJumpIndirect[2] = {0xFF, 0x25}; // jmp [disp32]; in 64-bit code [rip+disp32]
constexpr uint8_t kShortJump = 0xEB;
constexpr uint8_t kNearJump = 0xE9;

uint32_t Read32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// The headers of an image of the process's own kind (PE32 in a 32-bit process, PE32+ in a 64-bit one).
const IMAGE_NT_HEADERS* NtHeaders(const uint8_t* base) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_lfanew < static_cast<LONG>(sizeof(IMAGE_DOS_HEADER)) || dos->e_lfanew > kMaxNtHeaderOffset)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (ReadableLength(nt, sizeof *nt) != sizeof *nt || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->FileHeader.SizeOfOptionalHeader == 0 || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return nullptr;
    return nt;
}

// True when `slot` lies inside the import address table of the image that contains `code`.
bool InImportAddressTable(const void* code, uintptr_t slot) {
    const uint8_t* base = ImageBaseContaining(code);
    if (base == nullptr)
        return false;
    const IMAGE_NT_HEADERS* nt = NtHeaders(base);
    if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IAT)
        return false;
    const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    const uintptr_t start = reinterpret_cast<uintptr_t>(base) + iat.VirtualAddress;
    return iat.VirtualAddress != 0 && slot - start < iat.Size;
}

// The import slot an indirect jump at `p` reads, or 0 when `p` holds no such jump. 64-bit import thunks may
// carry a REX.W prefix, and their operand is relative to the next instruction.
uintptr_t IndirectJumpSlot(const uint8_t* p) {
#if defined(_WIN64)
    const size_t rex = (ReadableLength(p, 1) == 1 && p[0] == 0x48) ? 1 : 0;
    p += rex;
    if (ReadableLength(p, 6) < 6 || p[0] != kJumpIndirect[0] || p[1] != kJumpIndirect[1])
        return 0;
    return reinterpret_cast<uintptr_t>(p + 6) + static_cast<intptr_t>(static_cast<int32_t>(Read32(p + 2)));
#else
    if (ReadableLength(p, 6) < 6 || p[0] != kJumpIndirect[0] || p[1] != kJumpIndirect[1])
        return 0;
    return Read32(p + 2);
#endif
}

} // namespace

size_t ReadableLength(const void* address, size_t wanted) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    uintptr_t end = start + wanted;
    if (end < start)
        end = UINTPTR_MAX;
    uintptr_t at = start;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info;
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0)
            break;
        if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
            (info.Protect & kReadableProtections) == 0)
            break;
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= at) { // the range reaches the top of the address space
            at = end;
            break;
        }
        at = next;
    }
    return (at < end ? at : end) - start;
}

bool ReadCodeWord(uint32_t address, uint32_t& value, void*) {
    const auto* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
    if (ReadableLength(p, sizeof value) != sizeof value)
        return false;
    value = Read32(p);
    return true;
}

uint8_t* ImageBaseContaining(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    if (::VirtualQuery(address, &info, sizeof info) == 0 || info.State == MEM_FREE ||
        info.AllocationBase == nullptr)
        return nullptr;
    auto* base = static_cast<uint8_t*>(info.AllocationBase);
    if (ReadableLength(base, sizeof(IMAGE_DOS_HEADER)) != sizeof(IMAGE_DOS_HEADER) ||
        reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_magic != IMAGE_DOS_SIGNATURE ||
        NtHeaders(base) == nullptr)
        return nullptr;
    return base;
}

LONG MarkModule(const void* code) {
    uint8_t* base = ImageBaseContaining(code);
    if (base == nullptr)
        return NO_ERROR;
    uint8_t* marker = base + kMarkerOffset;
    if (marker[0] == kMarker[0] && marker[1] == kMarker[1])
        return NO_ERROR;
    DWORD previous = 0;
    if (!::VirtualProtect(base, kMarkedHeaderBytes, PAGE_EXECUTE_READWRITE, &previous))
        return LastErrorOr(ERROR_ACCESS_DENIED);
    std::memcpy(marker, kMarker, sizeof kMarker);
    return NO_ERROR;
}

LONG LastErrorOr(LONG fallback) {
    const DWORD error = ::GetLastError();
    return error != NO_ERROR ? static_cast<LONG>(error) : fallback;
}

} // namespace movalent::hooks

namespace movalent {

void* HookCodeFromPointer(void* code) {
    using namespace hooks;
    if (code == nullptr)
        return nullptr;
    auto* p = static_cast<uint8_t*>(code);
    if (const uintptr_t slot = IndirectJumpSlot(p); slot != 0) {
        void* imported = nullptr;
        if (InImportAddressTable(p, slot) &&
            ReadableLength(reinterpret_cast<const void*>(slot), sizeof imported) == sizeof imported)
            std::memcpy(&imported, reinterpret_cast<const void*>(slot), sizeof imported);
        return imported != nullptr ? imported : code;
    }

    if (ReadableLength(p, 2) >= 2 && p[0] == kShortJump) {
        uint8_t* destination = p + 2 + static_cast<int8_t>(p[1]);
        if (ReadableLength(destination, kNearJumpSize) == kNearJumpSize && destination[0] == kNearJump)
            return destination + kNearJumpSize + static_cast<int32_t>(Read32(destination + 1));
        return destination;
    }
    return code;
}

} // namespace movalent
