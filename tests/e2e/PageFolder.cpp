#include "PageFolder.h"

#include <windows.h>

#include <fstream>

namespace movalent::test {

PageFolder::PageFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) / (L"movalent-pages-" + std::to_wstring(::GetCurrentProcessId()) +
                                             L"-" + std::to_wstring(++counter));
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    std::filesystem::create_directories(folder_);
}

PageFolder::~PageFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::wstring PageFolder::Write(const std::wstring& name, const std::string& html) const {
    std::filesystem::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << html;
    return file.wstring();
}

std::wstring PageFolder::WritePage(const std::wstring& name, const std::string& title,
                                   const std::string& body) const {
    return Write(name, "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>");
}

} // namespace movalent::test
