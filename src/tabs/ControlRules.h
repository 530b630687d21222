#pragma once
// The arithmetic of the container's small controls: the splitter bar's drag, the hover button's frames and
// the choice of modal path for the program's dialogs.
namespace movalent {

// A drag to x (owner's client coordinates): x is kept within [boundsLeft, boundsRight], then given as a
// percent of the rectangle's width from its left edge (integer division); a rectangle of width 0 gives 0.
int SplitterDragPercent(int x, int rectLeft, int rectWidth, int boundsLeft, int boundsRight);

// The left edge of the frame a hover button shows: pushed while selected, else hovered, else normal; the
// bitmap holds the three frames side by side in the order normal, pushed, hovered.
int HoverButtonFrameX(int frameWidth, bool selected, bool hovered);
inline int HoverButtonFrameWidth(int bitmapWidth) {
    return bitmapWidth / 3;
}

// The product version as one number: major plus minor as a decimal fraction (0.3 for 0.3.x, 8.12 for 8.12.x).
double ProductVersionNumber(unsigned major, unsigned minor);
// From product version 8 on, modal dialogs run inside an intermediate dialog.
inline bool UsesNestedModal(double productVersion) {
    return productVersion >= 8;
}

} // namespace movalent
