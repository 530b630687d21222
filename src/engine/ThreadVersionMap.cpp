#include "engine/ThreadVersionMap.h"

#include <cstdlib>

namespace movalent {

ThreadVersionMap::~ThreadVersionMap() { FreeAll(); }

bool ThreadVersionMap::Set(uint32_t threadId, IEVERSION version, uint64_t instance) {
    Node** head = &buckets_[Bucket(threadId)];
    for (Node* node = *head; node != nullptr; node = node->next) {
        if (node->threadId == threadId) {
            node->version = version;
            node->instance = instance;
            return true;
        }
    }
    Node* node = NewNode();
    if (node == nullptr)
        return false;
    node->threadId = threadId;
    node->version = version;
    node->instance = instance;
    node->next = *head;
    *head = node;
    ++count_;
    return true;
}

bool ThreadVersionMap::Lookup(uint32_t threadId, IEVERSION* version, uint64_t* instance) const {
    for (const Node* node = buckets_[Bucket(threadId)]; node != nullptr; node = node->next) {
        if (node->threadId == threadId) {
            *version = node->version;
            if (instance != nullptr)
                *instance = node->instance;
            return true;
        }
    }
    return false;
}

bool ThreadVersionMap::Remove(uint32_t threadId) {
    for (Node** link = &buckets_[Bucket(threadId)]; *link != nullptr; link = &(*link)->next) {
        Node* node = *link;
        if (node->threadId != threadId)
            continue;
        *link = node->next;
        node->next = freeNodes_;
        freeNodes_ = node;
        // An empty map gives its blocks back, so threads that come and go leave no memory behind.
        if (--count_ == 0)
            FreeAll();
        return true;
    }
    return true;
}

size_t ThreadVersionMap::BlockCount() const {
    size_t n = 0;
    for (const Block* block = blocks_; block != nullptr; block = block->next)
        ++n;
    return n;
}

ThreadVersionMap::Node* ThreadVersionMap::NewNode() {
    if (freeNodes_ == nullptr) {
        void* memory = allocate_ != nullptr ? allocate_(sizeof(Block)) : std::malloc(sizeof(Block));
        if (memory == nullptr)
            return nullptr;
        auto* block = static_cast<Block*>(memory);
        block->next = blocks_;
        blocks_ = block;
        for (Node& node : block->nodes) {
            node.next = freeNodes_;
            freeNodes_ = &node;
        }
    }
    Node* node = freeNodes_;
    freeNodes_ = node->next;
    return node;
}

void ThreadVersionMap::FreeAll() {
    for (Node*& bucket : buckets_)
        bucket = nullptr;
    while (blocks_ != nullptr) {
        Block* block = blocks_;
        blocks_ = block->next;
        if (deallocate_ != nullptr)
            deallocate_(block);
        else
            std::free(block);
    }
    freeNodes_ = nullptr;
    count_ = 0;
}

} // namespace movalent
