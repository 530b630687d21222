#include "framework/RibbonCategory.h"

#include "framework/RibbonBar.h"

namespace movalent {

RibbonPanel::RibbonPanel(RibbonCategory& category, const std::wstring& name, int icon)
    : category_(category), name_(name), icon_(icon), collapsedButton_(0, name) {
    collapsedButton_.SetOwner(&category.Bar(), &category, nullptr);
    collapsedButton_.SetDropDown(RibbonElement::DropDown::Menu);
}

RibbonElement* RibbonPanel::Add(std::unique_ptr<RibbonElement> element) {
    element->SetOwner(&category_.Bar(), &category_, nullptr);
    elements_.push_back(std::move(element));
    category_.Bar().OnElementChanged(*elements_.back());
    return elements_.back().get();
}

RibbonCategory::RibbonCategory(RibbonBar& bar, const std::wstring& name, const ScaledImages& smallImages,
                               const ScaledImages& largeImages)
    : bar_(bar), smallImages_(smallImages), largeImages_(largeImages) {
    LoadImages(bar.Dpi());
    tab_.SetOwner(&bar, this, nullptr);
    SetName(name);
}

void RibbonCategory::LoadImages(int dpi) {
    const ribbon::Metrics design;
    small_.LoadForDpi(smallImages_, design.smallImage, dpi);
    large_.LoadForDpi(largeImages_, design.largeImage, dpi);
}

void RibbonCategory::SetName(const std::wstring& name) {
    name_ = name;
    tab_.SetText(name);
    bar_.OnElementChanged(tab_);
}

RibbonPanel* RibbonCategory::AddPanel(const std::wstring& name, int icon) {
    panels_.push_back(std::make_unique<RibbonPanel>(*this, name, icon));
    return panels_.back().get();
}

RibbonElement* RibbonCategory::AddElement(std::unique_ptr<RibbonElement> element) {
    element->SetOwner(&bar_, this, nullptr);
    elements_.push_back(std::move(element));
    return elements_.back().get();
}

} // namespace movalent
