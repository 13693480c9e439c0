/*
 * The quiet dialogue (zorvex -q) written as a C99 client of the library:
 * each line of standard input is evaluated through zorvex.h alone, its
 * error lines go to standard error and "= " with its value to standard
 * output; exit ends the input and showvars lists the variables. The
 * differential test compares its every byte with the program's.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/zorvex.h"

/* Returns 1 when the `length` bytes at `line` spell `word` (lower case) in any case. */
static int spells(const char* line, size_t length, const char* word) {
  size_t i;
  if (length != strlen(word)) {
    return 0;
  }
  for (i = 0; i < length; ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') {
      c = (char)(c - 'A' + 'a');
    }
    if (c != word[i]) {
      return 0;
    }
  }
  return 1;
}

/* Writes one line of the listing: the name, two tabs and the value. */
static int listVariable(void* context, const char* name, size_t length, double value) {
  char text[ZORVEX_FORMAT_CAPACITY];
  (void)context;
  if (zorvex_format(value, text, sizeof text, NULL) != ZORVEX_OK) {
    return 1;
  }
  fwrite(name, 1, length, stdout);
  printf("\t\t%s\n", text);
  return 0;
}

/* Reads all of standard input into a block of its own; null on failure. */
static char* readInput(size_t* size) {
  size_t capacity = 1 << 16;
  char* data = malloc(capacity);
  *size = 0;
  while (data != NULL) {
    size_t got = fread(data + *size, 1, capacity - *size, stdin);
    *size += got;
    if (got == 0) {
      break;
    }
    if (*size == capacity) {
      char* larger = realloc(data, capacity * 2);
      if (larger == NULL) {
        free(data);
        return NULL;
      }
      data = larger;
      capacity *= 2;
    }
  }
  return data;
}

int main(void) {
  size_t size = 0;
  size_t start = 0;
  zorvex* calculator = NULL;
  char* input = readInput(&size);
  zorvex_status status;
  if (input == NULL || (status = zorvex_create(&calculator)) != ZORVEX_OK) {
    fprintf(stderr, "api_dialogue: cannot start\n");
    return 1;
  }
  while (start < size) {
    const char* feed = memchr(input + start, '\n', size - start);
    size_t end = feed != NULL ? (size_t)(feed - input) : size;
    size_t length = end - start;
    const char* line = input + start;
    start = end + 1;
    if (length > 0 && line[length - 1] == '\r') {
      --length; /* a CR ending the line is dropped, as the program does */
    }
    if (spells(line, length, "exit")) {
      break;
    }
    if (spells(line, length, "showvars")) {
      putchar('\n');
      status = zorvex_list_variables(calculator, listVariable, NULL);
      putchar('\n');
    } else {
      double value = 0.0;
      size_t errorsLength = 0;
      const char* errors;
      char text[ZORVEX_FORMAT_CAPACITY];
      status = zorvex_evaluate(calculator, line, length, &value);
      if (status != ZORVEX_OK) {
        break;
      }
      errors = zorvex_errors(calculator, &errorsLength);
      fwrite(errors, 1, errorsLength, stderr);
      status = zorvex_format(value, text, sizeof text, NULL);
      printf("= %s\n", text);
    }
    if (status != ZORVEX_OK) {
      break;
    }
  }
  zorvex_destroy(calculator);
  free(input);
  if (status != ZORVEX_OK) {
    fprintf(stderr, "api_dialogue: %s\n", zorvex_status_text(status));
    return 1;
  }
  return 0;
}
