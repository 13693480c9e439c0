/*
 * zorvex.h: the Zorvex expression engine as a C library.
 *
 * A calculator is an opaque handle with variables and a token table of its
 * own. A line given to zorvex_evaluate() is evaluated exactly as the
 * program's dialogue evaluates it: the same normalisation, tokens, folding
 * of minus signs, operator order and six-decimal intermediate results, so
 * the same value bit for bit and the same error lines in the same words.
 * Nothing is ever written to a stream: error lines are kept in the handle
 * for the caller to read.
 *
 * Two handles never share state; each may be used from a thread of its
 * own. One handle must not be used from two threads at once.
 *
 * Every function that can fail returns a zorvex_status. No C++ exception
 * leaves the library and it never aborts the process: a memory failure is
 * ZORVEX_NO_MEMORY, and the handle stays usable.
 *
 * The dialogue's commands (exit, help, showvars, showfuncs) belong to the
 * program, not to the library: given to zorvex_evaluate() they are
 * evaluated as expressions, as names that are not declared.
 */
#ifndef ZORVEX_H_
#define ZORVEX_H_

#include <stddef.h>

#if defined(ZORVEX_BUILDING_LIBRARY) && defined(__GNUC__)
#define ZORVEX_API __attribute__((visibility("default")))
#else
#define ZORVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** One calculator: its variables, its token table, its last error lines. */
typedef struct zorvex zorvex;

/** What a call did. Every value but ZORVEX_OK means nothing was changed. */
typedef enum zorvex_status {
  /** Done. */
  ZORVEX_OK = 0,
  /** Memory could not be had; the handle is as it was before the call. */
  ZORVEX_NO_MEMORY = 1,
  /** The handle is null. */
  ZORVEX_BAD_HANDLE = 2,
  /** A pointer the call needs is null, or a name is not a variable name. */
  ZORVEX_BAD_ARGUMENT = 3,
  /** The caller's buffer is too small; the length needed is still given. */
  ZORVEX_BUFFER_TOO_SMALL = 4,
  /** No variable has that name. */
  ZORVEX_NOT_FOUND = 5
} zorvex_status;

/** The most bytes zorvex_format() writes, the terminating NUL included. */
#define ZORVEX_FORMAT_CAPACITY 40

/** Returns a short English text for `status`, never null. */
ZORVEX_API const char* zorvex_status_text(zorvex_status status);

/** Returns the library's version as text, such as "0.5". */
ZORVEX_API const char* zorvex_version(void);

/** Returns the library's version as a number: major * 10000 + minor * 100 + patch. */
ZORVEX_API int zorvex_version_number(void);

/**
 * Makes a calculator with the predefined variables pi and rad, as the
 * program starts with, and stores it in *calculator. Returns ZORVEX_OK,
 * ZORVEX_BAD_ARGUMENT when `calculator` is null, or ZORVEX_NO_MEMORY (with
 * *calculator set to null).
 */
ZORVEX_API zorvex_status zorvex_create(zorvex** calculator);

/** Frees a calculator and everything it holds. A null handle is ignored. */
ZORVEX_API void zorvex_destroy(zorvex* calculator);

/**
 * Evaluates the `length` bytes at `line` as one line of the dialogue and
 * stores its value in *value. The line may hold any byte, NUL included; a
 * line end in it is a character like any other. Assignments in the line
 * change the calculator's variables.
 *
 * The error lines the dialogue would print for the line replace those of
 * the previous evaluation; zorvex_errors() gives them. An error line is not
 * a failure: the value is still the dialogue's value and the status is
 * ZORVEX_OK. Returns ZORVEX_BAD_HANDLE, ZORVEX_BAD_ARGUMENT (`value` null,
 * `line` null with a length, or a line longer than 2147483646 bytes), or
 * ZORVEX_NO_MEMORY.
 */
ZORVEX_API zorvex_status zorvex_evaluate(zorvex* calculator, const char* line, size_t length,
                                         double* value);

/**
 * Returns the error lines of the last evaluation, each ended by a line
 * feed, as one NUL-terminated text ("" when there were none), and stores
 * its length in *length when `length` is not null. Error lines may hold
 * any byte a name of the line held, NUL included, so trust the length. The
 * text stays valid until the next call on the same handle; null for a
 * null handle.
 */
ZORVEX_API const char* zorvex_errors(const zorvex* calculator, size_t* length);

/** Returns how many error lines the last evaluation wrote; 0 for a null handle. */
ZORVEX_API size_t zorvex_error_count(const zorvex* calculator);

/**
 * Writes the dialogue's text for `value`, what the program prints after
 * "= " (such as "14", "0.111111", "-inf"), into the `size` bytes at
 * `buffer` with a terminating NUL, and stores its length (without the NUL)
 * in *length when `length` is not null. ZORVEX_FORMAT_CAPACITY bytes are
 * always enough. Returns ZORVEX_BAD_ARGUMENT for a null buffer, or
 * ZORVEX_BUFFER_TOO_SMALL with nothing written.
 */
ZORVEX_API zorvex_status zorvex_format(double value, char* buffer, size_t size, size_t* length);

/**
 * Sets the variable named by the `length` bytes at `name` to `value`,
 * creating it at the end of the listing when it is new. A name is one or
 * more letters a to z; capitals are taken in lower case, as in a line.
 * Setting rad to a non-zero value makes the angle functions work in
 * radians. Returns ZORVEX_BAD_HANDLE, ZORVEX_BAD_ARGUMENT for anything but
 * a name, or ZORVEX_NO_MEMORY.
 */
ZORVEX_API zorvex_status zorvex_set_variable(zorvex* calculator, const char* name, size_t length,
                                             double value);

/**
 * Stores the value of the variable named by the `length` bytes at `name`
 * in *value. Returns ZORVEX_NOT_FOUND when there is none (no error line is
 * written), ZORVEX_BAD_HANDLE, or ZORVEX_BAD_ARGUMENT.
 */
ZORVEX_API zorvex_status zorvex_get_variable(const zorvex* calculator, const char* name,
                                             size_t length, double* value);

/**
 * Called by zorvex_list_variables() once per variable with the variable's
 * name (`length` bytes, not NUL-terminated; empty for the unnamed first
 * entry) and value. Returning non-zero stops the listing.
 */
typedef int (*zorvex_variable_visitor)(void* context, const char* name, size_t length,
                                       double value);

/**
 * Calls `visit` for every variable in the order the program's showvars
 * lists them: the unnamed entry first, then in order of creation. The
 * visitor must not change the calculator. Returns ZORVEX_BAD_HANDLE,
 * ZORVEX_BAD_ARGUMENT for a null visitor, or ZORVEX_NO_MEMORY.
 */
ZORVEX_API zorvex_status zorvex_list_variables(const zorvex* calculator,
                                               zorvex_variable_visitor visit, void* context);

#ifdef __cplusplus
}
#endif

#endif /* ZORVEX_H_ */
