// The built-in column headings of the index series: for each index tag a short
// name, and for each of its fields "<short name>-<field name>". A heading file
// \QUORVANT\<tag>.HDG replaces them (see load_headings).

#include <array>
#include <string_view>

#include "builder/headings.h"
#include "builder/index_tags.h"
#include "common/platform/text.h"

namespace qv::builder {

namespace {

// The short names the headings begin with. The indexes are known to the user
// by their tags (the first two characters of an IDX input line), so the tag is
// the short name; the fields are numbered as the input line numbers them.
struct IndexName {
    std::string_view tag;
    std::string_view short_name;
    std::string_view field_name;  // followed by the field number
};

constexpr std::array<IndexName, 43> index_names{{
    {"B1", "B1", "Fld"}, {"B2", "B2", "Fld"}, {"B3", "B3", "Fld"},
    {"BA", "BA", "Fld"}, {"BB", "BB", "Fld"}, {"BC", "BC", "Fld"}, {"BD", "BD", "Fld"},
    {"BE", "BE", "Fld"}, {"BF", "BF", "Fld"}, {"BG", "BG", "Fld"}, {"BH", "BH", "Fld"},
    {"X1", "X1", "Fld"}, {"X2", "X2", "Fld"}, {"X3", "X3", "Fld"}, {"X4", "X4", "Fld"},
    {"DA", "DA", "Fld"}, {"DB", "DB", "Fld"}, {"DC", "DC", "Fld"},
    {"X5", "X5", "Fld"},
    {"W1", "W1", "Fld"}, {"WA", "WA", "Fld"}, {"WB", "WB", "Fld"}, {"WC", "WC", "Fld"},
    {"W2", "W2", "Fld"}, {"W3", "W3", "Fld"}, {"W4", "W4", "Fld"},
    {"C1", "C1", "Fld"}, {"C2", "C2", "Fld"}, {"C3", "C3", "Fld"},
    {"FA", "FA", "Fld"}, {"FB", "FB", "Fld"}, {"FC", "FC", "Fld"}, {"FD", "FD", "Fld"}, {"FE", "FE", "Fld"},
    {"FF", "FF", "Fld"}, {"FG", "FG", "Fld"}, {"FH", "FH", "Fld"}, {"FI", "FI", "Fld"}, {"FJ", "FJ", "Fld"},
    {"FL", "FL", "Fld"}, {"FM", "FM", "Fld"}, {"FN", "FN", "Fld"},
    {"FZ", "FZ", "Fld"},
}};

}  // namespace

std::vector<std::string> default_index_headings(std::string_view tag) {
    std::vector<std::string> headings;
    const int fields = index_field_count(tag);
    for (const IndexName& name : index_names) {
        if (name.tag != tag) continue;
        for (int field = 1; field <= fields; ++field) {
            headings.push_back(format("%.*s-%.*s%d", static_cast<int>(name.short_name.size()), name.short_name.data(),
                                      static_cast<int>(name.field_name.size()), name.field_name.data(), field));
        }
    }
    return headings;
}

}  // namespace qv::builder
