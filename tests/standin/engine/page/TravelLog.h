#pragma once
// The browser's own back/forward history: the addresses of the top-level pages it showed, oldest first, and
// which one is shown. A new page drops everything ahead of the current one; the oldest entries go once the
// log is full.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace movalent::standin {

class TravelLog {
public:
    explicit TravelLog(size_t capacity = 50) : capacity_(capacity == 0 ? 1 : capacity) {}

    // A page that was reached by a new navigation (not by going back or forward).
    void Add(std::wstring url);
    // A page that was reached by going to an entry: it becomes the current one. False for no such entry.
    bool MoveTo(size_t index);

    std::optional<size_t> BackIndex() const;    // the entry Back would show
    std::optional<size_t> ForwardIndex() const; // the entry Forward would show
    const std::wstring& At(size_t index) const { return entries_.at(index); }

    size_t Size() const { return entries_.size(); }
    size_t BackCount() const { return entries_.empty() ? 0 : current_; }
    size_t ForwardCount() const { return entries_.empty() ? 0 : entries_.size() - 1 - current_; }

private:
    size_t capacity_;
    std::vector<std::wstring> entries_;
    size_t current_ = 0; // meaningful only when entries_ is not empty
};

} // namespace movalent::standin
