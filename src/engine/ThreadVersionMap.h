#pragma once
// Thread id -> engine version, the lookup behind every intercepted call. A small chained hash map with 17
// buckets, hashed on the id shifted right by 4 (thread ids are multiples of 4), whose nodes come in blocks of
// 10 from a free list: a lookup never allocates, and an insert allocates at most one block. Not synchronised;
// the loader keeps it behind its lock. Each entry also keeps an instance value that tells the thread that was
// tagged from a later one given the same id; the map only stores it.
#include "engine/IeVersion.h"

#include <cstddef>
#include <cstdint>

namespace movalent {

class ThreadVersionMap {
public:
    static constexpr size_t kBuckets = 17;
    static constexpr size_t kBlockNodes = 10;

    // Where node blocks come from; returns null when out of memory. Tests substitute their own.
    using BlockAllocator = void* (*)(size_t bytes);
    using BlockDeallocator = void (*)(void* block);

    constexpr ThreadVersionMap() = default;
    constexpr ThreadVersionMap(BlockAllocator allocate, BlockDeallocator deallocate)
        : allocate_(allocate), deallocate_(deallocate) {}
    ThreadVersionMap(const ThreadVersionMap&) = delete;
    ThreadVersionMap& operator=(const ThreadVersionMap&) = delete;
    ~ThreadVersionMap();

    // Inserts or overwrites, instance included; false only when no node could be allocated.
    bool Set(uint32_t threadId, IEVERSION version, uint64_t instance = 0);
    // True when the id was found; version and instance (when asked for) untouched otherwise.
    bool Lookup(uint32_t threadId, IEVERSION* version, uint64_t* instance = nullptr) const;
    // Removes the id if present; true either way.
    bool Remove(uint32_t threadId);

    size_t Count() const { return count_; }
    size_t BlockCount() const;

private:
    struct Node {
        Node* next;
        uint32_t threadId;
        IEVERSION version;
        uint64_t instance;
    };
    struct Block {
        Block* next;
        Node nodes[kBlockNodes];
    };

    static size_t Bucket(uint32_t threadId) { return (threadId >> 4) % kBuckets; }
    Node* NewNode();
    void FreeAll();

    Node* buckets_[kBuckets] = {};
    Node* freeNodes_ = nullptr;
    Block* blocks_ = nullptr;
    size_t count_ = 0;
    BlockAllocator allocate_ = nullptr;     // null: the standard heap
    BlockDeallocator deallocate_ = nullptr;
};

} // namespace movalent
