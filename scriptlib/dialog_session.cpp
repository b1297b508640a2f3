// Keys and clicks in a shown dialog.
#include "scriptlib/dialog_session.h"

#include <algorithm>
#include <cstring>

namespace qsl {
namespace {

bool same_group(const QslDialogControl& a, const QslDialogControl& b) {
    return a.type == QSL_CONTROL_RADIO && b.type == QSL_CONTROL_RADIO && a.variable && b.variable &&
           std::strcmp(a.variable, b.variable) == 0;
}

}  // namespace

DialogSession::DialogSession(QslDialog& dialog)
    : dialog_(dialog), cursor_(size_t(std::max(dialog.count, 0)), 0), top_(size_t(std::max(dialog.count, 0)), 0) {
    focus_ = dialog.focus >= 0 && dialog.focus < dialog.count && focusable(dialog.focus) ? dialog.focus : -1;
    if (focus_ < 0) move_focus(1);
    for (int i = 0; i < dialog.count; ++i) {
        const QslDialogControl& control = dialog.controls[i];
        for (int item = 0; item < control.item_count; ++item)
            if (control.selected[item]) {
                cursor_[size_t(i)] = item;
                break;
            }
        top_[size_t(i)] = std::max(0, cursor_[size_t(i)] - list_rows(control) + 1);
    }
}

int DialogSession::list_rows(const QslDialogControl& list) { return std::max(1, list.height / 8 - 1); }

bool DialogSession::focusable(int index) const {
    int type = dialog_.controls[index].type;
    return type != QSL_CONTROL_STATIC;
}

void DialogSession::move_focus(int step) {
    for (int tried = 0, at = focus_; tried < dialog_.count; ++tried) {
        at = ((at < 0 && step < 0 ? 0 : at) + step + dialog_.count) % dialog_.count;
        if (focusable(at)) {
            focus_ = at;
            return;
        }
    }
}

void DialogSession::toggle(int index) {
    QslDialogControl& control = dialog_.controls[index];
    if (control.type == QSL_CONTROL_CHECK) control.checked = !control.checked;
    if (control.type == QSL_CONTROL_RADIO) {
        for (int i = 0; i < dialog_.count; ++i) {
            QslDialogControl& other = dialog_.controls[i];
            if (i == index || same_group(other, control)) other.checked = i == index;
        }
    }
    if (control.type == QSL_CONTROL_LIST && control.item_count > 0) {
        int at = cursor_[size_t(index)];
        bool mark = !control.selected[at];
        if (!control.multiple) std::fill(control.selected, control.selected + control.item_count, 0);
        control.selected[at] = mark;
    }
}

void DialogSession::move_in_list(int index, int step) {
    QslDialogControl& list = dialog_.controls[index];
    if (list.item_count == 0) return;
    int& at = cursor_[size_t(index)];
    at = std::clamp(at + step, 0, list.item_count - 1);
    int rows = list_rows(list);
    int& first = top_[size_t(index)];
    if (at < first) first = at;
    if (at >= first + rows) first = at - rows + 1;
    if (!list.multiple) {
        std::fill(list.selected, list.selected + list.item_count, 0);
        list.selected[at] = 1;
    }
}

// The arrows move the choice within a radio group, in definition order.
void DialogSession::move_in_group(int index, int step) {
    for (int at = index + step; at >= 0 && at < dialog_.count; at += step) {
        const QslDialogControl& other = dialog_.controls[at];
        if (same_group(other, dialog_.controls[index])) {
            focus_ = at;
            toggle(at);
            return;
        }
    }
}

void DialogSession::type(int index, char character) {
    QslDialogControl& edit = dialog_.controls[index];
    size_t length = strnlen(edit.edit, edit.edit_size);
    if (character == '\b') {
        // Removes the last character, all bytes of a multi-byte one.
        while (length > 0 && (static_cast<unsigned char>(edit.edit[length - 1]) & 0xC0) == 0x80) --length;
        if (length > 0) --length;
        edit.edit[length] = '\0';
    } else if (length + 1 < edit.edit_size) {
        edit.edit[length] = character;
        edit.edit[length + 1] = '\0';
    }
}

int DialogSession::key(DialogKey key, char character) {
    QslDialogControl* control = focus_ >= 0 ? &dialog_.controls[focus_] : nullptr;
    bool editing = control && (control->type == QSL_CONTROL_EDIT || control->type == QSL_CONTROL_PASSWORD);
    switch (key) {
        case DialogKey::tab: move_focus(1); break;
        case DialogKey::back_tab: move_focus(-1); break;
        case DialogKey::escape: return cancelled;
        case DialogKey::enter:
            if (control && control->type == QSL_CONTROL_BUTTON) return focus_;
            return dialog_.default_button >= 0 ? dialog_.default_button : going_on;
        case DialogKey::space:
            if (editing) type(focus_, ' ');
            else if (control && control->type == QSL_CONTROL_BUTTON) return focus_;
            else if (control) toggle(focus_);
            break;
        case DialogKey::up:
        case DialogKey::down: {
            int step = key == DialogKey::up ? -1 : 1;
            if (control && control->type == QSL_CONTROL_LIST) move_in_list(focus_, step);
            else if (control && control->type == QSL_CONTROL_RADIO) move_in_group(focus_, step);
            else move_focus(step);
            break;
        }
        case DialogKey::backspace:
            if (editing) type(focus_, '\b');
            break;
        case DialogKey::character:
            if (editing && static_cast<unsigned char>(character) >= ' ') type(focus_, character);
            break;
    }
    return going_on;
}

int DialogSession::click(int index, int row) {
    if (index < 0 || index >= dialog_.count || !focusable(index)) return going_on;
    focus_ = index;
    QslDialogControl& control = dialog_.controls[index];
    if (control.type == QSL_CONTROL_BUTTON) return index;
    if (control.type == QSL_CONTROL_LIST) {
        int item = top_[size_t(index)] + row;
        if (item < 0 || item >= control.item_count) return going_on;
        cursor_[size_t(index)] = item;
        toggle(index);
        return going_on;
    }
    if (control.type == QSL_CONTROL_CHECK || control.type == QSL_CONTROL_RADIO) toggle(index);
    return going_on;
}

}  // namespace qsl
