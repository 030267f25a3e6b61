// Twips and pixels: the windows' fixed measures are given in twips.
#pragma once

namespace qb41::gui {

inline constexpr int kTwipsPerPixel = 15;

// A measure in twips as whole pixels, rounded to the nearest.
constexpr int Pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

} // namespace qb41::gui
