// Prints "= " and the value of each line of standard input, as zorvex -q
// does, through the installed library's C API.
#include <zorvex.h>

#include <iostream>
#include <memory>
#include <string>

int main() {
  zorvex* handle = nullptr;
  zorvex_status status = zorvex_create(&handle);
  if (status != ZORVEX_OK) {
    std::cerr << "lines: " << zorvex_status_text(status) << '\n';
    return 1;
  }
  // The handle is freed however main is left.
  std::unique_ptr<zorvex, decltype(&zorvex_destroy)> calculator(handle, zorvex_destroy);

  std::string line;
  char text[ZORVEX_FORMAT_CAPACITY];
  while (std::getline(std::cin, line)) {
    double value = 0.0;
    status = zorvex_evaluate(calculator.get(), line.data(), line.size(), &value);
    if (status != ZORVEX_OK) {
      std::cerr << "lines: " << zorvex_status_text(status) << '\n';
      return 1;
    }
    // Error lines are text with their own line feeds; they may hold NUL.
    size_t length = 0;
    const char* errors = zorvex_errors(calculator.get(), &length);
    std::cout.flush();
    std::cerr.write(errors, static_cast<std::streamsize>(length));
    zorvex_format(value, text, sizeof text, nullptr);
    std::cout << "= " << text << '\n';
  }
  return 0;
}
