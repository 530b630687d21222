#include "framework/HighContrast.h"

#include <windows.h>

namespace movalent {

namespace {

#if defined(MOVALENT_TEST_HOOKS)
// Wine keeps high contrast off whatever a program asks, so tests name a file instead: while it exists, high
// contrast counts as on.
std::optional<bool> ForcedByTest() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"MOVALENT_TEST_HIGH_CONTRAST", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::nullopt;
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
#endif

std::uint32_t System(int index) {
    return static_cast<std::uint32_t>(::GetSysColor(index));
}

} // namespace

bool HighContrastOn() {
#if defined(MOVALENT_TEST_HOOKS)
    if (std::optional<bool> forced = ForcedByTest())
        return *forced;
#endif
    HIGHCONTRASTW state = {};
    state.cbSize = sizeof(state);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(state), &state, 0) &&
           (state.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

SystemColours CurrentSystemColours() {
    SystemColours colours;
    colours.buttonFace = System(COLOR_BTNFACE);
    colours.buttonText = System(COLOR_BTNTEXT);
    colours.highlight = System(COLOR_HIGHLIGHT);
    colours.highlightText = System(COLOR_HIGHLIGHTTEXT);
    colours.grayText = System(COLOR_GRAYTEXT);
    colours.hotLight = System(COLOR_HOTLIGHT);
    colours.shadow = System(COLOR_3DSHADOW);
    return colours;
}

std::optional<SystemColours> HighContrastSystemColours() {
    if (!HighContrastOn())
        return std::nullopt;
    return CurrentSystemColours();
}

} // namespace movalent
