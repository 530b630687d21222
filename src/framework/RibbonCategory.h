#pragma once
// A ribbon category (one tab of the tab row and the panels it shows) and its panels of large buttons. The
// application menu is a category too: the main category, shown as the application button's menu.
#include "framework/ImageStrip.h"
#include "framework/RibbonElement.h"

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class RibbonCategory;

class RibbonPanel {
public:
    RibbonPanel(RibbonCategory& category, const std::wstring& name, int icon);
    RibbonPanel(const RibbonPanel&) = delete;
    RibbonPanel& operator=(const RibbonPanel&) = delete;

    const std::wstring& Name() const { return name_; }
    // The panel's icon in the bar's panel images; shown when the panel has no room for its buttons.
    int Icon() const { return icon_; }
    RibbonElement* Add(std::unique_ptr<RibbonElement> element);
    const std::vector<std::unique_ptr<RibbonElement>>& Elements() const { return elements_; }
    RibbonCategory& Category() const { return category_; }

    // Set by the bar's layout.
    const RECT& Rect() const { return rect_; }
    void SetRect(const RECT& rect) { rect_ = rect; }
    bool Collapsed() const { return collapsed_; }
    void SetCollapsed(bool collapsed) { collapsed_ = collapsed; }
    // Stands for the panel while it is collapsed: its click opens the panel's commands as a menu.
    RibbonElement& CollapsedButton() { return collapsedButton_; }

private:
    RibbonCategory& category_;
    std::wstring name_;
    int icon_;
    std::vector<std::unique_ptr<RibbonElement>> elements_;
    RECT rect_ = {};
    bool collapsed_ = false;
    RibbonButton collapsedButton_;
};

class RibbonCategory {
public:
    RibbonCategory(RibbonBar& bar, const std::wstring& name, const ScaledImages& smallImages,
                   const ScaledImages& largeImages);
    RibbonCategory(const RibbonCategory&) = delete;
    RibbonCategory& operator=(const RibbonCategory&) = delete;

    // "&" marks the key that selects the category with Alt.
    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name);
    RibbonPanel* AddPanel(const std::wstring& name, int icon);
    const std::vector<std::unique_ptr<RibbonPanel>>& Panels() const { return panels_; }
    // Elements added straight to the category (the application menu's commands).
    RibbonElement* AddElement(std::unique_ptr<RibbonElement> element);
    const std::vector<std::unique_ptr<RibbonElement>>& Elements() const { return elements_; }

    const ImageStrip& SmallImages() const { return small_; }
    const ImageStrip& LargeImages() const { return large_; }
    // Loads the pictures drawn for the bar's pixel density.
    void LoadImages(int dpi);
    RibbonBar& Bar() const { return bar_; }
    RibbonElement& Tab() { return tab_; }

private:
    RibbonBar& bar_;
    std::wstring name_;
    ScaledImages smallImages_;
    ScaledImages largeImages_;
    ImageStrip small_;
    ImageStrip large_;
    std::vector<std::unique_ptr<RibbonPanel>> panels_;
    std::vector<std::unique_ptr<RibbonElement>> elements_;
    RibbonCategoryTab tab_;
};

} // namespace movalent
