#pragma once
// The visual style of the main window, chosen by commands 210 to 218 and remembered as "ApplicationLook". The
// frame keeps the resulting look; the ribbon and the status bar draw themselves from it.

namespace movalent {

enum class VisualManager {
    Windows2000,      // 210
    OfficeXP,         // 211
    WindowsXP,        // 212
    Office2003,       // 213
    VisualStudio2005, // 214
    Office2007,       // 215 to 218, and any other value
};

enum class Office2007Colour { Blue, Black, Silver, Aqua };

struct VisualLook {
    VisualManager manager = VisualManager::Office2007;
    Office2007Colour colour = Office2007Colour::Blue;
    bool smartDocking = false;
    bool themedTabs = false; // the Windows XP look draws its tabs with the system theme
};

inline constexpr unsigned kFirstLookCommand = 210;
inline constexpr unsigned kLastLookCommand = 218;
inline constexpr int kDefaultApplicationLook = 215;

// The look after choosing style id from the current one. 210 to 212 leave the docking mode as it was, 213 and
// above switch smart docking on; 215 to 218 pick the Office 2007 colour, and an unknown id keeps Office 2007 in
// its current colour.
VisualLook ApplyLookCommand(const VisualLook& current, unsigned id);

} // namespace movalent
