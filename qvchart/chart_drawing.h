#pragma once

// Draws a chart with cairo into a PNG file, or an SVG file when the name ends
// in ".svg": the title, the price and date axes, the roll-over days as red
// vertical lines, the first series as bars (when it has them and the days are
// few enough to tell apart) or as a line of closes, and the second series as
// a line. In an SVG file each series is one path.

#include <string>

#include "qvchart/chart_layout.h"

namespace qv::qvchart {

// The colours of the drawing, red, green and blue from 0 to 1.
struct Colour {
    double red, green, blue;
};
inline constexpr Colour first_series_colour{0.10, 0.25, 0.75};
inline constexpr Colour second_series_colour{0.95, 0.55, 0.05};
inline constexpr Colour roll_colour{0.85, 0.10, 0.10};

// False, with `error`, when the file cannot be written.
bool draw_chart(const Chart& chart, const Layout& layout, const std::string& path, std::string& error);

}  // namespace qv::qvchart
