#include "builder/series.h"

#include "common/console.h"
#include "common/text.h"

namespace qv::builder {

char BuildContext::separator() const {
    switch (settings.col_separator_character) {
    case 'S': return ' ';
    case 'T': return '\t';
    default: return ',';
    }
}

void show_year_processed(int year) {
    static int shown = -1;
    if (year == shown) return;
    shown = year;
    Console& screen = console();
    screen.go_to(46, 20);
    screen.write(format("%d", year));
}

}  // namespace qv::builder
