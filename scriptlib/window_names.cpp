#include "scriptlib/window_names.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "scriptlib/run_loop.h"

namespace qsl {
namespace {

constexpr std::string_view identifier_prefix = "#WIN$ID#";
constexpr size_t identifier_length = 16;
// Titles of the old DOS-box host windows are never a script's target.
constexpr std::string_view never_matched = "WinOldAp";
constexpr int64_t retry_pause_ms = 1000;
std::atomic<bool> g_retries{true};

bool is_hex_digit(char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f'); }

QslHandle first_match(const Windows& windows, std::string_view pattern, QslHandle parent) {
    for (QslHandle window : windows.list(parent))
        if (title_matches(windows.title(window), pattern)) return window;
    return 0;
}

}  // namespace

void set_window_retries(bool enabled) { g_retries = enabled; }

std::string window_identifier(QslHandle window) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%08X", identifier_prefix.data(), unsigned(uint32_t(window)));
    return text;
}

std::optional<QslHandle> parse_window_identifier(std::string_view name) {
    if (name.size() != identifier_length || !name.starts_with(identifier_prefix)) return std::nullopt;
    QslHandle window = 0;
    for (char ch : name.substr(identifier_prefix.size())) {
        if (!is_hex_digit(ch)) return std::nullopt;
        int digit = ch <= '9' ? ch - '0' : (ch | 0x20) - 'a' + 10;
        window = window * 16 + QslHandle(digit);
    }
    return window;
}

bool title_matches(std::string_view title, std::string_view pattern) {
    if (title.empty() || title == never_matched) return false;
    bool leading = pattern.size() >= 2 && pattern.front() == '~';
    bool trailing = pattern.size() >= 2 && pattern.back() == '~';
    if (leading && trailing && pattern.size() >= 3) return title.ends_with(pattern.substr(1, pattern.size() - 2));
    if (leading) return title.find(pattern.substr(1)) != std::string_view::npos;
    if (trailing) return title == pattern.substr(0, pattern.size() - 1);
    return title.starts_with(pattern);
}

QslHandle find_window(Context& c, const Windows& windows, std::string_view name, QslHandle parent, Retry retry) {
    if (name.empty()) {
        QslHandle host = c.in->parent;
        return windows.exists(host) ? host : 0;
    }
    if (auto window = parse_window_identifier(name)) return windows.exists(*window) ? *window : 0;
    int64_t tries = retry == Retry::yes && g_retries ? int64_t(std::max(c.in->window_retry, 0)) + 1 : 1;
    for (int64_t attempt = 1;; ++attempt) {
        if (QslHandle window = first_match(windows, name, parent)) return window;
        if (attempt >= tries) return 0;
        wait_for(c, retry_pause_ms);
        if (c.in->terminate_requested) return 0;
    }
}

}  // namespace qsl
