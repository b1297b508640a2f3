#include "qvchart/chart_drawing.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <cmath>
#include <cstdio>
#include <memory>

#include "common/platform/paths.h"

namespace qv::qvchart {

namespace {

struct SurfaceCloser {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextCloser {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceCloser>;
using Context = std::unique_ptr<cairo_t, ContextCloser>;

bool ends_with_svg(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".svg";
}

void set_colour(cairo_t* cr, Colour colour) { cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue); }

void draw_text(cairo_t* cr, double x, double y, const std::string& text, bool centred = false, bool right = false) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    if (centred) x -= extents.width / 2;
    if (right) x -= extents.width;
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

std::string price_text(double price) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", price);
    return text;
}

void draw_axes(cairo_t* cr, const Chart& chart, const Layout& layout) {
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    set_colour(cr, {0.1, 0.1, 0.1});
    draw_text(cr, layout.left, 24, chart.title);

    // Horizontal grid lines with their prices.
    cairo_set_line_width(cr, 1);
    for (const double tick : price_ticks(layout.lowest, layout.highest)) {
        const double y = std::floor(layout.y_of(tick)) + 0.5;
        set_colour(cr, {0.88, 0.88, 0.88});
        cairo_move_to(cr, layout.left, y);
        cairo_line_to(cr, layout.width - layout.right, y);
        cairo_stroke(cr);
        set_colour(cr, {0.2, 0.2, 0.2});
        draw_text(cr, layout.left - 6, y + 4, price_text(tick), false, true);
    }
    // Years, or months when the chart spans less than two years.
    const Date first = lotus_to_date(layout.first_day);
    const Date last = lotus_to_date(layout.last_day);
    const bool by_month = last.year - first.year < 2;
    const int year_step = std::max(1, (last.year - first.year) / 10);
    for (int year = first.year; year <= last.year; ++year) {
        for (int month = 1; month <= 12; ++month) {
            if (!by_month && (month != 1 || (year - first.year) % year_step != 0)) continue;
            const DayNumber day = date_to_lotus(year, month, 1);
            if (day < layout.first_day || day > layout.last_day) continue;
            const double x = std::floor(layout.x_of(day)) + 0.5;
            set_colour(cr, {0.2, 0.2, 0.2});
            cairo_move_to(cr, x, layout.height - layout.bottom);
            cairo_line_to(cr, x, layout.height - layout.bottom + 5);
            cairo_stroke(cr);
            char label[16];
            if (by_month) std::snprintf(label, sizeof label, "%02d/%04d", month, year);
            else std::snprintf(label, sizeof label, "%04d", year);
            draw_text(cr, x, layout.height - layout.bottom + 18, label, true);
        }
    }
    // The frame of the plot area.
    set_colour(cr, {0.3, 0.3, 0.3});
    cairo_rectangle(cr, layout.left + 0.5, layout.top + 0.5, layout.plot_width() - 1, layout.plot_height() - 1);
    cairo_stroke(cr);
}

// Every roll day is one vertical line; together they are one path.
void draw_rolls(cairo_t* cr, const Chart& chart, const Layout& layout) {
    if (chart.roll_days.empty()) return;
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    set_colour(cr, roll_colour);
    for (const DayNumber day : chart.roll_days) {
        const double x = std::floor(layout.x_of(day)) + 0.5;
        cairo_move_to(cr, x, layout.top + 1);
        cairo_line_to(cr, x, layout.height - layout.bottom - 1);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void draw_line(cairo_t* cr, const PriceSeries& series, const Layout& layout, Colour colour) {
    bool first = true;
    for (const Bar& bar : series.bars) {
        const double x = layout.x_of(bar.day);
        const double y = layout.y_of(bar.close);
        if (first) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
        first = false;
    }
    cairo_set_line_width(cr, 1.5);
    set_colour(cr, colour);
    cairo_stroke(cr);
}

// Bars: the day's range as a vertical line, the open to the left and the close
// to the right, all in one path.
void draw_bars(cairo_t* cr, const PriceSeries& series, const Layout& layout, Colour colour) {
    const double tick = std::max(1.0, layout.plot_width() / double(series.bars.size()) / 3);
    for (const Bar& bar : series.bars) {
        const double x = layout.x_of(bar.day);
        cairo_move_to(cr, x, layout.y_of(bar.high));
        cairo_line_to(cr, x, layout.y_of(bar.low));
        cairo_move_to(cr, x - tick, layout.y_of(bar.open));
        cairo_line_to(cr, x, layout.y_of(bar.open));
        cairo_move_to(cr, x, layout.y_of(bar.close));
        cairo_line_to(cr, x + tick, layout.y_of(bar.close));
    }
    cairo_set_line_width(cr, 1);
    set_colour(cr, colour);
    cairo_stroke(cr);
}

void draw_legend(cairo_t* cr, const Chart& chart, const Layout& layout) {
    double x = layout.width - layout.right;
    for (std::size_t i = chart.series.size(); i-- > 0;) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, chart.series[i].label.c_str(), &extents);
        x -= extents.width + 30;
        set_colour(cr, i == 0 ? first_series_colour : second_series_colour);
        cairo_rectangle(cr, x, 14, 14, 10);
        cairo_fill(cr);
        set_colour(cr, {0.1, 0.1, 0.1});
        draw_text(cr, x + 18, 24, chart.series[i].label);
    }
}

}  // namespace

bool draw_chart(const Chart& chart, const Layout& layout, const std::string& path, std::string& error) {
    const std::string file = translate_path(path).string();
    const bool svg = ends_with_svg(path);
    Surface surface(svg ? cairo_svg_surface_create(file.c_str(), layout.width, layout.height)
                        : cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height));
    Context cr(cairo_create(surface.get()));
    set_colour(cr.get(), {1, 1, 1});
    cairo_paint(cr.get());
    draw_axes(cr.get(), chart, layout);
    draw_rolls(cr.get(), chart, layout);
    // The plot area clips the series.
    cairo_save(cr.get());
    cairo_rectangle(cr.get(), layout.left, layout.top, layout.plot_width(), layout.plot_height());
    cairo_clip(cr.get());
    for (std::size_t i = chart.series.size(); i-- > 0;) {
        const PriceSeries& series = chart.series[i];
        const Colour colour = i == 0 ? first_series_colour : second_series_colour;
        // Bars are drawn only while each has room of its own.
        if (series.has_bars && double(series.bars.size()) * 3 <= layout.plot_width())
            draw_bars(cr.get(), series, layout, colour);
        else draw_line(cr.get(), series, layout, colour);
    }
    cairo_restore(cr.get());
    draw_legend(cr.get(), chart, layout);
    cr.reset();
    cairo_status_t status = cairo_surface_status(surface.get());
    if (!svg && status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface.get(), file.c_str());
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    surface.reset();
    // Cairo and its font library keep caches for the life of the process; a
    // program that draws one chart gives them back when it is done.
    cairo_debug_reset_static_data();
    FcFini();
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + file + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace qv::qvchart
