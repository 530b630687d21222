#include "standin/engine/page/PageReport.h"

#include "standin/engine/ProbeReport.h"

#include <cwchar>

namespace movalent::standin {
namespace {

std::wstring Hex(std::uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"0x%08X", static_cast<unsigned>(value));
    return buffer;
}

// "mshtml.dll" -> "mshtml"
std::wstring_view ProbeKey(std::wstring_view moduleName) {
    const size_t dot = moduleName.rfind(L'.');
    return dot == std::wstring_view::npos ? moduleName : moduleName.substr(0, dot);
}

std::wstring DocumentSentence(const DocumentOrigin& origin) {
    if (origin.answeredBy == origin.module)
        return L"Document made by " + origin.module + L" (CoCreateInstance of the HTML document class).";
    return L"Document made by this browser copy, " + origin.module +
           L": CoCreateInstance of the HTML document class "
           L"answered " +
           Hex(origin.createHr) + L" with " +
           (origin.answeredBy == L"none" ? std::wstring(L"no object")
                                         : L"an object from " + origin.answeredBy) +
           L".";
}

double PercentFactor(const std::wstring& value) {
    if (value.empty() || value == L"none")
        return 1.0;
    wchar_t* end = nullptr;
    double number = std::wcstod(value.c_str(), &end);
    if (end == value.c_str() || number <= 0)
        return 1.0;
    return (end && *end == L'%') ? number / 100.0 : number;
}

int Percent(double factor) {
    return static_cast<int>(factor * 100.0 + 0.5);
}

void AddParagraphs(std::vector<PageLine>& lines, const std::wstring& text, int indent, int zoom) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        lines.push_back({LineStyle::Body, text.substr(start, end - start), indent, zoom});
        start = end + 1;
    }
}

void AddZoom(ProbeReport& report, const std::wstring& prefix, const ZoomSnapshot& zoom) {
    if (!zoom.known)
        return;
    report.Add(prefix + L"zoom.runtime", zoom.runtime);
    report.Add(prefix + L"zoom.wrapper", zoom.wrapper);
    report.AddDecimal(prefix + L"zoom.wrappers", zoom.wrappers);
    report.Add(prefix + L"zoom.wrapsAll", zoom.wrapsAll ? L"yes" : L"no");
}

// Only a zoom that a host has touched is worth a line on the page.
void AddZoomLine(std::vector<PageLine>& lines, const ZoomSnapshot& zoom, int indent) {
    if (!zoom.known || (zoom.runtime == L"none" && zoom.wrapper == L"none" && zoom.wrappers == 0))
        return;
    lines.push_back({LineStyle::Detail,
                     L"Zoom: runtime " + zoom.runtime + L", wrapper " + zoom.wrapper +
                         (zoom.wrappers > 1 ? L" (" + std::to_wstring(zoom.wrappers) + L" wrappers)" : L""),
                     indent});
}

} // namespace

double ZoomFactor(const ZoomSnapshot& zoom) {
    if (!zoom.known)
        return 1.0;
    return PercentFactor(zoom.runtime) * PercentFactor(zoom.wrapper);
}

std::wstring VersionName(wchar_t letter) {
    switch (letter) {
    case L'5':
        return L"IE 5.5";
    case L'6':
    case L'7':
    case L'8':
        return std::wstring(L"IE ") + letter;
    default:
        return L"an unknown version";
    }
}

std::wstring EngineLine(wchar_t letter, std::wstring_view browserFile) {
    return L"Stand-in engine " + VersionName(letter) + L" (" + std::wstring(browserFile) +
           L") - not Internet Explorer";
}

std::wstring BuildPageReport(const PageSnapshot& page) {
    ProbeReport report;
    report.Add(L"engine", EngineLine(page.versionLetter, page.browserFile));
    report.Add(L"version", std::wstring(1, page.versionLetter));
    report.Add(L"browser", page.browserFile);
    report.Add(L"browserPath", page.browserPath);
    report.Add(L"state", page.state);
    report.Add(L"url", page.url);
    report.Add(L"title", page.title);
    report.Add(L"locationName", page.locationName);
    report.Add(L"text", page.text);
    if (page.hasPage) {
        if (page.error != 0)
            report.Add(L"error", Hex(page.error));
        report.Add(L"document.hr", Hex(page.origin.createHr));
        report.Add(L"document.answeredBy", page.origin.answeredBy);
        report.Add(L"document.module", page.origin.module);
        AddZoom(report, L"", page.zoom);
    }
    report.AddDecimal(L"frames", static_cast<long long>(page.frames.size()));
    for (size_t i = 0; i < page.frames.size(); ++i) {
        const FrameSnapshot& frame = page.frames[i];
        const std::wstring prefix = L"frame." + std::to_wstring(i) + L".";
        report.Add(prefix + L"url", frame.url);
        report.Add(prefix + L"title", frame.title);
        report.AddDecimal(prefix + L"depth", frame.depth);
        if (!frame.opened)
            continue;
        report.Add(prefix + L"document.answeredBy", frame.origin.answeredBy);
        report.Add(prefix + L"document.module", frame.origin.module);
        if (frame.error != 0)
            report.Add(prefix + L"error", Hex(frame.error));
        AddZoom(report, prefix, frame.zoom);
    }
    if (page.probed) {
        for (const ModuleAnswer& module : page.modules) {
            const std::wstring key = L"probe." + std::wstring(ProbeKey(module.name));
            report.Add(key, module.file.empty() ? L"none" : module.file);
            report.Add(key + L".path", module.path);
            if (module.file.empty())
                report.AddDecimal(key + L".error", module.error);
        }
        report.Add(L"probe.versionVector", page.versionVector);
    }
    report.AddDecimal(L"back", static_cast<long long>(page.back));
    report.AddDecimal(L"forward", static_cast<long long>(page.forward));
    report.AddDecimal(L"textSize", page.textSize);
    report.AddDecimal(L"print", page.print);
    report.AddDecimal(L"printPreview", page.printPreview);
    if (!page.newWindowHandledBy.empty()) {
        report.Add(L"newWindow.url", page.newWindowUrl);
        report.Add(L"newWindow.handledBy", page.newWindowHandledBy);
    }
    if (!page.close.empty())
        report.Add(L"close", page.close);
    if (page.host.asked) {
        report.Add(L"host.uiHandler", page.host.uiHandler ? L"yes" : L"no");
        if (page.host.uiHandler) {
            report.Add(L"host.hostInfo.hr", Hex(page.host.hostInfoHr));
            report.Add(L"host.flags", Hex(page.host.flags));
            report.AddDecimal(L"host.doubleClick", page.host.doubleClick);
        }
    }
    for (const auto& [name, outcome] : page.host.external)
        report.Add(L"external." + name, outcome);
    if (!page.host.contextMenu.empty())
        report.Add(L"contextMenu", page.host.contextMenu);
    if (page.hasPage && page.documentKnown) {
        report.AddDecimal(L"click.count", page.clickCount);
        if (!page.clickLast.empty())
            report.Add(L"click.last", page.clickLast);
        for (const auto& [key, value] : page.documentLines)
            report.Add(key, value);
    }
    if (!page.fetchLast.empty())
        report.Add(L"fetch.last", page.fetchLast);
    return report.Text();
}

std::vector<PageLine> BuildPageLines(const PageSnapshot& page) {
    std::vector<PageLine> lines;
    lines.push_back({LineStyle::Heading, EngineLine(page.versionLetter, page.browserFile)});
    if (!page.hasPage) {
        lines.push_back({LineStyle::Detail, L"No page opened yet."});
    } else {
        // The document's own title and text are drawn at its zoom, so that a picture of the page shows it.
        const double topZoom = ZoomFactor(page.zoom);
        lines.push_back({LineStyle::Title, page.title, 0, Percent(topZoom)});
        lines.push_back({LineStyle::Detail, L"Address: " + page.url});
        if (page.error != 0)
            lines.push_back({LineStyle::Detail, L"The page could not be opened (status " + Hex(page.error) +
                                                    L"); this is the stand-in's error page."});
        AddZoomLine(lines, page.zoom, 0);
        AddParagraphs(lines, page.text, 0, Percent(topZoom));
        for (size_t i = 0; i < page.frames.size(); ++i) {
            const FrameSnapshot& frame = page.frames[i];
            lines.push_back({LineStyle::Detail,
                             L"Frame " + std::to_wstring(i + 1) + L": " + frame.url +
                                 (frame.opened ? L"" : L" (left empty)"),
                             frame.depth});
            if (!frame.opened)
                continue;
            // A frame sits inside the top document, so its zoom multiplies the top one.
            const int frameZoom = Percent(topZoom * ZoomFactor(frame.zoom));
            if (!frame.title.empty())
                lines.push_back({LineStyle::Title, frame.title, frame.depth, frameZoom});
            AddZoomLine(lines, frame.zoom, frame.depth);
            AddParagraphs(lines, frame.text, frame.depth, frameZoom);
        }
        // What a host or a script changed in the page, and the clicks it took.
        for (const auto& [key, value] : page.documentLines) {
            if (key.rfind(L"attr.", 0) == 0)
                lines.push_back(
                    {LineStyle::Detail, L"Set by the host: " + key.substr(5) + L" = \"" + value + L"\""});
            else if (key == L"script.error")
                lines.push_back({LineStyle::Detail, L"Script error: " + value});
        }
        if (page.clickCount > 0)
            lines.push_back({LineStyle::Detail, L"Clicks that reached the page: " +
                                                    std::to_wstring(page.clickCount) + L", the last on " +
                                                    page.clickLast + L"."});
        lines.push_back({LineStyle::Detail, DocumentSentence(page.origin)});
    }
    if (page.probed) {
        std::wstring modules = L"Modules by standard name:";
        for (size_t i = 0; i < page.modules.size(); ++i) {
            const ModuleAnswer& module = page.modules[i];
            modules +=
                (i == 0 ? L" " : L", ") + module.name + L" -> " +
                (module.file.empty() ? L"none (error " + std::to_wstring(module.error) + L")" : module.file);
        }
        lines.push_back({LineStyle::Detail, modules});
        lines.push_back({LineStyle::Detail, L"Version Vector key: " + page.versionVector});
    }
    lines.push_back({LineStyle::Detail, L"Text size " + std::to_wstring(page.textSize) + L" of 0 to 4."});
    if (page.state == L"hanging")
        lines.push_back({LineStyle::Detail, L"A script on this page does not return."});
    return lines;
}

} // namespace movalent::standin
