#include "console/line_editor.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cstring>
#include <string>

#ifdef ZORVEX_HAVE_LIBEDIT
#include <histedit.h>
#endif

namespace {

#ifdef ZORVEX_HAVE_LIBEDIT

/// How many lines the history keeps for recall.
constexpr int HISTORY_SIZE = 1000;

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
      : previous_(locale != static_cast<locale_t>(0) ? uselocale(locale) : static_cast<locale_t>(0)) {}
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
  const LineInfo* info = el_line(editLine);
  if (info->buffer == info->lastchar) {
    return CC_EOF;
  }
  if (info->cursor == info->lastchar) {
    return CC_ERROR;  // nothing under the cursor
  }
  el_cursor(editLine, 1);
  el_deletestr(editLine, 1);
  return CC_REFRESH;
}

/// The editor built on libedit, in its emacs key bindings. The history is
/// an in-memory list that is never loaded from or saved to a file.
class LibeditLineEditor : public LineEditor {
 public:
  LibeditLineEditor(std::FILE* in, std::FILE* out, std::FILE* err)
      : locale_(typingLocale()), editLine_(nullptr), history_(history_init()) {
    // libedit fixes at set-up which keys insert characters and whether the
    // character set is UTF-8, so it is set up in the typing locale too.
    ScopedLocale typing(locale_);
    editLine_ = el_init("zorvex", in, out, err);
    if (!ready()) {
      return;
    }
    HistEvent event;
    history(history_, &event, H_SETSIZE, HISTORY_SIZE);
    // Entering the same line twice in a row keeps one entry, so the up
    // arrow always brings a different line.
    history(history_, &event, H_SETUNIQUE, 1);
    el_set(editLine_, EL_CLIENTDATA, this);
    el_set(editLine_, EL_PROMPT, &LibeditLineEditor::promptOf);
    el_set(editLine_, EL_EDITOR, "emacs");
    // Lets libedit put the terminal back in order before a signal such as
    // Ctrl-C ends the program in the middle of a line.
    el_set(editLine_, EL_SIGNAL, 1);
    el_set(editLine_, EL_HIST, history, history_);
    el_set(editLine_, EL_ADDFN, "zorvex-end-or-delete", "End of input on an empty line, else delete",
           &endOrDeleteKey);
    el_set(editLine_, EL_BIND, "^D", "zorvex-end-or-delete", nullptr);
    // A tab is part of the line (blanks and tabs may stand anywhere in an
    // expression), not a request to complete a file name.
    el_set(editLine_, EL_BIND, "^I", "ed-insert", nullptr);
  }

  ~LibeditLineEditor() override {
    if (editLine_ != nullptr) {
      el_end(editLine_);
    }
    if (history_ != nullptr) {
      history_end(history_);
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
    {
      ScopedLocale typing(locale_);
      int count = 0;
      const char* text = el_gets(editLine_, &count);
      if (text == nullptr || count <= 0) {
        return false;
      }
      bytes.assign(text, static_cast<std::size_t>(count));
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
      history(history_, &event, H_ENTER, bytes.c_str());
      line.assignBytes(bytes.data(), bytes.size());
    }
    return true;
  }

 private:
  static char* promptOf(EditLine* editLine) {
    void* self = nullptr;
    el_get(editLine, EL_CLIENTDATA, &self);
    return static_cast<LibeditLineEditor*>(self)->prompt_.data();
  }

  locale_t locale_;
  EditLine* editLine_;
  History* history_;
  std::string prompt_;
};

#endif  // ZORVEX_HAVE_LIBEDIT

}  // namespace

std::unique_ptr<LineEditor> makeLineEditor(std::FILE* in, std::FILE* out, std::FILE* err) {
#ifdef ZORVEX_HAVE_LIBEDIT
  auto editor = std::make_unique<LibeditLineEditor>(in, out, err);
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

std::unique_ptr<LineEditor> makeTerminalLineEditor() {
  // Only a person at a terminal edits lines; a pipe or a file must get the
  // plain dialogue, byte for byte.
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    return nullptr;
  }
  return makeLineEditor(stdin, stdout, stderr);
}
