// What a key does in a shown dialog, the same on the terminal and on X11:
// Tab and Shift+Tab move the focus, Space toggles a check box, chooses a
// radio button, marks a list item or presses the focused push button, the
// arrows move in a list or a radio group, typing edits an edit box, Enter
// presses the focused or the default button and Escape cancels.
#pragma once

#include <string>
#include <vector>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

enum class DialogKey { tab, back_tab, space, enter, escape, up, down, backspace, character };

class DialogSession {
public:
    static constexpr int going_on = -10;  // the dialog stays open
    static constexpr int cancelled = -1;

    explicit DialogSession(QslDialog& dialog);

    // Acts on a key; returns the index of a push button that was pressed,
    // `cancelled`, or `going_on`.
    int key(DialogKey key, char character = 0);
    // Acts on a click on a control (for a list, on its visible row).
    int click(int index, int row);

    int focus() const { return focus_; }
    // A list's cursor and the first of its visible rows.
    int cursor(int index) const { return cursor_[size_t(index)]; }
    int top(int index) const { return top_[size_t(index)]; }
    // Rows a list shows within its height (one row of it is its frame).
    static int list_rows(const QslDialogControl& list);

private:
    bool focusable(int index) const;
    void move_focus(int step);
    void toggle(int index);
    void move_in_list(int index, int step);
    void move_in_group(int index, int step);
    void type(int index, char character);

    QslDialog& dialog_;
    int focus_ = -1;
    std::vector<int> cursor_, top_;
};

}  // namespace qsl
