#ifndef ZORVEX_WEB_PAGE_API_H_
#define ZORVEX_WEB_PAGE_API_H_

#include <stddef.h>

// The functions the page's script calls. There is one session at a time.

#ifdef __cplusplus
extern "C" {
#endif

/// Makes room for at least `size` bytes of input; returns where to write them.
char* page_input(size_t size);
/// Returns what the last call wrote (see page_api.cpp for its form).
const char* page_output(void);
/// Returns how many bytes page_output() holds.
size_t page_output_length(void);
/// Starts a fresh session and records the banner; returns 0 when memory ran out.
int page_start(void);
/// Runs the lines of the first `length` bytes of the input (each ended by
/// '\n', the last maybe not) in order; returns 0 when one of them ended the
/// session, 1 otherwise.
int page_enter(size_t length);
/// Runs the first `length` bytes of the input as page_enter() does, in a
/// session of its own that is then dropped, so that the browser has run
/// (and optimised) the code a paste runs; the user's session and its
/// variables stay as they were. Returns 0 when memory ran out.
int page_warm(size_t length);
/// Returns how many lines the last page_enter() entered.
size_t page_entered(void);
/// Returns how many bytes of the input page_enter() read.
size_t page_consumed(void);
/// Completes the word before byte `cursor` of the line in the first `length`
/// bytes of the input as Tab does at a terminal and records the result;
/// returns where the word starts.
size_t page_complete(size_t cursor, size_t length);
/// Returns how many lines the history keeps, as many as at a terminal.
size_t page_history_capacity(void);
/// Returns the prompt, NUL-terminated.
const char* page_prompt(void);

#ifdef __cplusplus
}
#endif

#endif  // ZORVEX_WEB_PAGE_API_H_
