#pragma once
// What the stand-in browser shows, gathered in one place so that the page it paints and the page report it
// hands to tests (keys in standin/StandInBrowser.h) always say the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace movalent::standin {

// Where a document came from: what COM answered for the document class, and whose document shows the page.
struct DocumentOrigin {
    std::uint32_t createHr = 0;
    std::wstring answeredBy; // stand-in file name, "system" or "none"
    std::wstring module;     // file name of the copy whose code made the document
};

struct FrameSnapshot {
    std::wstring url;
    std::wstring title;
    std::wstring text;
    int depth = 1;
    bool opened = false; // false: left empty (its navigation was cancelled)
    std::uint32_t error = 0;
    DocumentOrigin origin;
};

// A module that LoadLibraryW handed the browser for a standard name.
struct ModuleAnswer {
    std::wstring name; // "mshtml.dll"
    std::wstring file; // "6shtml.dll"; empty when the load failed
    std::wstring path;
    std::uint32_t error = 0;
};

struct PageSnapshot {
    wchar_t versionLetter = L'?';
    std::wstring browserFile;
    std::wstring browserPath;
    std::wstring state; // "empty", "loading", "complete", "closed", "hanging"
    bool hasPage = false;
    std::wstring url;
    std::wstring title; // as TitleChange gave it
    std::wstring locationName;
    std::wstring text;
    std::uint32_t error = 0;
    DocumentOrigin origin;
    std::vector<FrameSnapshot> frames;
    bool probed = false;
    std::vector<ModuleAnswer> modules;
    std::wstring versionVector; // "visible", "missing", "failed"
    size_t back = 0;
    size_t forward = 0;
    int textSize = 2;
    int print = 0;
    int printPreview = 0;
    std::wstring newWindowUrl;
    std::wstring newWindowHandledBy;
    std::wstring close;
};

// "IE 5.5" for '5', "IE 6" ... "IE 8"; "an unknown version" for anything else.
std::wstring VersionName(wchar_t letter);
// "Stand-in engine IE 6 (6hdocvw.dll) - not Internet Explorer"
std::wstring EngineLine(wchar_t letter, std::wstring_view browserFile);

std::wstring BuildPageReport(const PageSnapshot& page);

enum class LineStyle {
    Heading, // the engine line
    Title,   // a document's title
    Body,    // a document's text
    Detail,  // addresses and where things came from
};

struct PageLine {
    LineStyle style;
    std::wstring text;
    int indent = 0; // frame depth
};

std::vector<PageLine> BuildPageLines(const PageSnapshot& page);

} // namespace movalent::standin
