#pragma once

// The index series an IDX input can name: each is known by a two-character tag
// (the first two characters of its input line) and has a fixed number of
// fields. Tags beginning with W, M or Q are periodic indexes (weekly, monthly,
// quarterly reports spread over the days between them); the others are daily.
// X4 carries weekday fields, which a repeated line sets to the current day.

#include <span>
#include <string_view>

namespace qv::builder {

struct IndexTag {
    std::string_view tag;
    int fields = 0;
};

// The 43 tags in their customary order.
std::span<const IndexTag> index_tags();

// The tag of that name (case matters: tags are upper case); nullptr when the
// name is no index tag.
const IndexTag* find_index_tag(std::string_view tag);

// The number of fields of a tag; 0 when it is no index tag.
int index_field_count(std::string_view tag);

// Whether the tag names a periodic index: it begins with W, M or Q.
bool is_periodic_index(std::string_view tag);

// Whether the tag's index holds weekday fields.
bool has_weekday_fields(std::string_view tag);

}  // namespace qv::builder
