#include "standin/engine/ThisModule.h"

#include <atomic>
#include <mutex>

namespace movalent::standin {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_references{0};

struct NameState {
    std::once_flag once;
    std::wstring path;
    ModuleIdentity identity;
};

// Read lazily rather than in DllMain: the loader lock is held there, and the name does not change anyway.
NameState& Names() {
    static NameState state;
    std::call_once(state.once, [] {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameW(g_module, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) {
                buffer.clear();
                break;
            }
            if (n < buffer.size()) {
                buffer.resize(n);
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
        state.path = buffer;
        state.identity = IdentifyEngineFile(state.path);
    });
    return state;
}

} // namespace

void SetThisModule(HMODULE module) {
    g_module = module;
}
HMODULE ThisModule() {
    return g_module;
}
const std::wstring& ThisModulePath() {
    return Names().path;
}
const ModuleIdentity& ThisModuleIdentity() {
    return Names().identity;
}

void AddModuleReference() {
    ++g_references;
}
void ReleaseModuleReference() {
    --g_references;
}
bool ModuleInUse() {
    return g_references.load() != 0;
}

} // namespace movalent::standin
