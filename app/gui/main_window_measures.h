// The main window's own measures, shared by its parts.
#pragma once

#include "pixels.h"

namespace qb41::gui {

inline constexpr int kStartWidth = 607;
inline constexpr int kStartHeight = 444;
inline constexpr int kMinWidthTwips = 9105;
inline constexpr int kMinHeightTwips = 6660;
inline constexpr int kSplitterTwips = 2500;

} // namespace qb41::gui
