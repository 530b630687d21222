#include "mainframe/Favorit.h"

#include <algorithm>

namespace movalent {

namespace {

constexpr std::wstring_view kShortcutExtension = L".url";

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool IsShortcutFileName(const std::wstring& name) {
    if (name.size() < kShortcutExtension.size())
        return false;
    return std::equal(kShortcutExtension.begin(), kShortcutExtension.end(),
                      name.end() - static_cast<std::ptrdiff_t>(kShortcutExtension.size()),
                      [](wchar_t a, wchar_t b) { return a == AsciiLower(b); });
}

CFavorit::CFavorit(bool folder, std::wstring name, std::wstring address, unsigned id)
    : folder_(folder), name_(std::move(name)), address_(std::move(address)), id_(id) {}

std::unique_ptr<CFavorit> CFavorit::Folder(std::wstring name) {
    return std::unique_ptr<CFavorit>(new CFavorit(true, std::move(name), {}, 0));
}

std::unique_ptr<CFavorit> CFavorit::Shortcut(std::wstring name, std::wstring address, unsigned id) {
    return std::unique_ptr<CFavorit>(new CFavorit(false, std::move(name), std::move(address), id));
}

CFavorit::~CFavorit() {
    for (auto& child : children_)
        child.reset();
}

CFavorit& CFavorit::Add(std::unique_ptr<CFavorit> child) {
    CFavorit& added = *child;
    if (!child->IsFolder()) {
        children_.push_back(std::move(child));
        return added;
    }
    auto lastFolder = std::find_if(children_.rbegin(), children_.rend(),
                                   [](const std::unique_ptr<CFavorit>& c) { return c->IsFolder(); });
    if (lastFolder == children_.rend())
        children_.push_back(std::move(child));
    else
        children_.insert(lastFolder.base(), std::move(child));
    return added;
}

bool CFavorit::LoadFolder(std::wstring path, FavoritesFileSystem& files, FavoriteIdCounter& ids) {
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    std::vector<FavoritesFileSystem::Entry> entries;
    if (!files.List(path, entries))
        return false;
    for (const auto& entry : entries) {
        if (entry.directory) {
            if (entry.name == L"." || entry.name == L".." || entry.link)
                continue;
            auto folder = Folder(entry.name);
            // A sub-folder that cannot be listed still shows, as an empty sub-menu.
            folder->LoadFolder(path + entry.name, files, ids);
            Add(std::move(folder));
        } else if (IsShortcutFileName(entry.name)) {
            std::wstring address = files.ShortcutUrl(path + entry.name);
            std::wstring name = entry.name.substr(0, entry.name.size() - kShortcutExtension.size());
            Add(Shortcut(std::move(name), std::move(address), ids.Next()));
        }
    }
    return true;
}

const CFavorit* CFavorit::Find(unsigned id) const {
    if (id == 0)
        return nullptr;
    if (id_ == id)
        return this;
    for (const auto& child : children_)
        if (const CFavorit* found = child->Find(id))
            return found;
    return nullptr;
}

std::wstring CFavorit::AddressOf(unsigned id) const {
    if (!IsFavoriteCommand(id))
        return {};
    const CFavorit* found = Find(id);
    return found ? found->Address() : std::wstring();
}

} // namespace movalent
