#include "qvchart/chart_drawing.h"
#include "qvchart/chart_layout.h"
#include "qvchart/chart_series.h"

#include "common/clc_file.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace qv::qvchart {
namespace {

namespace fs = std::filesystem;

const DayNumber dec1 = date_to_lotus(2020, 12, 1);

Commodity wheat() {
    Commodity c;
    c.tag = "W_";
    c.name = "WHEAT           ";
    c.precision = 2;
    c.bytes = 2;
    c.all_tag = "-HHHKKNNUUZZZ";
    return c;
}

// 40 days of wheat rising by a cent a day, with a roll of +50 cents before day 20.
void write_wheat() {
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name("W_"), make_clc_header("W_", 2, 2)));
    for (int i = 0; i < 40; ++i) {
        if (i == 20) writer.write({0, 600 + 19, 0, 0, 650 + 19, 0, 0, 0});
        const std::int32_t close = 600 + i + (i >= 20 ? 50 : 0);
        writer.write({DayNumber(dec1 + i), close, close + 2, close - 2, close, 1, 2, 3});
    }
    ASSERT_TRUE(writer.finish());
}

struct Picture {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface{nullptr, cairo_surface_destroy};
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    // Red, green and blue of a pixel, 0 to 255 each.
    std::array<int, 3> pixel(int x, int y) const {
        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        const auto word = *reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(surface.get()) + 4 * x);
        return {int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF)};
    }
};

Picture read_png(const fs::path& path) {
    Picture picture;
    picture.surface.reset(cairo_image_surface_create_from_png(path.c_str()));
    cairo_surface_flush(picture.surface.get());
    return picture;
}

bool is_roll_red(std::array<int, 3> p) { return p[0] > 180 && p[1] < 60 && p[2] < 60; }
bool is_first_blue(std::array<int, 3> p) { return p[2] > 150 && p[0] < 120 && p[2] - p[0] > 80; }

TEST(Chart, ClcSeriesBesideItsBackAdjustmentWithTheRollMarked) {
    qv::testing::TempInstall install;
    fs::create_directories(install.path("CLC"));
    write_wheat();
    std::string error;
    const auto chart = read_clc_chart(wheat(), error);
    ASSERT_TRUE(chart) << error;
    ASSERT_EQ(chart->series.size(), 2u);
    ASSERT_EQ(chart->roll_days, std::vector<DayNumber>{DayNumber(dec1 + 20)});
    // Before the roll the back-adjusted closes stand 50 cents higher; after it they are the same.
    EXPECT_DOUBLE_EQ(chart->series[1].bars[0].close - chart->series[0].bars[0].close, 0.50);
    EXPECT_DOUBLE_EQ(chart->series[1].bars[39].close, chart->series[0].bars[39].close);

    const Layout layout = layout_for(*chart);
    const fs::path png = install.path("wheat.png");
    ASSERT_TRUE(draw_chart(*chart, layout, png.string(), error)) << error;
    const Picture picture = read_png(png);
    ASSERT_EQ(cairo_surface_status(picture.surface.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(picture.width(), 1200);
    EXPECT_EQ(picture.height(), 600);

    // The roll mark stands in the roll day's column over the plot area, and not
    // in the column of a day without a roll.
    auto red_rows = [&](int x) {
        int rows = 0;
        for (int y = int(layout.top) + 2; y < int(layout.height - layout.bottom) - 2; ++y)
            rows += is_roll_red(picture.pixel(x, y));
        return rows;
    };
    const int roll_x = int(layout.x_of(DayNumber(dec1 + 20)));
    EXPECT_GT(red_rows(roll_x), int(layout.plot_height()) * 3 / 4);
    EXPECT_EQ(red_rows(int(layout.x_of(DayNumber(dec1 + 10)))), 0);

    // The stored series is drawn where its last close falls.
    const int last_x = int(layout.x_of(DayNumber(dec1 + 30)));
    bool drawn = false;
    for (int y = int(layout.y_of(6.80)) - 6; y <= int(layout.y_of(6.80)) + 6; ++y)
        for (int x = last_x - 3; x <= last_x + 3; ++x) drawn = drawn || is_first_blue(picture.pixel(x, y));
    EXPECT_TRUE(drawn);
}

TEST(Chart, BuiltOutputWithBarsAsSvgHasOnePathPerSeries) {
    qv::testing::TempInstall install;
    install.write("OUT.TXT",
                  "\"Date\",\"Open\",\"High\",\"Low\",\"Close\",\"Month\"\n"
                  "20201201,1.5,2.5,1.0,2.0,202103\n"
                  "20201202,2.0,3.0,1.5,2.5,202103\n"
                  "20201203,2.5,3.5,2.0,3.0,202105\n");
    std::string error;
    const auto chart = read_built_output(install.path("OUT.TXT").string(), error);
    ASSERT_TRUE(chart) << error;
    ASSERT_EQ(chart->series.size(), 1u);
    EXPECT_TRUE(chart->series[0].has_bars);
    EXPECT_EQ(chart->series[0].bars[2].high, 3.5);
    EXPECT_EQ(chart->roll_days, std::vector<DayNumber>{DayNumber(dec1 + 2)});

    const fs::path svg = install.path("out.svg");
    ASSERT_TRUE(draw_chart(*chart, layout_for(*chart), svg.string(), error)) << error;
    const std::string text = install.read("out.svg");
    auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("stroke:rgb(10%,25%,75%)"), 1u);  // the bars
    EXPECT_EQ(count("stroke:rgb(85%,10%,10%)"), 1u);  // the roll marks
    // Well-formed: an XML reader of its own reads it whole.
    const std::string check = "python3 -c \"import sys,xml.etree.ElementTree as E; E.parse(sys.argv[1])\" '" +
                              svg.string() + "'";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST(Chart, UnreadableInputsAreRefused) {
    qv::testing::TempInstall install;
    install.write("EMPTY.TXT", "\"Date\",\"Close\"\n");
    std::string error;
    EXPECT_FALSE(read_built_output(install.path("EMPTY.TXT").string(), error));
    EXPECT_NE(error.find("no line"), std::string::npos);
    EXPECT_FALSE(read_built_output(install.path("MISSING.TXT").string(), error));
    EXPECT_FALSE(read_clc_chart(wheat(), error));
}

TEST(ChartLayout, PriceTicksAreRoundSteps) {
    EXPECT_EQ(price_ticks(0.95, 2.05, 5), (std::vector<double>{1.0, 1.25, 1.5, 1.75, 2.0}));
    EXPECT_EQ(price_ticks(240, 1510, 6), (std::vector<double>{250, 500, 750, 1000, 1250, 1500}));
}

}  // namespace
}  // namespace qv::qvchart
