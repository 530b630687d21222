#pragma once
// A tab's short navigation history: the pages its browser finished loading, at most ten, which feed the Back
// and Forward lists and the history commands 4096 to 4105.
//
// Index 0 is the most recently added entry. Going back with the browser's own Previous command does not move
// the current index here; only new pages and history commands do.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movalent {

struct CHistoryObj {
    std::wstring title; // the location name the browser reported
    std::wstring url;
    unsigned commandId = 0; // the lowest of 4096 to 4105 no other entry holds when this one was made
};

class TabHistory {
public:
    static constexpr std::size_t kMaxEntries = 10;
    static constexpr unsigned kFirstCommand = 4096;
    static constexpr unsigned kLastCommand = kFirstCommand + kMaxEntries - 1;

    // A finished top-level document. An entry with the same title and URL (exact, case-sensitive) changes
    // nothing; otherwise, with the history full, the most recent entry makes room, and the new entry goes
    // first and becomes the current one. True when an entry was added.
    bool AddDocument(const std::wstring& url, const std::wstring& title);

    // History command 4096 + k: the first entry with that command moves to the end, the current index becomes
    // its former position, and its URL is returned for navigation; nothing when no entry has the command.
    std::optional<std::wstring> Select(unsigned command);

    bool CanGoBack() const { return current_ + 1 < entries_.size(); }
    bool CanGoForward() const { return current_ > 0; }

    // The entries after the current one in array order, and those before it, nearest first.
    std::vector<const CHistoryObj*> BackList() const;
    std::vector<const CHistoryObj*> ForwardList() const;

    std::size_t CurrentIndex() const { return current_; }
    std::size_t Size() const { return entries_.size(); }
    const CHistoryObj& Entry(std::size_t index) const { return *entries_[index]; }

private:
    std::vector<std::unique_ptr<CHistoryObj>> entries_;
    std::size_t current_ = 0;
};

} // namespace movalent
