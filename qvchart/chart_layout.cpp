#include "qvchart/chart_layout.h"

#include <algorithm>
#include <cmath>

namespace qv::qvchart {

double Layout::x_of(DayNumber day) const {
    if (last_day == first_day) return left + plot_width() / 2;
    return left + plot_width() * double(day - first_day) / double(last_day - first_day);
}

double Layout::y_of(double price) const { return top + plot_height() * (highest - price) / (highest - lowest); }

Layout layout_for(const Chart& chart, int width, int height) {
    Layout layout;
    layout.width = width;
    layout.height = height;
    bool first = true;
    for (const PriceSeries& series : chart.series) {
        for (const Bar& bar : series.bars) {
            const double low = series.has_bars ? bar.low : bar.close;
            const double high = series.has_bars ? bar.high : bar.close;
            if (first) {
                layout.first_day = layout.last_day = bar.day;
                layout.lowest = low;
                layout.highest = high;
                first = false;
            }
            layout.first_day = std::min(layout.first_day, bar.day);
            layout.last_day = std::max(layout.last_day, bar.day);
            layout.lowest = std::min(layout.lowest, low);
            layout.highest = std::max(layout.highest, high);
        }
    }
    const double room = layout.highest > layout.lowest ? (layout.highest - layout.lowest) * 0.05 : 1.0;
    layout.lowest -= room;
    layout.highest += room;
    return layout;
}

std::vector<double> price_ticks(double lowest, double highest, int count) {
    const double raw = (highest - lowest) / std::max(count, 1);
    if (!(raw > 0)) return {lowest};
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw) break;
    }
    std::vector<double> ticks;
    for (double tick = std::ceil(lowest / step) * step; tick <= highest; tick += step) ticks.push_back(tick);
    return ticks;
}

}  // namespace qv::qvchart
