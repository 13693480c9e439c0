#ifndef ZORVEX_ENGINE_TOKEN_H_
#define ZORVEX_ENGINE_TOKEN_H_

#include <cstdint>

#include "text/wide_string.h"

/// The kind of a token: the code of the character it stands for, or one of
/// the four kinds below. Letters always form name runs and reach the
/// tokenizer in lower case, so no single character clashes with 'n', 'o', 'f'.
using TokenKind = int32_t;

/// An empty slot: never used, or consumed by a reduction.
constexpr TokenKind TOKEN_EMPTY = 0;
/// A run of letters: a variable name, or a function name before resolution.
constexpr TokenKind TOKEN_NAME = 'n';
/// A number held as decimal text.
constexpr TokenKind TOKEN_NUMBER = 'o';
/// A function head: the name followed by "(".
constexpr TokenKind TOKEN_FUNCTION = 'f';

/// The number of slots of the token table; the table never grows.
constexpr int MAX_TOKENS = 128;

/// One slot of the token table.
struct Token {
  WideString text;
  TokenKind kind = TOKEN_EMPTY;
};

#endif  // ZORVEX_ENGINE_TOKEN_H_
