#pragma once
// Dialog templates as bytes: reading the items of a template (plain or extended) and writing a copy without
// some of them.
//
// A template may name an ActiveX control as an item whose class is the control's CLSID in braces. The
// system's dialog manager knows no such window class and would refuse the whole dialog, so the framework
// takes those items out, has the system build the rest, and creates the controls itself in their place.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace movalent {

struct DialogTemplateItem {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 0;
    std::int16_t cy = 0;
    std::uint32_t id = 0;
    // The class as a name; empty when the template gives a predefined class by number (classOrdinal).
    std::u16string className;
    std::uint16_t classOrdinal = 0;
    std::u16string title;
    // Where the item lies in the template, from its aligned start to its end.
    std::size_t offset = 0;
    std::size_t size = 0;
};

struct DialogTemplateInfo {
    bool extended = false;
    std::uint32_t style = 0;
    std::size_t countOffset = 0; // where the item count lies
    std::size_t headerSize = 0;  // bytes before the first item's alignment
    std::vector<DialogTemplateItem> items;
};

// Reads a template; nothing when the bytes are not a whole template.
std::optional<DialogTemplateInfo> ParseDialogTemplate(const std::uint8_t* data, std::size_t size);

// True for a class name of the form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
bool IsControlClassId(const std::u16string& className);

// A copy of the template without the items whose indexes are listed; every item stays aligned to four bytes
// from the start, so the copy must be placed at an address aligned to four.
std::vector<std::uint8_t> WithoutItems(const std::uint8_t* data, const DialogTemplateInfo& info,
                                       const std::vector<std::size_t>& removed);

} // namespace movalent
