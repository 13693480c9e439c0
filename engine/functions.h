#ifndef ZORVEX_ENGINE_FUNCTIONS_H_
#define ZORVEX_ENGINE_FUNCTIONS_H_

#include <span>
#include <string_view>

/// Returns the names of the functions the calculator applies, without their
/// opening bracket.
std::span<const std::string_view> functionNames();

#endif  // ZORVEX_ENGINE_FUNCTIONS_H_
