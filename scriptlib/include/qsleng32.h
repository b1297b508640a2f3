/*
 * qsleng32.h - the public interface of the QSL script processor library.
 *
 * A host sets up one script processor instance with DoDaDllInit (phases 0,
 * 1, 2, 3), hands it scripts with ProcessDaBatBuffer, answers its own
 * functions through a callback, and tears the instance down with phase 99.
 * Every handle, window and word is a pointer-sized unsigned integer; texts
 * are UTF-8; strings cross the boundary as offsets into the string heap.
 *
 * Compiles as C and as C++.
 */
#ifndef QSLENG32_H
#define QSLENG32_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QSL_BUILDING_LIBRARY)
#define QSL_API __attribute__((visibility("default")))
#else
#define QSL_API
#endif

typedef uintptr_t QslHandle; /* global memory handle, window or word */

/* ---- interface constants ---------------------------------------------- */

#define QSL_INTERFACE_VERSION 19          /* bits 8-15 of the phase-0 handle */
#define QSL_INSTANCE_SIZE 26968           /* bytes of the instance block */
#define QSL_EXTENDER_MAGIC 805503237      /* 0x30030105 */
#define QSL_VERSION_TEXT "2.8jbt"

/* Global memory flags, as the classic allocator takes them. */
#define QSL_GMEM_MOVEABLE 0x02
#define QSL_GMEM_ZEROINIT 0x40

/* Type flag bits of a value record. */
#define QSL_TYPE_INTEGER 0x01
#define QSL_TYPE_STRING 0x02
#define QSL_TYPE_DECLARED 0x08
#define QSL_TYPE_OBJECT 0x10
#define QSL_TYPE_FLOAT 0x20

/* Control codes that stand where an error number would. */
#define QSL_EXIT_EXECUTED 9000
#define QSL_PREVIOUSLY_REPORTED 9002
#define QSL_STOP_REQUESTED 9012
#define QSL_STOP_QUIETLY 9013
#define QSL_USER_CANCEL 9999

/* Host notification option bits (DLLServices 3). */
#define QSL_NOTIFY_IDLE 0x01
#define QSL_NOTIFY_STATEMENT 0x02
#define QSL_NOTIFY_CALL 0x04

/* Run-option bits (IntControl 12, DLLServices 4). */
#define QSL_RUN_NO_TERMINATE_MESSAGE 0x04
#define QSL_RUN_NO_BREAK 0x08

/* ---- records that cross the boundary ------------------------------------ */

/* A value: 24 bytes. The string offset points into the string heap. */
typedef struct QslValue {
    double float_value;
    int32_t int_value;
    uint32_t type;
    uint32_t string_offset;
    int16_t var_index; /* -1: not a variable */
    int16_t reserved;
} QslValue;

/* One entry of a function table: 24 bytes. Host and extender tables use it. */
typedef struct QslNameEntry {
    uint16_t code;
    uint16_t cls;   /* 2 function, 4 command; bit 0x2000 disabled */
    uint16_t count; /* number of arguments, 100: reads its own */
    uint16_t mask;  /* bit i-1: argument i is a string; bit i+7: a float */
    uint16_t length;
    char name[14];  /* lower case, zero padded */
} QslNameEntry;

/* A variable slot of the host's variable table is 52 bytes, unaligned:
 * float at 0, integer at 8, type at 12 (0 = free slot), string offset at 16,
 * lower-case name of up to 30 characters at 20 (32-byte field). */
#define QSL_VARIABLE_SLOT_SIZE 52

/* ---- callbacks ---------------------------------------------------------- */

/* Delivers a function result into the pending value (the answer context). */
typedef int (*QslAnswerProc)(intptr_t code, uintptr_t ignored, uintptr_t answer_context,
                             uintptr_t string_flag, intptr_t int_value, const char *text);

/*
 * The host callback and an extender's entry point share one signature of
 * twelve pointer-sized arguments:
 *   (host data word, parent window, interface parameter word, magic,
 *    request, answer callback, answer context, extender slot data,
 *    arg9, arg10, arg11, arg12)
 * Function calls (request = the function's number; host functions get
 * code - 900): arg9 points to the argument value records, arg10 is their
 * count, arg11 is the locked base address of the string heap, arg12 the
 * instance handle. The result goes through the answer callback; the return
 * value is >= 0 on success, -1 minor, -2 moderate, -3 severe error, -4 stop
 * without message, -5 user cancel, -6 stop.
 * Request 98 (extenders: enumerate): arg9 points to a QslNameEntry to fill,
 * arg10 is the index; return 1 when the entry was filled, 0 when there are
 * no more, -1 when the extender refuses to load. Request 99: unload.
 * Host notifications: request -1 with arg9 = "1" (idle) or "2" (a statement
 * is about to run; arg10 = the buffer, arg11 = the line offset, arg12 = the
 * index of the last assigned variable), -3 at teardown, -4 before and after
 * a CALL (arg9 "1" before, "2" after).
 *
 * On ELF the entry point is the symbol _QSLExtender (the "@48" of its
 * classic name is the size of its arguments); a library that carries the
 * literal name "_QSLExtender@48" is accepted too.
 */
typedef int (*QslExtenderProc)(uintptr_t host_word, uintptr_t parent_window,
                               uintptr_t interface_word, uintptr_t magic, intptr_t request,
                               QslAnswerProc answer, uintptr_t answer_context,
                               uintptr_t slot_data, uintptr_t arg9, uintptr_t arg10,
                               uintptr_t arg11, uintptr_t arg12);

/* ---- entry points ------------------------------------------------------- */

QSL_API int DoDaDllInit(QslHandle window, QslHandle instance, QslHandle second, int phase,
                        int count, const char *first_name, const char *second_name);
QSL_API int ProcessDaBatBuffer(QslHandle window, QslHandle instance, QslHandle script,
                               QslExtenderProc host_callback, uintptr_t host_data);
QSL_API int DLLServices(QslHandle instance, int service, const char *first_text,
                        char *second_text, int number, uintptr_t extra);
QSL_API int ViperAnswer(intptr_t code, uintptr_t ignored, uintptr_t answer_context,
                        uintptr_t string_flag, intptr_t int_value, const char *text);

/* Exported helpers for extenders that read their own arguments. */
QSL_API int get_token(QslHandle instance);
QSL_API int ProcessSubExpression(QslHandle instance, QslValue *value, int assignment_allowed);
QSL_API int find_var(QslHandle instance, const char *name);
QSL_API uint32_t VMalloc(QslHandle instance, uint32_t size);
QSL_API void VFree(QslHandle instance, uint32_t offset);

/*
 * Checks and splits a date-time string "year:month:day[:hour:minute:second]"
 * into fields[0..5] (year, month, day, hour, minute, second). Check levels:
 * 0 syntax only; 1 full date and time; 2 like 1, but hour 24 is accepted
 * (as 0) and the time fields are not range-checked; 3 the time fields only.
 * With expand_years, a year of one or two digits becomes 2000+ (below 50)
 * or 1900+. Returns 1 when valid, else 0.
 */
QSL_API int ParseYMDHMS(const char *text, int32_t fields[6], int check_level, int expand_years);

/* ---- menu files and hot keys -------------------------------------------- */

/*
 * A menu record is a host-owned, zero-filled block of at least 1032 bytes,
 * one per loaded menu file: the file name at byte 0 (NUL-terminated, up to
 * 1024 bytes; the host writes the name it wants, LoadStandardMenu replaces
 * it with the full path), the file's DOS date and time at 1024 and 1026 and
 * the menu set letter index at 1028 (0 = "A"), 16-bit little-endian each.
 * A hot-key record (at least 404 bytes) holds a 16-bit count, two reserved
 * bytes and up to 100 entries {16-bit key code, 16-bit command identifier};
 * LoadStandardMenu fills it anew. Records and texts are passed as
 * pointer-sized integers.
 */
#define QSL_MENU_RECORD_SIZE 1032
#define QSL_MENU_NAME_MAX 1024
#define QSL_MENU_DATE_AT 1024
#define QSL_MENU_TIME_AT 1026
#define QSL_MENU_SET_AT 1028
#define QSL_HOT_KEY_RECORD_SIZE 404
#define QSL_HOT_KEY_MAX 100

/* LoadStandardMenu targets; any other value is a menu to add the items to. */
#define QSL_MENU_TARGET_POPUP 0
#define QSL_MENU_TARGET_BAR 1
/* What ParseStandardMenu returns when the file changed since it was loaded. */
#define QSL_MENU_CHANGED ((QslHandle)-1)

/* Key codes: the key in the low byte, modifier bits above it. HotKeyCheck
 * takes them in its key argument too, as the keyboard state the host saw
 * with the message (there is no global key state to ask). */
#define QSL_HOT_KEY_SHIFT 0x8000
#define QSL_HOT_KEY_CTRL 0x4000
#define QSL_HOT_KEY_ALT 0x2000
#define QSL_HOT_KEY_VIRTUAL 0x1000
#define QSL_WM_KEYDOWN 0x100 /* key: the virtual key code */
#define QSL_WM_CHAR 0x102    /* key: the character */

/* Flags in the high 16 bits of MenuSelectProcessing's menu-select word: a
 * popup (the low 16 bits are then its position in the menu), the system menu;
 * all 16 bits set with menu 0: the menu was closed. */
#define QSL_MF_POPUP 0x0010
#define QSL_MF_SYSMENU 0x2000

QSL_API QslHandle LoadStandardMenu(uintptr_t instance, uintptr_t window, uintptr_t first_id, uintptr_t id_limit,
                                   uintptr_t menu_record, uintptr_t message_title, uintptr_t hot_key_record,
                                   uintptr_t target);
/* Mode 0: item counts the menu's items in file order from 0 (the command
 * identifier minus the first one); other modes: other_item counts every title
 * (popups too) from 0. */
QSL_API QslHandle ParseStandardMenu(uintptr_t instance, uintptr_t window, uintptr_t item, uintptr_t mode,
                                    uintptr_t other_item, uintptr_t unused, uintptr_t menu_record,
                                    uintptr_t message_title);
QSL_API int MenuSelectProcessing(uintptr_t instance, uintptr_t window, uintptr_t select_word, uintptr_t menu,
                                 uintptr_t lowest_id, uintptr_t highest_id, uintptr_t text, uintptr_t text_size,
                                 uintptr_t menu_record, uintptr_t system_menu);
QSL_API int HotKeyCheck(uintptr_t instance, uintptr_t window, uintptr_t message, uintptr_t key,
                        uintptr_t hot_key_record);

/* The menus LoadStandardMenu builds, for a host that shows them. */
#define QSL_MENU_ENTRY_ITEM 0
#define QSL_MENU_ENTRY_POPUP 1
#define QSL_MENU_ENTRY_SEPARATOR 2
typedef struct QslMenuEntry {
    int kind;
    int command;      /* an item's command identifier */
    QslHandle popup;  /* a popup's menu */
    int new_column;   /* the entry starts a new column */
    char text[256];   /* the title, then a tab and the hot key in words */
} QslMenuEntry;
/* The number of entries, or -1 for a handle that is not a menu. */
QSL_API int QslMenuEntryCount(QslHandle menu);
/* Fills the entry at position (from 0); 1, or 0 when there is none. */
QSL_API int QslGetMenuEntry(QslHandle menu, int position, QslMenuEntry *entry);
/* Destroys the menu and its popups; 1, or 0 for a handle that is not a menu. */
QSL_API int QslDestroyMenu(QslHandle menu);

/* ---- global memory blocks ----------------------------------------------- */

QSL_API QslHandle QslGlobalAlloc(unsigned flags, size_t bytes);
QSL_API QslHandle QslGlobalReAlloc(QslHandle handle, size_t bytes, unsigned flags);
QSL_API void *QslGlobalLock(QslHandle handle);
QSL_API int QslGlobalUnlock(QslHandle handle);
QSL_API size_t QslGlobalSize(QslHandle handle);
QSL_API QslHandle QslGlobalFree(QslHandle handle); /* 0 on success */

/* ---- Ctrl+Break --------------------------------------------------------- */

/*
 * Asks every running script to stop at its next statement, as Ctrl+Break
 * did. Async-signal-safe: a host may call it from its SIGINT handler. The
 * library installs no signal handler of its own; an instance whose run
 * options disable breaking ignores the request.
 */
QSL_API void QslRequestBreak(void);

/* Where the statement of this thread's last error report stands: returns its
 * line number in its script (the first line is 1; 0 before any report) and
 * copies into file (at most file_size bytes) the script file a CALL ran, or
 * "" for the script the host handed over. A host calls it from its message
 * box to name the place of the error. */
QSL_API int QslErrorPlace(char *file, size_t file_size);

/* ---- replaceable interfaces --------------------------------------------- */

/* Message box buttons and answers. */
#define QSL_MB_OK 0
#define QSL_MB_OKCANCEL 1
#define QSL_MB_YESNO 4
#define QSL_ID_OK 1
#define QSL_ID_CANCEL 2
#define QSL_ID_ABORT 3
#define QSL_ID_RETRY 4
#define QSL_ID_IGNORE 5
#define QSL_ID_YES 6
#define QSL_ID_NO 7

/* Single-step dialog buttons. */
#define QSL_STEP_NEXT 1
#define QSL_STEP_RUN 2
#define QSL_STEP_SHOW_VAR 3
#define QSL_STEP_CANCEL 4

typedef struct QslInterfaces {
    /* A message box; returns the QSL_ID_ of the button pressed. */
    int (*message_box)(void *user, const char *title, const char *text, int buttons);
    /* The single-step dialog: shows the text; for Show Var it fills the
     * variable name (at most name_size bytes) and returns QSL_STEP_SHOW_VAR. */
    int (*step_dialog)(void *user, const char *text, char *name, size_t name_size);
    /* The registry: reads value_name under key into out; 1 when found. */
    int (*registry_read)(void *user, const char *key, const char *value_name, char *out,
                         size_t out_size);
    int (*registry_write)(void *user, const char *key, const char *value_name,
                          const char *value);
    /* The clipboard. */
    int (*clipboard_get)(void *user, char *out, size_t out_size);
    int (*clipboard_put)(void *user, const char *text);
    /* Sounds: a named event sound; "" is the default beep. */
    void (*play_sound)(void *user, const char *event_name);
    /* Windows: 1 when a window of that handle exists (by default: in the window
     * interface below). */
    int (*window_exists)(void *user, QslHandle window);
    QslHandle (*window_parent)(void *user, QslHandle window);
    /* Posts a menu command to a window (HotKeyCheck); the default does nothing. */
    void (*post_command)(void *user, QslHandle window, int command);
    void *user;
} QslInterfaces;

/* Installs a host's implementation; members left NULL keep the headless
 * default. Passing NULL restores all defaults. */
QSL_API void QslSetInterfaces(const QslInterfaces *interfaces);
/* The headless defaults, for a host that wants to wrap one of them. */
QSL_API void QslGetDefaultInterfaces(QslInterfaces *interfaces);

/* ---- the window interface ------------------------------------------------ */

/*
 * Windows, keys and the mouse go through this interface. The default is the
 * X server of $DISPLAY when it is set, else a headless list that holds only
 * the windows a host registers (QslRegisterWindow). A host installs its own
 * with QslSetWindowInterface; members left NULL keep the headless default,
 * except the input members (send_key, pointer, move_pointer, press_button):
 * without them keys and the mouse fail (the script gets the error number of
 * its function and the reason).
 * Windows are handles; 0 is "no window". Rectangles are pixels of the
 * screen: left, top, right, bottom.
 */
#define QSL_WINDOW_TITLE 0   /* text kinds of QslWindowInterface.text */
#define QSL_WINDOW_CLASS 1
#define QSL_WINDOW_PROGRAM 2 /* the full path of the window's program */
#define QSL_WINDOW_PROCESS 3 /* the process id of the window's program, in digits */

#define QSL_WINDOW_HIDDEN (-1) /* states */
#define QSL_WINDOW_ICONIC 1
#define QSL_WINDOW_NORMAL 2
#define QSL_WINDOW_ZOOMED 3

#define QSL_WINDOW_ACTIVATE 1 /* actions */
#define QSL_WINDOW_CLOSE 2
#define QSL_WINDOW_ICONIZE 3
#define QSL_WINDOW_ZOOM 4
#define QSL_WINDOW_SHOW 5 /* shown at its normal size */
#define QSL_WINDOW_HIDE 6

#define QSL_KEY_SHIFT 0x01 /* modifiers of send_key */
#define QSL_KEY_CONTROL 0x02
#define QSL_KEY_ALT 0x04

#define QSL_BUTTON_LEFT 1 /* mouse buttons, and bits of pointer's buttons */
#define QSL_BUTTON_RIGHT 2
#define QSL_BUTTON_MIDDLE 4

typedef struct QslWindowInterface {
    /* The top-level windows (parent 0) or the children of parent, topmost
     * first, into windows[0..capacity); returns how many there are (which
     * may be more than capacity). */
    int (*list)(void *user, QslHandle parent, QslHandle *windows, int capacity);
    int (*exists)(void *user, QslHandle window);
    QslHandle (*parent)(void *user, QslHandle window); /* 0 for a top-level window */
    /* A text of the window (QSL_WINDOW_TITLE, ...) into out; 1 when known. */
    int (*text)(void *user, QslHandle window, int kind, char *out, size_t out_size);
    int (*set_title)(void *user, QslHandle window, const char *title);
    QslHandle (*active)(void *user);
    int (*state)(void *user, QslHandle window); /* QSL_WINDOW_HIDDEN, ...; 0 when gone */
    int (*act)(void *user, QslHandle window, int action); /* 1 when done */
    int (*get_rect)(void *user, QslHandle window, int rect[4]);
    int (*set_rect)(void *user, QslHandle window, const int rect[4]);
    int (*screen_size)(void *user, int size[2]);
    /* Types one key into the window that has the focus: key is one UTF-8
     * character or a key name (ENTER, TAB, ESC, BACKSPACE, DELETE, INSERT,
     * HOME, END, PGUP, PGDN, UP, DOWN, LEFT, RIGHT, SPACE, F1 to F16). */
    int (*send_key)(void *user, QslHandle window, const char *key, unsigned modifiers);
    int (*pointer)(void *user, int position[2], unsigned *buttons);
    int (*move_pointer)(void *user, int x, int y);
    int (*press_button)(void *user, int button, int down);
    void *user;
} QslWindowInterface;

/* NULL restores the default. */
QSL_API void QslSetWindowInterface(const QslWindowInterface *windows);
/* Registers a window of the host in the headless list (topmost; parent 0 for
 * a top-level window), or changes the parent, title and class of one
 * registered. */
QSL_API void QslRegisterWindow(QslHandle window, QslHandle parent, const char *title,
                               const char *class_name);
QSL_API void QslUnregisterWindow(QslHandle window);

/* ---- the dialog interface ----------------------------------------------- */

/*
 * Dialogs that a script describes (the `dialog` function) and the ask, item
 * and text boxes of the library are one form of controls handed to the
 * dialog interface. Positions and sizes are in dialog units: a character
 * cell is 4 units wide and 8 units high.
 */
#define QSL_CONTROL_STATIC 1   /* a label */
#define QSL_CONTROL_EDIT 2     /* a line of text */
#define QSL_CONTROL_PASSWORD 3 /* a line of text shown as stars */
#define QSL_CONTROL_RADIO 4    /* radio buttons with one variable form a group */
#define QSL_CONTROL_CHECK 5
#define QSL_CONTROL_BUTTON 6   /* a push button: value 1 OK, 0 Cancel */
#define QSL_CONTROL_LIST 7     /* a list of items to choose from */

typedef struct QslDialogControl {
    int type;                 /* QSL_CONTROL_ */
    int x, y, width, height;  /* dialog units */
    const char *variable;     /* the variable the control shows and sets */
    const char *text;         /* label; for a list its caption */
    int value;                /* a button's value */
    int checked;              /* radio button, check box: in and out */
    char *edit;               /* edit box: its text, in and out */
    size_t edit_size;         /* bytes of edit, the NUL included */
    int item_count;           /* list: its items */
    const char *const *items;
    unsigned char *selected;  /* list: one flag per item, in and out */
    int multiple;             /* list: more than one item may be selected */
} QslDialogControl;

typedef struct QslDialog {
    const char *caption;
    int x, y, width, height;  /* dialog units; a dialog off the screen is centred */
    int count;
    QslDialogControl *controls;
    int focus;                /* the control that has the focus first, -1 none */
    int default_button;       /* the push button Enter presses, -1 none */
    int timeout_ms;           /* above 0: the default button presses itself then */
} QslDialog;

typedef struct QslDialogInterface {
    /* Shows the dialog until a push button is pressed: returns its control
     * index; -1 when the dialog was cancelled without one (Escape, closing
     * the window); -2 when it could not be shown; -3 when a break request
     * (QslRequestBreak) ended it. */
    int (*show_dialog)(void *user, QslDialog *dialog);
    void *user;
} QslDialogInterface;

/* Installs a host's dialog interface; NULL restores the default (the X11
 * back end when $DISPLAY names a server that answers, else headless). */
QSL_API void QslSetDialogInterface(const QslDialogInterface *dialogs);

/* The library's own back ends, for a host to choose from. */
#define QSL_DIALOGS_HEADLESS 0 /* written to standard error, the default pressed */
#define QSL_DIALOGS_TERMINAL 1 /* a text-mode form on the controlling terminal */
#define QSL_DIALOGS_X11 2      /* a window on the X server of $DISPLAY */
/* Fills dialogs with a back end; 0 when there is no such back end. */
QSL_API int QslGetDialogBackEnd(int kind, QslDialogInterface *dialogs);

/*
 * Answers a dialog without showing it: writes its caption and its labels to
 * standard error, then applies the answer "BUTTON[<tab>variable=value...]":
 * each pair sets the controls of that variable (an edit box's text, the
 * radio button of that value, a check box checked when the value shares a
 * bit with its own, the list items of that text, several joined by "|"),
 * then BUTTON, a push button's value or its text (OK, Cancel, Yes, No), is
 * pressed. NULL or an empty BUTTON presses the default button. Returns what
 * show_dialog does.
 */
QSL_API int QslAnswerDialog(QslDialog *dialog, const char *answer);

#ifdef __cplusplus
}
#endif

#endif /* QSLENG32_H */
