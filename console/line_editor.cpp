#include "console/line_editor.h"

#include <errno.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#ifdef ZORVEX_HAVE_LIBEDIT
#include <dlfcn.h>
#include <histedit.h>
#endif

#include "console/interrupts.h"

namespace {

#ifdef ZORVEX_HAVE_LIBEDIT

/// How many lines the history keeps for recall.
constexpr int HISTORY_SIZE = 1000;

/// The libedit functions the editor calls. The library is loaded only when
/// a terminal session asks for an editor, so that runs over pipes and files
/// (and every start-up) do not pay for loading it and its dependencies.
struct Libedit {
  decltype(&::el_init) init;
  decltype(&::el_end) end;
  decltype(&::el_gets) gets;
  decltype(&::el_set) set;
  decltype(&::el_get) get;
  decltype(&::el_line) line;
  decltype(&::el_cursor) cursor;
  decltype(&::el_deletestr) deletestr;
  decltype(&::el_insertstr) insertstr;
  decltype(&::el_reset) reset;
  decltype(&::el_push) push;
  decltype(&::history_init) historyInit;
  decltype(&::history_end) historyEnd;
  decltype(&::history) history;
};

/// Why libedit could not be loaded, once loading has failed.
std::string libeditUnavailable;

/// Loads libedit once; returns its functions, or null when the library or
/// any of them is missing (the dialogue then reads lines plainly).
const Libedit* loadLibedit() {
  static const Libedit* const loaded = []() -> const Libedit* {
    // ZORVEX_LIBEDIT names another library file to load instead; the tests
    // point it at a missing file to see a terminal session without editing.
    const char* named = std::getenv("ZORVEX_LIBEDIT");
    void* library = dlopen(named != nullptr ? named : "libedit.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && named == nullptr) {
      library = dlopen("libedit.so", RTLD_NOW | RTLD_LOCAL);
    }
    if (library == nullptr) {
      const char* reason = dlerror();
      libeditUnavailable = reason != nullptr ? reason : "cannot be loaded";
      return nullptr;
    }
    static Libedit api;
    bool complete = true;
    auto bind = [&](auto& function, const char* name) {
      function =
          reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
      complete = complete && function != nullptr;
    };
    bind(api.init, "el_init");
    bind(api.end, "el_end");
    bind(api.gets, "el_gets");
    bind(api.set, "el_set");
    bind(api.get, "el_get");
    bind(api.line, "el_line");
    bind(api.cursor, "el_cursor");
    bind(api.deletestr, "el_deletestr");
    bind(api.insertstr, "el_insertstr");
    bind(api.reset, "el_reset");
    bind(api.push, "el_push");
    bind(api.historyInit, "history_init");
    bind(api.historyEnd, "history_end");
    bind(api.history, "history");
    if (!complete) {
      libeditUnavailable = "a function of the library is missing";
      return nullptr;
    }
    return &api;
  }();
  return loaded;
}

/// Returns the character set that keystrokes are decoded by: the one the
/// user's environment names, or UTF-8 when that is the plain C locale. The
/// program itself runs in the C locale, in which libedit would drop every
/// byte above 127 that a plain terminal passes on. May return 0, which
/// leaves the C locale in force.
locale_t typingLocale() {
  locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale != static_cast<locale_t>(0) &&
      std::strcmp(nl_langinfo_l(CODESET, locale), "ANSI_X3.4-1968") != 0) {
    return locale;
  }
  if (locale != static_cast<locale_t>(0)) {
    freelocale(locale);
  }
  return newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
}

/// Puts a locale in force on this thread for as long as it lives; the
/// program's own global locale is never touched.
class ScopedLocale {
 public:
  explicit ScopedLocale(locale_t locale)
      : previous_(locale != static_cast<locale_t>(0) ? uselocale(locale)
                                                     : static_cast<locale_t>(0)) {}
  ~ScopedLocale() {
    if (previous_ != static_cast<locale_t>(0)) {
      uselocale(previous_);
    }
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  locale_t previous_;
};

/// Ctrl-D: on an empty line the end of input, as at a plain terminal, and
/// without libedit's own "^D" on the screen; otherwise it deletes the
/// character under the cursor.
unsigned char endOrDeleteKey(EditLine* editLine, int) {
  const Libedit& libedit = *loadLibedit();
  const LineInfo* info = libedit.line(editLine);
  if (info->buffer == info->lastchar) {
    return CC_EOF;
  }
  if (info->cursor == info->lastchar) {
    return CC_ERROR;  // nothing under the cursor
  }
  libedit.cursor(editLine, 1);
  libedit.deletestr(editLine, 1);
  return CC_REFRESH;
}

/// Tab: completes the word before the cursor, see LibeditLineEditor.
unsigned char completeKey(EditLine* editLine, int);

/// The editor built on libedit, in its emacs key bindings. Its history is
/// a list in memory; whoever keeps it in a file hands it the past lines.
class LibeditLineEditor : public LineEditor {
 public:
  LibeditLineEditor(const Libedit& libedit, std::FILE* in, std::FILE* out, std::FILE* err)
      : libedit_(libedit),
        out_(out),
        locale_(typingLocale()),
        editLine_(nullptr),
        history_(libedit.historyInit()) {
    // libedit fixes at set-up which keys insert characters and whether the
    // character set is UTF-8, so it is set up in the typing locale too.
    ScopedLocale typing(locale_);
    editLine_ = libedit_.init("zorvex", in, out, err);
    if (!ready()) {
      return;
    }
    HistEvent event;
    libedit_.history(history_, &event, H_SETSIZE, HISTORY_SIZE);
    // Entering the same line twice in a row keeps one entry, so the up
    // arrow always brings a different line.
    libedit_.history(history_, &event, H_SETUNIQUE, 1);
    libedit_.set(editLine_, EL_CLIENTDATA, this);
    libedit_.set(editLine_, EL_PROMPT, &LibeditLineEditor::promptOf);
    libedit_.set(editLine_, EL_EDITOR, "emacs");
    // Lets libedit put the terminal back in order before a signal such as
    // Ctrl-C ends the program in the middle of a line.
    libedit_.set(editLine_, EL_SIGNAL, 1);
    libedit_.set(editLine_, EL_HIST, libedit_.history, history_);
    libedit_.set(editLine_, EL_ADDFN, "zorvex-end-or-delete",
                 "End of input on an empty line, else delete", &endOrDeleteKey);
    libedit_.set(editLine_, EL_BIND, "^D", "zorvex-end-or-delete", nullptr);
    libedit_.set(editLine_, EL_ADDFN, "zorvex-complete", "Complete a name", &completeKey);
    libedit_.set(editLine_, EL_BIND, "^I", "zorvex-complete", nullptr);
  }

  ~LibeditLineEditor() override {
    if (editLine_ != nullptr) {
      libedit_.end(editLine_);
    }
    if (history_ != nullptr) {
      libedit_.historyEnd(history_);
    }
    if (locale_ != static_cast<locale_t>(0)) {
      freelocale(locale_);
    }
  }

  LibeditLineEditor(const LibeditLineEditor&) = delete;
  LibeditLineEditor& operator=(const LibeditLineEditor&) = delete;

  /// Returns true when libedit could set up the editor and its history.
  bool ready() const { return editLine_ != nullptr && history_ != nullptr; }

  bool readLine(const char* prompt, WideString& line) override {
    prompt_ = prompt;
    line.clear();
    std::string bytes;
    takeInterrupt();  // one that came before this read is not meant for it
    for (;;) {
      ScopedLocale typing(locale_);
      int count = 0;
      errno = 0;
      const char* text = libedit_.gets(editLine_, &count);
      if (text != nullptr && count > 0) {
        bytes.assign(text, static_cast<std::size_t>(count));
        break;
      }
      if (errno != EINTR) {
        return false;  // the end of input, or a terminal that cannot be read
      }
      // Ctrl-C gives up the line typed so far. Any other signal, such as
      // a stop where there is no job control to stop the program, only
      // interrupted the read: what was typed is typed again for the user.
      // Either way the prompt starts afresh on a line of its own.
      const LineInfo* info = libedit_.line(editLine_);
      const std::string typed(info->buffer,
                              static_cast<std::size_t>(info->lastchar - info->buffer));
      libedit_.reset(editLine_);
      std::fputs("\n", out_);
      std::fflush(out_);
      if (!takeInterrupt() && !typed.empty()) {
        libedit_.push(editLine_, typed.c_str());
      }
    }
    // The line end is not part of the line, as in reading from a stream.
    if (!bytes.empty() && bytes.back() == '\n') {
      bytes.pop_back();
    }
    if (!bytes.empty() && bytes.back() == '\r') {
      bytes.pop_back();
    }
    if (!bytes.empty()) {
      HistEvent event;
      libedit_.history(history_, &event, H_ENTER, bytes.c_str());
      line.assignBytes(bytes.data(), bytes.size());
      if (entered_) {
        entered_(bytes);
      }
    }
    return true;
  }

  void addHistory(const std::string& line) override {
    HistEvent event;
    libedit_.history(history_, &event, H_ENTER, line.c_str());
  }

  /// Tab: completes the word of letters before the cursor as far as its
  /// matches agree; when they agree no further, lists them below the line.
  /// With no word before the cursor, a tab is typed, since blanks and tabs
  /// may stand anywhere in an expression.
  unsigned char completeWord() {
    const LineInfo* info = libedit_.line(editLine_);
    const std::string_view text(info->buffer,
                                static_cast<std::size_t>(info->lastchar - info->buffer));
    const auto cursor = static_cast<std::size_t>(info->cursor - info->buffer);
    Completion completion;
    completion.start = cursor;
    if (words_) {
      completion = complete(text, cursor, words_());
    }
    if (completion.start == cursor) {
      return libedit_.insertstr(editLine_, "\t") == 0 ? CC_REFRESH : CC_ERROR;
    }
    if (!completion.insert.empty()) {
      return libedit_.insertstr(editLine_, completion.insert.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    }
    if (completion.matches.size() < 2) {
      return CC_ERROR;  // nothing to complete it to, or it is whole already
    }
    std::fputs("\n", out_);
    std::fputs(listInColumns(completion.matches, screenWidth()).c_str(), out_);
    std::fflush(out_);
    return CC_REDISPLAY;
  }

 private:
  std::size_t screenWidth() const {
    winsize size{};
    if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
      return size.ws_col;
    }
    return 80;
  }

  static char* promptOf(EditLine* editLine) {
    void* self = nullptr;
    loadLibedit()->get(editLine, EL_CLIENTDATA, &self);
    return static_cast<LibeditLineEditor*>(self)->prompt_.data();
  }

  const Libedit& libedit_;
  std::FILE* out_;
  locale_t locale_;
  EditLine* editLine_;
  History* history_;
  std::string prompt_;
};

unsigned char completeKey(EditLine* editLine, int) {
  void* self = nullptr;
  loadLibedit()->get(editLine, EL_CLIENTDATA, &self);
  return static_cast<LibeditLineEditor*>(self)->completeWord();
}

#endif  // ZORVEX_HAVE_LIBEDIT

}  // namespace

std::unique_ptr<LineEditor> makeLineEditor(std::FILE* in, std::FILE* out, std::FILE* err) {
#ifdef ZORVEX_HAVE_LIBEDIT
  const Libedit* libedit = loadLibedit();
  if (libedit == nullptr) {
    return nullptr;
  }
  auto editor = std::make_unique<LibeditLineEditor>(*libedit, in, out, err);
  if (!editor->ready()) {
    return nullptr;
  }
  return editor;
#else
  (void)in;
  (void)out;
  (void)err;
  return nullptr;
#endif
}

bool atTerminal() { return isatty(STDIN_FILENO) != 0 && isatty(STDOUT_FILENO) != 0; }

std::unique_ptr<LineEditor> makeTerminalLineEditor(std::string& unavailable) {
  std::unique_ptr<LineEditor> editor = makeLineEditor(stdin, stdout, stderr);
#ifdef ZORVEX_HAVE_LIBEDIT
  unavailable = libeditUnavailable;
#endif
  return editor;
}
