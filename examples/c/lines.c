#define _POSIX_C_SOURCE 200809L /* getline */
#include <stdio.h>
#include <zorvex.h>
int main(void) { /* prints what zorvex -q prints for each line of input */
  zorvex* calculator;
  if (zorvex_create(&calculator) != ZORVEX_OK) return 1;
  char *line = NULL, text[ZORVEX_FORMAT_CAPACITY];
  size_t capacity = 0, errors;
  double value;
  for (ssize_t length; (length = getline(&line, &capacity, stdin)) > 0;) {
    if (line[length - 1] == '\n') length--;
    if (zorvex_evaluate(calculator, line, (size_t)length, &value) != ZORVEX_OK) return 1;
    const char* error_lines = zorvex_errors(calculator, &errors);
    fwrite(error_lines, 1, errors, stderr);
    zorvex_format(value, text, sizeof text, NULL);
    printf("= %s\n", text);
  }
  zorvex_destroy(calculator);
}
