#include "console/options.h"

#include <getopt.h>

#include "console/version.h"

namespace {

constexpr option LONG_OPTIONS[] = {
    {"expression", required_argument, nullptr, 'e'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

/// The option getopt_long just stopped at, as the user wrote it: the long
/// name (without any "=value") when the word it was in is a long option,
/// else the letter.
std::string optionAsWritten(const char* word, int letter) {
  const std::string written = word;
  if (written.starts_with("--") || letter == 0) {
    return written.substr(0, written.find('='));
  }
  return std::string("-") + static_cast<char>(letter);
}

/// Returns true when `letter` is the letter of one of the options.
bool isOptionLetter(int letter) {
  for (const option& known : LONG_OPTIONS) {
    if (known.name != nullptr && known.val == letter) {
      return true;
    }
  }
  return false;
}

}  // namespace

Options parseOptions(int argc, char* argv[]) {
  Options options;
  bool help = false;
  bool version = false;
  opterr = 0;  // the messages are ours
  optind = 1;
  for (;;) {
    const int option = getopt_long(argc, argv, ":e:qhV", LONG_OPTIONS, nullptr);
    if (option == -1) {
      break;
    }
    switch (option) {
      case 'e':
        options.expressions.emplace_back(optarg);
        break;
      case 'q':
        options.quiet = true;
        break;
      case 'h':
        help = true;
        break;
      case 'V':
        version = true;
        break;
      case ':':
        // getopt_long has moved past the word that lacks its argument.
        options.action = Options::Action::USAGE_ERROR;
        options.usageError = {UsageError::Kind::MISSING_ARGUMENT,
                              optionAsWritten(argv[optind - 1], optopt)};
        return options;
      default:
        options.action = Options::Action::USAGE_ERROR;
        if (isOptionLetter(optopt)) {
          // A letter that is an option fails only in its long form, given
          // a value ("--quiet=1"), in the word just passed.
          options.usageError = {UsageError::Kind::UNWANTED_VALUE,
                                optionAsWritten(argv[optind - 1], 0)};
        } else {
          // An unknown letter is named by optopt (its word may still have
          // letters to come); an unknown long option by the word just passed.
          options.usageError = {
              UsageError::Kind::UNKNOWN_OPTION,
              optopt != 0 ? optionAsWritten("-", optopt) : optionAsWritten(argv[optind - 1], 0)};
        }
        return options;
    }
  }
  for (int i = optind; i < argc; ++i) {
    options.files.emplace_back(argv[i]);
  }
  if (help) {
    options.action = Options::Action::HELP;
  } else if (version) {
    options.action = Options::Action::VERSION;
  } else if (!options.expressions.empty() && !options.files.empty()) {
    options.action = Options::Action::USAGE_ERROR;
    options.usageError = {UsageError::Kind::EXPRESSIONS_WITH_FILES, ""};
  }
  return options;
}

std::string_view usageText() {
  return "Usage: zorvex [OPTION]... [FILE]...\n"
         "Evaluate arithmetic expressions one line at a time: typed in a dialogue,\n"
         "read from each FILE in turn ('-' is standard input), or given with -e.\n"
         "\n"
         "  -e, --expression=EXPR  evaluate EXPR and print its value alone; may be\n"
         "                         repeated; standard input is not read\n"
         "  -q, --quiet            print no banner and no prompts\n"
         "  -h, --help             print this help and exit\n"
         "  -V, --version          print the version and exit\n"
         "\n"
         "Exit status: 0 success; 1 a read, write, memory or file failure;\n"
         "2 a usage error; 3 an expression given with -e wrote an error line.\n"
         "Type 'help' in the dialogue for the expression language.\n";
}

std::string versionText() {
  std::string text = "zorvex ";
  text += VERSION_TEXT;
  text += "\nCopyright 2026 Zorvex developers; released under the MIT (Expat) licence";
#ifdef ZORVEX_HAVE_LIBEDIT
  text += "\nline editing: libedit, loaded at a terminal when it is installed\n";
#else
  text += "\nline editing: not built in; lines are read plainly\n";
#endif
  return text;
}
