#pragma once
// Sizes for the display's pixel density. Every measure the program draws with is designed at 96 dots per inch
// (100 % scaling) and grows in proportion on denser displays; pictures come drawn at 100, 150 and 200 % and
// are never stretched by a fraction, so a layout takes the nearest of those sizes.

namespace movalent {

inline constexpr int kDesignDpi = 96;

// value designed at 96 dots per inch, for dpi: value * dpi / 96 with halves rounded away from zero, as MulDiv
// rounds.
constexpr int ScaleForDpi(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

// Which drawing of the pictures suits dpi: 0 for 100 %, 1 for 150 %, 2 for 200 %, the nearest; between two
// equally near the smaller, so a picture never outgrows the room its layout leaves. Denser displays than 200
// % take the 200 % pictures.
constexpr int ImageStepForDpi(int dpi) {
    // The midpoints 125 % and 175 % go to the smaller step.
    if (dpi <= 120)
        return 0;
    if (dpi <= 168)
        return 1;
    return 2;
}

// The side of a picture designed side pixels wide in a step's drawing: 16 gives 16, 24 and 32.
constexpr int ImageSideForStep(int side, int step) {
    return side * (2 + step) / 2;
}

constexpr int ImageSideForDpi(int side, int dpi) {
    return ImageSideForStep(side, ImageStepForDpi(dpi));
}

} // namespace movalent
