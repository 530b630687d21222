#pragma once
// The tree of the user's Internet Explorer favorites: folders and Internet Shortcut files in the order the
// favorites menu shows them, each shortcut with the command that opens it in the active tab.
#include <memory>
#include <string>
#include <vector>

namespace movalent {

class Menu;

// The tab view takes these commands as favorites; the ids right after them belong to its history menus.
inline constexpr unsigned kFirstFavoriteCommand = 3584;
inline constexpr unsigned kLastFavoriteCommand = 4095;

constexpr bool IsFavoriteCommand(unsigned id) {
    return id >= kFirstFavoriteCommand && id <= kLastFavoriteCommand;
}

// Gives every shortcut the next id in load order. The count goes on past the last favorites command so that
// no two shortcuts ever share a number; shortcuts numbered past the range get no menu entry and no address.
class FavoriteIdCounter {
public:
    unsigned Next() { return next_++; }
    unsigned Peek() const { return next_; }

private:
    unsigned next_ = kFirstFavoriteCommand;
};

// What loading the favorites needs from the file system.
class FavoritesFileSystem {
public:
    struct Entry {
        std::wstring name;
        bool directory = false;
        bool link = false; // a junction or symbolic link, which may lead back to a folder above it
    };
    virtual ~FavoritesFileSystem() = default;
    // The entries of folder (ending in a backslash) in the file system's own order; false when the folder
    // cannot be listed.
    virtual bool List(const std::wstring& folder, std::vector<Entry>& entries) = 0;
    // The shortcut file's address (its "URL" value); empty when it has none or cannot be read.
    virtual std::wstring ShortcutUrl(const std::wstring& path) = 0;
};

// True when name ends in ".url" in any mix of cases.
bool IsShortcutFileName(const std::wstring& name);

class CFavorit {
public:
    // An unnamed folder: the root of the tree.
    CFavorit() = default;
    static std::unique_ptr<CFavorit> Folder(std::wstring name);
    static std::unique_ptr<CFavorit> Shortcut(std::wstring name, std::wstring address, unsigned id);
    CFavorit(const CFavorit&) = delete;
    CFavorit& operator=(const CFavorit&) = delete;
    // Children go first, from the head of the list.
    ~CFavorit();

    const std::wstring& Name() const { return name_; }
    const std::wstring& Address() const { return address_; }
    // 0 for folders.
    unsigned Id() const { return id_; }
    bool IsFolder() const { return folder_; }
    const std::vector<std::unique_ptr<CFavorit>>& Children() const { return children_; }

    // Fills this folder's children from the folder at path: shortcuts listed before the first sub-folder,
    // then the sub-folders (each loaded first, so its shortcuts take their ids before the shortcuts after
    // it), then the remaining shortcuts, each group in listing order. Folders that are links are passed over: one
    // that leads back up would be listed without end. False when the folder cannot be listed.
    bool LoadFolder(std::wstring path, FavoritesFileSystem& files, FavoriteIdCounter& ids);

    // A folder goes right after the last folder among the children, or to the end when there is none yet;
    // a shortcut always goes to the end.
    CFavorit& Add(std::unique_ptr<CFavorit> child);

    // The node with that id in this subtree, node before children, children in order; null when none has it.
    // Folders share id 0, so 0 finds none.
    const CFavorit* Find(unsigned id) const;
    // The address of the favorites command id; empty for 0, for ids outside the favorites commands, for no
    // such shortcut and for a shortcut without an address.
    std::wstring AddressOf(unsigned id) const;

    // Builds a popup into menu from the children: shortcuts as items, folders as sub-menus (an empty folder
    // as an empty sub-menu); shortcuts numbered past the favorites commands are left out. False when the
    // popup cannot be made.
    bool BuildMenu(Menu& menu) const;

private:
    CFavorit(bool folder, std::wstring name, std::wstring address, unsigned id);

    bool folder_ = true;
    std::wstring name_;
    std::wstring address_;
    unsigned id_ = 0;
    std::vector<std::unique_ptr<CFavorit>> children_;
};

} // namespace movalent
