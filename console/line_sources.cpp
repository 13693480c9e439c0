#include "console/line_sources.h"

#include <istream>
#include <string>

#include "console/line_editor.h"

ReadResult StreamLineSource::readLine(std::string_view prompt, WideString& line) {
  output_.sputn(prompt.data(), static_cast<std::streamsize>(prompt.size()));
  if (!input_.hasCompleteLine() && !output_.push()) {
    return ReadResult::END;  // nobody can see our output any more
  }
  const bool gotLine = static_cast<bool>(::readLine(in_, line));
  if (input_.failed()) {
    // The line a failure cut short is not evaluated.
    line.clear();
    return ReadResult::FAILED;
  }
  return gotLine ? ReadResult::LINE : ReadResult::END;
}

ReadResult EditorLineSource::readLine(std::string_view prompt, WideString& line) {
  if (!output_.push()) {
    return ReadResult::END;
  }
  return editor_.readLine(std::string(prompt).c_str(), line) ? ReadResult::LINE : ReadResult::END;
}

ReadResult ExpressionLineSource::readLine(std::string_view, WideString& line) {
  if (next_ == expressions_.size()) {
    return ReadResult::END;
  }
  const std::string& expression = expressions_[next_++];
  line.assignBytes(expression.data(), expression.size());
  return ReadResult::LINE;
}
