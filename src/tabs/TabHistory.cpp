#include "tabs/TabHistory.h"

#include <algorithm>

namespace movalent {

bool TabHistory::AddDocument(const std::wstring& url, const std::wstring& title) {
    bool known = std::any_of(entries_.begin(), entries_.end(),
                             [&](const auto& entry) { return entry->title == title && entry->url == url; });
    if (known)
        return false;
    if (entries_.size() >= kMaxEntries)
        entries_.erase(entries_.begin());
    auto entry = std::make_unique<CHistoryObj>();
    entry->title = title;
    entry->url = url;
    // Commands stay unique: with nothing removed yet this is 4096 + the number of entries; once the history was
    // full and reordered by a history command, the number of entries may name a command still in use.
    unsigned id = kFirstCommand;
    while (std::any_of(entries_.begin(), entries_.end(), [id](const auto& kept) { return kept->commandId == id; }))
        ++id;
    entry->commandId = id;
    entries_.insert(entries_.begin(), std::move(entry));
    current_ = 0;
    return true;
}

std::optional<std::wstring> TabHistory::Select(unsigned command) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [command](const auto& entry) { return entry->commandId == command; });
    if (found == entries_.end())
        return std::nullopt;
    std::size_t position = static_cast<std::size_t>(found - entries_.begin());
    std::unique_ptr<CHistoryObj> entry = std::move(*found);
    entries_.erase(found);
    std::wstring url = entry->url;
    entries_.push_back(std::move(entry));
    current_ = position;
    return url;
}

std::vector<const CHistoryObj*> TabHistory::BackList() const {
    std::vector<const CHistoryObj*> list;
    for (std::size_t i = current_ + 1; i < entries_.size(); ++i)
        list.push_back(entries_[i].get());
    return list;
}

std::vector<const CHistoryObj*> TabHistory::ForwardList() const {
    std::vector<const CHistoryObj*> list;
    for (std::size_t i = std::min(current_, entries_.size()); i-- > 0;)
        list.push_back(entries_[i].get());
    return list;
}

} // namespace movalent
