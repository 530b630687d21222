#pragma once
// Local pages for the stand-in browser: a temporary folder of HTML files, removed with the object.
#include <filesystem>
#include <string>

namespace movalent::test {

class PageFolder {
public:
    PageFolder();
    PageFolder(const PageFolder&) = delete;
    PageFolder& operator=(const PageFolder&) = delete;
    ~PageFolder();

    // Writes name (e.g. L"a.html") with the given markup; returns its full path, which the program opens.
    std::wstring Write(const std::wstring& name, const std::string& html) const;
    // A page with a title and a line of body text.
    std::wstring WritePage(const std::wstring& name, const std::string& title,
                           const std::string& body = "") const;
    std::wstring Path(const std::wstring& name) const { return (folder_ / name).wstring(); }
    // The address the browser reports for the page (file: URL form as the stand-in gives it).
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

} // namespace movalent::test
