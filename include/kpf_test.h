/** @file
 * The plain C interface for hosts' integration tests (libkpf_test.so, installed beside lib_dll.so;
 * a till never loads it). It drives and inspects the module's screen while the entry runs, as an
 * operator would: touches on named controls and grid cells, keys, the screen's state as JSON, the
 * platform's error boxes, screenshots. kpfhost's scripted operator is built on it alone.
 *
 * Load it after lib_dll.so (it needs the host library and the platform layer that library loads).
 * Texts are UTF-8 and NUL-terminated; a text returned is copied into the caller's buffer as
 * kpf_dll.h says (NUL-terminated, cut to size bytes, the whole length returned). Every function
 * must be called on the user-interface thread (the one that created the QApplication), normally
 * from inside the entry's modal showing: from a callback of this header or of kpf_dll.h, or from a
 * timer or event of the host's own. A call from another thread does nothing and returns
 * KPF_TEST_WRONG_THREAD; a call before the QApplication exists returns KPF_TEST_NO_APPLICATION
 * (KpfTest_ScreenStatus: KPF_SCREEN_NONE). Nothing here processes events: each action runs the
 * screen's reaction to completion before it returns (a reaction that opens a modal message box
 * returns only once the box is closed, which KpfDll_SetAutoAcknowledge(1) does by itself). */
#ifndef KPF_TEST_H
#define KPF_TEST_H

#include "kpf_test_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/** Results of the actions below. */
enum KpfTestResult {
    KPF_TEST_OK = 0,              /**< done */
    KPF_TEST_NO_SCREEN = -1,      /**< no screen of the module is shown */
    KPF_TEST_NOT_FOUND = -2,      /**< no control of that name, no grid column for that field */
    KPF_TEST_NO_GRID = -3,        /**< the screen has no grid */
    KPF_TEST_OUT_OF_RANGE = -4,   /**< a row the grid does not show */
    KPF_TEST_BAD_ARGUMENT = -5,   /**< NULL or empty name, a key name that is not one key */
    KPF_TEST_WRITE_FAILED = -6,   /**< the screenshot could not be written */
    KPF_TEST_COVERED = -7,        /**< a modal window (a message box) covers the screen: a touch, a
                                     cell or a key would not reach it, so nothing was done */
    KPF_TEST_WRONG_THREAD = -8,   /**< called from a thread other than the user-interface thread */
    KPF_TEST_NO_APPLICATION = -9, /**< no QApplication exists yet */
    KPF_TEST_OTHER_BUILD = -10    /**< this library is of another build than lib_dll.so: every
                                     call is refused (the reason, with both files, goes to Qt's
                                     message handler once) */
};

/** Where the module's screen stands, from the operator's side. */
enum KpfTestScreenStatus {
    KPF_SCREEN_NONE = 0,     /**< not shown (not yet, or closed) */
    KPF_SCREEN_COVERED = 1,  /**< shown, but a modal window (a message box) is in front of it */
    KPF_SCREEN_IN_FRONT = 2, /**< shown and in front, its activation not (yet) run */
    KPF_SCREEN_ACTIVE = 3    /**< the application's active form: its start-up work has run. This is
                                the application's notion, which needs no focus from the window
                                system (none comes without a window manager or an input seat) */
};

/** The screen's status now: one of KpfTestScreenStatus. */
KPF_TEST_EXPORT int KpfTest_ScreenStatus(void);

/** Called with the new status each time the screen's status changes, after the change has been
 * handled by the screen (a show, a close, an activation, a message box opening or closing), so
 * that a test waits for the screen by its events rather than by polling. The closing of the
 * screen is reported (KPF_SCREEN_NONE) before the entry returns. NULL removes it. The observer
 * may call the functions of this header. It watches the QApplication's events, so it can only be
 * set once the application exists: before, it is refused with KPF_TEST_NO_APPLICATION and nothing
 * is installed. Returns KPF_TEST_OK when set or removed. */
typedef void (*KpfTest_ScreenCallback)(int status, void *context);
/** Installs the screen observer cb with its context (see KpfTest_ScreenCallback); NULL removes it.
 */
KPF_TEST_EXPORT int KpfTest_SetScreenObserver(KpfTest_ScreenCallback cb, void *context);

/** The screen's state as one line of JSON, as kpfhost's `dump` prints it: {"nrCampo", "txAliq",
 * "txValor", "state" (0-3), "recNo" (0 = top, -1 none), "selectedField", "rows"}; texts are
 * strings, numbers numbers, dates "YYYY-MM-DD", an empty field null. Returns the text's length,
 * or KPF_TEST_NO_SCREEN. */
KPF_TEST_EXPORT int KpfTest_GetScreenState(char *buffer, int size);

/** A touch on the control of that object name (the names of kpfhost's `click`): a press and a
 * release at its centre. This, the grid cells and the keys below return KPF_TEST_COVERED, doing
 * nothing, while a message box is in front of the screen, as an operator cannot reach it then. */
KPF_TEST_EXPORT int KpfTest_Touch(const char *controlName);

/** A touch on the grid cell of row (0 = top) in the column that shows fieldName. */
KPF_TEST_EXPORT int KpfTest_TouchGridCell(int row, const char *fieldName);
/** The rows the grid shows (the new line included), or KPF_TEST_NO_SCREEN / KPF_TEST_NO_GRID. */
KPF_TEST_EXPORT int KpfTest_GridRowCount(void);

/** A key pressed and released on the screen's focused control (so that the screen's key preview
 * sees it first): qtKey and qtModifiers are Qt::Key and Qt::KeyboardModifiers values, utf8Text
 * what the key types (NULL or "" for none). Held modifiers are pressed before and released after
 * the key, as on a keyboard. */
KPF_TEST_EXPORT int KpfTest_SendKey(int qtKey, int qtModifiers, const char *utf8Text);
/** The same by name, in QKeySequence's portable form: "5", ",", "Return", "Escape", "F4",
 * "Ctrl+Shift+Del". The text typed is the character of a printable key, "\r", "\x1b", "\b" or
 * "\t" for Return, Escape, Backspace and Tab, and none while Ctrl, Alt or Meta is held. */
KPF_TEST_EXPORT int KpfTest_SendKeyName(const char *keyName);

/** Activates the screen's window, as an operator's return to it would. */
KPF_TEST_EXPORT int KpfTest_ActivateScreen(void);
/** Asks the screen to close as the window system would; the screen may refuse. Returns KPF_TEST_OK
 * when it is closed afterwards, 1 when it refused, or KPF_TEST_NO_SCREEN. */
KPF_TEST_EXPORT int KpfTest_CloseScreen(void);
/** Ends the screen's modal showing without asking it (the call is left without confirmation), for
 * a screen that refuses to close at the end of a test. */
KPF_TEST_EXPORT int KpfTest_EndScreen(void);

/** Saves a PNG of the screen as it is drawn now. */
KPF_TEST_EXPORT int KpfTest_SaveScreenshot(const char *utf8FileName);

/** While installed, the errors that the platform's event-handler guard would show the operator in
 * an error box are handed to cb instead and no box is shown (so the message observer of kpf_dll.h
 * does not hear of them either). utf8Text is valid only during the call. NULL restores the
 * boxes. Remove it before unloading this library. Returns KPF_TEST_OK, or the thread and
 * application refusals above. */
typedef void (*KpfTest_ErrorCallback)(const char *utf8Text, void *context);
/** Installs the error observer cb with its context (see KpfTest_ErrorCallback); NULL removes it. */
KPF_TEST_EXPORT int KpfTest_SetErrorObserver(KpfTest_ErrorCallback cb, void *context);

#ifdef __cplusplus
}
#endif

#endif /* KPF_TEST_H */
