#include "standin/engine/page/TravelLog.h"

namespace movalent::standin {

void TravelLog::Add(std::wstring url) {
    if (!entries_.empty())
        entries_.resize(current_ + 1);
    entries_.push_back(std::move(url));
    if (entries_.size() > capacity_)
        entries_.erase(entries_.begin(),
                       entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() - capacity_));
    current_ = entries_.size() - 1;
}

bool TravelLog::MoveTo(size_t index) {
    if (index >= entries_.size())
        return false;
    current_ = index;
    return true;
}

std::optional<size_t> TravelLog::BackIndex() const {
    if (BackCount() == 0)
        return std::nullopt;
    return current_ - 1;
}

std::optional<size_t> TravelLog::ForwardIndex() const {
    if (ForwardCount() == 0)
        return std::nullopt;
    return current_ + 1;
}

} // namespace movalent::standin
