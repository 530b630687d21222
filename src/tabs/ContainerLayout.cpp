#include "tabs/ContainerLayout.h"

namespace movalent {

ContainerLayout LayoutContainer(const ContainerLayoutInput& in) {
    ContainerLayout out;
    out.panelShown = in.panelShown;
    if (!in.panelShown) {
        out.addressBox = {0, 0, in.width, in.addressHeight};
        out.browser = {0, in.addressHeight, in.width, in.height - in.addressHeight};
        return out;
    }
    const int splitterWidth = ScaleForDpi(kSplitterWidth, in.dpi);
    const int header = ScaleForDpi(kPanelHeaderHeight, in.dpi);
    // A window narrower than the stored width still shows a sliver of the page beside the panel.
    int panel = in.splitterPosition;
    if (in.width < panel)
        panel = in.width - ScaleForDpi(kPageSliver, in.dpi);
    if (panel < 0)
        panel = 0;
    out.panelWidth = panel;
    out.splitter = {panel, 0, splitterWidth, in.height};
    out.title = {0, 0, panel <= header ? 0 : panel - header, header};
    out.closeButton = {panel - header, 0, header, header};
    out.panel = {0, header, panel, in.height - header};
    int pageLeft = panel + splitterWidth;
    out.addressBox = {pageLeft, 0, in.width - pageLeft, in.addressHeight};
    out.browser = {pageLeft, in.addressHeight, in.width - pageLeft, in.height - in.addressHeight};
    return out;
}

std::optional<int> SplitterPositionFromPercent(int percent, int clientWidth) {
    if (percent > 100)
        return std::nullopt;
    return percent * clientWidth / 100;
}

} // namespace movalent
