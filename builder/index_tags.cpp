#include "builder/index_tags.h"

#include <array>

namespace qv::builder {

namespace {

constexpr std::array<IndexTag, 43> tags{{
    {"B1", 26}, {"B2", 16}, {"B3", 11},
    {"BA", 16}, {"BB", 16}, {"BC", 16}, {"BD", 16}, {"BE", 16}, {"BF", 16}, {"BG", 16}, {"BH", 16},
    {"X1", 27}, {"X2", 16}, {"X3", 19}, {"X4", 4},
    {"DA", 20}, {"DB", 20}, {"DC", 20},
    {"X5", 28},
    {"W1", 14}, {"WA", 20}, {"WB", 20}, {"WC", 20}, {"W2", 12}, {"W3", 20}, {"W4", 22},
    {"C1", 28}, {"C2", 28}, {"C3", 25},
    {"FA", 24}, {"FB", 24}, {"FC", 24}, {"FD", 24}, {"FE", 24},
    {"FF", 24}, {"FG", 24}, {"FH", 24}, {"FI", 24}, {"FJ", 24},
    {"FL", 24}, {"FM", 24}, {"FN", 24},
    {"FZ", 28},
}};

}  // namespace

std::span<const IndexTag> index_tags() { return tags; }

const IndexTag* find_index_tag(std::string_view tag)
{
    for (const IndexTag& entry : tags) {
        if (entry.tag == tag) return &entry;
    }
    return nullptr;
}

int index_field_count(std::string_view tag)
{
    const IndexTag* entry = find_index_tag(tag);
    return entry ? entry->fields : 0;
}

bool is_periodic_index(std::string_view tag)
{
    return !tag.empty() && (tag[0] == 'W' || tag[0] == 'M' || tag[0] == 'Q');
}

bool has_weekday_fields(std::string_view tag) { return tag == "X4"; }

}  // namespace qv::builder
