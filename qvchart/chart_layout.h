#pragma once

// Where a chart's days and prices fall on the picture: the plot area inside
// its margins, days mapped linearly on x, prices on y (highest at the top).

#include <vector>

#include "qvchart/chart_series.h"

namespace qv::qvchart {

struct Layout {
    int width = 1200;
    int height = 600;
    double left = 80, right = 20, top = 40, bottom = 50;  // margins around the plot area
    DayNumber first_day = no_date, last_day = no_date;
    double lowest = 0, highest = 1;

    double plot_width() const { return width - left - right; }
    double plot_height() const { return height - top - bottom; }
    double x_of(DayNumber day) const;
    double y_of(double price) const;
};

// The layout that shows every day and price of the chart, with a little room
// above and below the prices.
Layout layout_for(const Chart& chart, int width = 1200, int height = 600);

// Round price steps for the vertical axis: about `count` ticks over the range.
std::vector<double> price_ticks(double lowest, double highest, int count = 6);

}  // namespace qv::qvchart
