// The item functions over delimited lists. Items count from 1; each function
// returns a new string and leaves its arguments unchanged.
#include <algorithm>
#include <string>
#include <strings.h>

#include "scriptlib/families.h"
#include "scriptlib/item_lists.h"

namespace qsl {
namespace {

// The list and delimiter arguments, copied out of the string heap (which may
// move when the result is stored).
struct ListArguments {
    std::string list;
    std::string delimiter;
    std::vector<std::string_view> items;

    ListArguments(const Call& call, int list_at)
        : list(call.text(list_at)), delimiter(list_delimiter(call.text(list_at + 1))) {
        items = split_items(list, delimiter);
    }
};

// A delimiter left at the very end of a built list is removed.
std::string built_list(const std::vector<std::string_view>& items, const std::string& delimiter) {
    std::string list = join_items(items, delimiter);
    if (list.size() >= delimiter.size() && list.compare(list.size() - delimiter.size(), delimiter.size(), delimiter) == 0)
        list.resize(list.size() - delimiter.size());
    check_built_length(list.size());
    return list;
}

void item_count(Call& call) { call.out.set_int(int32_t(ListArguments(call, 0).items.size())); }

// ItemExtract(index, list, delimiter): -1 is the last item; an index beyond
// the count gives an empty string.
void item_extract(Call& call) {
    ListArguments a(call, 1);
    int32_t index = call.integer(0), count = int32_t(a.items.size());
    if (index == -1) index = count;
    call.out.set_string(index >= 1 && index <= count ? std::string(a.items[size_t(index - 1)]) : "");
}

// ItemInsert(item, index, list, delimiter): index 0 inserts at the front,
// index k after the k-th item; an index never reached appends.
void item_insert(Call& call) {
    std::string item = call.text(0);
    ListArguments a(call, 2);
    int32_t index = call.integer(1);
    if (index >= 0 && size_t(index) < a.items.size()) a.items.insert(a.items.begin() + index, item);
    else a.items.push_back(item);
    call.out.set_string(built_list(a.items, a.delimiter));
}

void item_remove(Call& call) {
    ListArguments a(call, 1);
    int32_t index = call.integer(0);
    if (index >= 1 && size_t(index) <= a.items.size()) a.items.erase(a.items.begin() + (index - 1));
    call.out.set_string(built_list(a.items, a.delimiter));
}

void item_locate(Call& call) {
    std::string item = call.text(0);
    ListArguments a(call, 1);
    auto at = std::find(a.items.begin(), a.items.end(), item);
    call.out.set_int(item.empty() || at == a.items.end() ? 0 : int32_t(at - a.items.begin() + 1));
}

// Sorting takes the smallest remaining item each time, the first of equal
// items first: a stable sort.
void sort_items(Call& call, bool ignore_case) {
    ListArguments a(call, 0);
    std::stable_sort(a.items.begin(), a.items.end(), [ignore_case](std::string_view x, std::string_view y) {
        std::string left(x), right(y);
        if (ignore_case) {
            int folded = strcasecmp(left.c_str(), right.c_str());
            if (folded) return folded < 0;
        }
        return left < right;
    });
    call.out.set_string(join_items(a.items, a.delimiter));
}

void item_sort(Call& call) { sort_items(call, false); }
void item_sort_nc(Call& call) { sort_items(call, true); }

const Builtin functions[] = {
    {"itemcount", item_count},   {"itemextract", item_extract}, {"iteminsert", item_insert},
    {"itemlocate", item_locate}, {"itemremove", item_remove},   {"itemsort", item_sort},
    {"itemsortnc", item_sort_nc},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
