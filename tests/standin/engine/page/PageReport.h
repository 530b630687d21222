#pragma once
// What the stand-in browser shows, gathered in one place so that the page it paints and the page report it
// hands to tests (keys in standin/StandInBrowser.h) always say the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movalent::standin {

// Where a document came from: what COM answered for the document class, and whose document shows the page.
struct DocumentOrigin {
    std::uint32_t createHr = 0;
    std::wstring answeredBy; // stand-in file name, "system" or "none"
    std::wstring module;     // file name of the copy whose code made the document
};

// A document's zoom as a host left it (standin/engine/document/DomTree.h); unknown for a document that is
// not the stand-in's.
struct ZoomSnapshot {
    bool known = false;
    std::wstring runtime;
    std::wstring wrapper;
    long wrappers = 0;
    bool wrapsAll = false;
};

struct FrameSnapshot {
    std::wstring url;
    std::wstring title;
    std::wstring text;
    int depth = 1;
    bool opened = false; // false: left empty (its navigation was cancelled)
    std::uint32_t error = 0;
    DocumentOrigin origin;
    ZoomSnapshot zoom;
};

// A module that LoadLibraryW handed the browser for a standard name.
struct ModuleAnswer {
    std::wstring name; // "mshtml.dll"
    std::wstring file; // "6shtml.dll"; empty when the load failed
    std::wstring path;
    std::uint32_t error = 0;
};

// What the browser learnt from its host's document-host handler (IDocHostUIHandler) for the page on show.
struct HostSnapshot {
    bool asked = false;     // a page was opened while the control had a site
    bool uiHandler = false; // the site offered the handler
    std::uint32_t hostInfoHr = 0;
    std::uint32_t flags = 0; // DOCHOSTUIINFO as GetHostInfo left it
    std::uint32_t doubleClick = 0;
    // window.external calls of the page's directives, in order: member name, outcome.
    std::vector<std::pair<std::wstring, std::wstring>> external;
    std::wstring contextMenu; // ShowContextMenu's answer, when the page asked
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
    ZoomSnapshot zoom;
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
    HostSnapshot host;
    bool documentKnown = false; // the page's document is a stand-in document: the keys below are known
    long clickCount = 0;        // left clicks in the page window that reached the page on show
    std::wstring clickLast;
    // What the page's document adds (box.*, attr.*, script.error), in its order.
    std::vector<std::pair<std::wstring, std::wstring>> documentLines;
    std::wstring fetchLast; // the last fetch through URLOpenBlockingStreamW in the process; empty: none
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
    int zoom = 100; // percent: a document's own lines are drawn at its effective zoom
};

// The effective zoom factor of a zoom snapshot: its runtime zoom times its wrapper's ("150%" is 1.5, "none"
// 1).
double ZoomFactor(const ZoomSnapshot& zoom);

std::vector<PageLine> BuildPageLines(const PageSnapshot& page);

} // namespace movalent::standin
