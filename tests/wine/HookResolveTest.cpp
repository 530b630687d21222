// Following stubs to the code really executed, without ever reading unreadable memory, and the module marker.
#include "HookTestSupport.h"
#include "engine/intercept/Hooks.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace movalent;
using namespace movalent::testing;

// Symbol names as the assembler sees them: 32-bit C names carry an underscore and __stdcall ones their
// argument size; 64-bit names are plain. They are written as strings so that nothing can part a decorated
// name from its "@" suffix.
#if defined(_WIN64)
#define SYMBOL(plain, decorated) plain
#else
#define SYMBOL(plain, decorated) decorated
#endif

// The import library's jump stubs, which a call without dllimport goes through: "jmp [__imp_...]".
extern "C" DWORD __stdcall ImportStubGetTickCount() __asm__(SYMBOL("GetTickCount", "_GetTickCount@0"));
extern "C" DWORD __stdcall ImportStubGetCurrentThreadId() __asm__(SYMBOL("GetCurrentThreadId",
                                                                         "_GetCurrentThreadId@0"));

#if defined(_WIN64)
// 64-bit import thunks may carry a REX.W prefix in front of the jump: "rex.W jmp [rip+__imp_...]".
extern "C" DWORD WINAPI RexImportStubGetTickCount();
asm(".text\n"
    ".globl RexImportStubGetTickCount\n"
    ".p2align 4\n"
    "RexImportStubGetTickCount:\n"
    "    rex.W jmp *__imp_GetTickCount(%rip)\n");
#endif

// A function inside this program's own image: mov eax,11; ret.
#define MARKER_PROBE SYMBOL("MarkerProbe", "_MarkerProbe")
extern "C" int __cdecl MarkerProbe();
asm(".text\n"
    ".globl " MARKER_PROBE "\n"
    ".p2align 4\n" MARKER_PROBE ":\n"
    "    movl $11, %eax\n"
    "    ret\n");

namespace {

typedef int(__cdecl* IntFn)();

int __cdecl ReturnsEight() {
    return 8;
}

class CodeFromPointer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, code_.base()); }
    CodeBuffer code_{0x2000};
    TransactionGuard guard_;
};

TEST_F(CodeFromPointer, NullAndPlainCodeComeBackUnchanged) {
    EXPECT_EQ(nullptr, HookCodeFromPointer(nullptr));
    uint8_t* plain = code_.Put(0x40, "55 8B EC 5D C3");
    EXPECT_EQ(plain, HookCodeFromPointer(plain));
    uint8_t* nearJump = code_.Put(0x80, "E9 00 00 00 00");
    EXPECT_EQ(nearJump, HookCodeFromPointer(nearJump)) << "a near jump is code of its own";
}

TEST_F(CodeFromPointer, ImportStubsLeadToTheImportedFunction) {
    void* stub = reinterpret_cast<void*>(&ImportStubGetTickCount);
    ASSERT_EQ(0xFF, static_cast<uint8_t*>(stub)[0]);
    ASSERT_EQ(0x25, static_cast<uint8_t*>(stub)[1]);
    EXPECT_EQ(reinterpret_cast<void*>(&::GetTickCount), HookCodeFromPointer(stub));
    EXPECT_EQ(reinterpret_cast<void*>(&::GetCurrentThreadId),
              HookCodeFromPointer(reinterpret_cast<void*>(&ImportStubGetCurrentThreadId)));
#if defined(_WIN64)
    void* rexStub = reinterpret_cast<void*>(&RexImportStubGetTickCount);
    ASSERT_EQ(Hex("48 FF 25"), BytesAt(rexStub, 3));
    EXPECT_EQ(reinterpret_cast<void*>(&::GetTickCount), HookCodeFromPointer(rexStub));
#endif
}

TEST_F(CodeFromPointer, AJumpThroughMemoryOutsideAnImportTableIsNotFollowed) {
    auto* slot = reinterpret_cast<void**>(code_.base() + 0x100);
    *slot = code_.Put(0x140, "C3");
    uint8_t* jump = code_.base() + 0x40;
    PutIndirectJump(jump, slot);
    EXPECT_EQ(jump, HookCodeFromPointer(jump));
}

TEST_F(CodeFromPointer, ShortJumpsAreFollowedOnceAndIntoANearJump) {
    uint8_t* destination = code_.Put(0x200, "C3");
    uint8_t* nearJump = code_.Put(0x50, "E9 00 00 00 00");
    PutRel32(nearJump + 1, nearJump + 5, destination);
    uint8_t* toNear = code_.Put(0x40, "EB 0E"); // 0x42 + 0x0E = 0x50
    EXPECT_EQ(destination, HookCodeFromPointer(toNear));

    uint8_t* toPlain = code_.Put(0x60, "EB 10");
    code_.Put(0x72, "55 8B EC");
    EXPECT_EQ(code_.base() + 0x72, HookCodeFromPointer(toPlain));

    uint8_t* backwards = code_.Put(0x90, "EB BE"); // 0x92 - 0x42 = 0x50
    EXPECT_EQ(destination, HookCodeFromPointer(backwards));
}

TEST_F(CodeFromPointer, UnreadableMemoryIsNeverDereferenced) {
    constexpr size_t kPage = 0x1000;
    uint8_t* secondPage = code_.base() + kPage;
    DWORD previous = 0;
    ASSERT_TRUE(::VirtualProtect(secondPage, kPage, PAGE_NOACCESS, &previous));

    uint8_t* intoNothing = code_.Put(kPage - 2, "EB 10");
    EXPECT_EQ(secondPage + 0x10, HookCodeFromPointer(intoNothing)) << "destination returned, not read";
    uint8_t* cutOff = code_.Put(kPage - 3, "FF 25 00");
    EXPECT_EQ(cutOff, HookCodeFromPointer(cutOff));
    EXPECT_EQ(secondPage, HookCodeFromPointer(secondPage));

    void* reserved = ::VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(nullptr, reserved);
    EXPECT_EQ(reserved, HookCodeFromPointer(reserved));
    ::VirtualFree(reserved, 0, MEM_RELEASE);
    EXPECT_EQ(reserved, HookCodeFromPointer(reserved)) << "released memory";
}

TEST_F(CodeFromPointer, AReplacementGivenAsAnImportStubIsTheImportedFunction) {
    uint8_t* target = code_.Put(0x40, "B8 2A 00 00 00 C3"); // mov eax,42; ret
    void* variable = target;
    void* stub = reinterpret_cast<void*>(&ImportStubGetCurrentThreadId);

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, stub));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(reinterpret_cast<void*>(&::GetCurrentThreadId),
              static_cast<Trampoline*>(variable)->replacement);
    EXPECT_EQ(reinterpret_cast<void*>(&::GetCurrentThreadId), PatchedEntryDestination(target));
    EXPECT_EQ(static_cast<int>(::GetCurrentThreadId()), As<IntFn>(target)());
    EXPECT_EQ(42, As<IntFn>(variable)());

    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, stub)) << "the stub names the same replacement";
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(42, As<IntFn>(target)());
}

class ModuleMarker : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = reinterpret_cast<uint8_t*>(::GetModuleHandleW(nullptr));
        ASSERT_TRUE(::VirtualProtect(image_, 64, PAGE_READWRITE, &previous_));
        std::memcpy(saved_, image_ + 0x1C, 8);
    }
    void TearDown() override {
        DWORD ignored = 0;
        ::VirtualProtect(image_, 64, PAGE_READWRITE, &ignored);
        std::memcpy(image_ + 0x1C, saved_, 8);
        ::VirtualProtect(image_, 64, previous_, &ignored);
    }

    void AttachAndDetachProbe() {
        void* variable = reinterpret_cast<void*>(&MarkerProbe);
        ASSERT_EQ(0, HookTransactionBegin());
        ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(8, MarkerProbe());
        EXPECT_EQ(11, As<IntFn>(variable)());
        ASSERT_EQ(0, HookTransactionBegin());
        ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
        ASSERT_EQ(0, HookTransactionCommit());
        EXPECT_EQ(11, MarkerProbe());
    }
    std::string Marker() const { return std::string(reinterpret_cast<const char*>(image_ + 0x1C), 8); }

    uint8_t* image_ = nullptr;
    DWORD previous_ = 0;
    uint8_t saved_[8] = {};
    TransactionGuard guard_;
};

TEST_F(ModuleMarker, IsWrittenIntoTheImageOfTheFirstPatchedFunction) {
    std::memset(image_ + 0x1C, 0, 8);
    AttachAndDetachProbe();
    EXPECT_EQ("Movalent", Marker());
    // An image page made writable reads back as copy-on-write.
    const DWORD protection = ProtectionOf(image_);
    EXPECT_TRUE(protection == PAGE_EXECUTE_READWRITE || protection == PAGE_EXECUTE_WRITECOPY) << protection;
}

TEST_F(ModuleMarker, IsNotWrittenOverAnotherThatStartsTheSame) {
    std::memcpy(image_ + 0x1C, "MoQWERTY", 8);
    AttachAndDetachProbe();
    EXPECT_EQ("MoQWERTY", Marker());
}

TEST_F(ModuleMarker, IsNotWrittenIntoMemoryThatIsNoImage) {
    CodeBuffer code;
    code.Put(0, "4D 5A"); // "MZ" without a PE header behind it
    uint8_t* target = code.Put(0x100, "B8 2A 00 00 00 C3");
    const auto header = BytesAt(code.base(), 64);
    void* variable = target;
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookAttach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
    EXPECT_EQ(header, BytesAt(code.base(), 64));
    ASSERT_EQ(0, HookTransactionBegin());
    ASSERT_EQ(0, HookDetach(&variable, reinterpret_cast<void*>(&ReturnsEight)));
    ASSERT_EQ(0, HookTransactionCommit());
}

} // namespace
