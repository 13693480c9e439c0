#include "console/line_editor.h"

#include <errno.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <type_traits>

#ifdef ZORVEX_HAVE_LIBEDIT
#include <dlfcn.h>
#include <histedit.h>
#endif

#include "console/history_file.h"
#include "console/interrupts.h"
#include "console/messages.h"

namespace {

#ifdef ZORVEX_HAVE_LIBEDIT

/// Returns the screen row (from 0) that writing `shown` from the start of a
/// row leaves the cursor on, on a screen `width` columns wide, laid out as
/// the editor lays out a line: a tab to the next multiple of eight, another
/// control character as two (^X), a line feed to the next row, every other
/// character as one column, and a full row going on to the next.
std::size_t rowAfter(std::string_view shown, std::size_t width) {
  std::size_t row = 0;
  std::size_t column = 0;
  auto advance = [&](std::size_t columns) {
    for (; columns > 0; --columns) {
      if (++column >= width) {
        column = 0;
        ++row;
      }
    }
  };
  for (char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n') {
      column = 0;
      ++row;
    } else if (byte == '\t') {
      advance(8 - column % 8);
    } else if (byte < 0x20 || byte == 0x7f) {
      advance(2);
    } else if ((byte & 0xc0) != 0x80) {  // not the continuation of a character
      advance(1);
    }
  }
  return row;
}

/// How many lines the history keeps for recall: as many as its file.
constexpr int HISTORY_SIZE = static_cast<int>(HistoryFile::CAPACITY);

/// The keys bound on top of libedit's emacs bindings, as users of an
/// emacs-style line expect them at the common terminals (xterm, screen,
/// tmux, the Linux console each send their own sequences). ~/.editrc is
/// read after them, so that a user can still bind every key otherwise.
struct KeyBinding {
  const char* keys;
  const char* command;
};
constexpr KeyBinding KEY_BINDINGS[] = {
    {"\033[1;5D", "ed-prev-word"},  // Ctrl-Left
    {"\033[1;5C", "em-next-word"},  // Ctrl-Right
    {"\033[5D", "ed-prev-word"},   {"\033[5C", "em-next-word"},
    {"\033Od", "ed-prev-word"},    {"\033Oc", "em-next-word"},
    {"\033[1;3D", "ed-prev-word"},  // Alt-Left
    {"\033[1;3C", "em-next-word"},  // Alt-Right
    {"\033b", "ed-prev-word"},      // Alt-b
    {"\033f", "em-next-word"},      // Alt-f
    {"\033[H", "ed-move-to-beg"},   // Home
    {"\033OH", "ed-move-to-beg"},  {"\033[1~", "ed-move-to-beg"},
    {"\033[7~", "ed-move-to-beg"}, {"\033[F", "ed-move-to-end"},  // End
    {"\033OF", "ed-move-to-end"},  {"\033[4~", "ed-move-to-end"},
    {"\033[8~", "ed-move-to-end"}, {"\033[3~", "ed-delete-next-char"},  // Delete
    {"^U", "vi-kill-line-prev"},                                        // to the start of the line
    {"^W", "ed-delete-prev-word"},  // the word before the cursor
};

/// The keys that, typed inside a reverse search (Ctrl-R), leave it and then
/// act as they do outside it: each escape sequence is handed to the search
/// as the control key with the same action, which the search takes as the
/// end of the search and performs.
struct SearchExit {
  const char* sequence;  // after the escape
  char key;
};
constexpr SearchExit SEARCH_EXITS[] = {
    {"[A", 'P' - '@'}, {"OA", 'P' - '@'}, {"[B", 'N' - '@'},  {"OB", 'N' - '@'},
    {"[C", 'F' - '@'}, {"OC", 'F' - '@'}, {"[D", 'B' - '@'},  {"OD", 'B' - '@'},
    {"[H", 'A' - '@'}, {"OH", 'A' - '@'}, {"[1~", 'A' - '@'}, {"[7~", 'A' - '@'},
    {"[F", 'E' - '@'}, {"OF", 'E' - '@'}, {"[4~", 'E' - '@'}, {"[8~", 'E' - '@'},
};

/// How long the rest of an escape sequence may take to arrive.
constexpr int ESCAPE_WAIT_MS = 50;

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
  decltype(&::el_resize) resize;
  decltype(&::el_source) source;
  decltype(&::history_init) historyInit;
  decltype(&::history_end) historyEnd;
  decltype(&::history) history;
};

/// libedit's functions once loaded, or why it could not be loaded.
struct LoadedLibedit {
  const Libedit* api = nullptr;
  EditorLoadFailure failure;
};

/// Loads libedit once; returns its functions, or none and the reason when
/// the library or any of them is missing (the dialogue then reads lines
/// plainly).
const LoadedLibedit& libeditLoaded() {
  static const LoadedLibedit loaded = []() -> LoadedLibedit {
    // ZORVEX_LIBEDIT names another library file to load instead; the tests
    // point it at a missing file to see a terminal session without editing.
    // Set but empty, it names none. A program running with privileges it
    // was given (setuid) never loads a library its caller names.
    const char* named = secure_getenv("ZORVEX_LIBEDIT");
    if (named != nullptr && *named == '\0') {
      named = nullptr;
    }
    void* library = dlopen(named != nullptr ? named : "libedit.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && named == nullptr) {
      library = dlopen("libedit.so", RTLD_NOW | RTLD_LOCAL);
    }
    if (library == nullptr) {
      const char* reason = dlerror();
      return {nullptr,
              {EditorLoadFailure::Kind::LIBRARY_NOT_LOADED, reason != nullptr ? reason : ""}};
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
    bind(api.resize, "el_resize");
    bind(api.source, "el_source");
    bind(api.historyInit, "history_init");
    bind(api.historyEnd, "history_end");
    bind(api.history, "history");
    if (!complete) {
      return {nullptr, {EditorLoadFailure::Kind::FUNCTION_MISSING, ""}};
    }
    return {&api, {}};
  }();
  return loaded;
}

/// Returns libedit's functions, loading it the first time; null when it
/// cannot be loaded.
const Libedit* loadLibedit() { return libeditLoaded().api; }

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

/// Reads a key for libedit, see LibeditLineEditor::readKey.
int readKeyFor(EditLine* editLine, wchar_t* key);

/// The editor built on libedit, in its emacs key bindings. Its history is
/// a list in memory; whoever keeps it in a file hands it the past lines.
///
/// libedit reads its keys through this editor (readKey), which is where the
/// signals of the run are acted on, between two keys, when libedit's own
/// state is whole: Ctrl-C gives up the line, Ctrl-Z stops the program, and
/// a new window size redraws the line. libedit's own signal handling stays
/// off: it passes signals on to the whole process group, and on a resize
/// it keeps the cursor position of the old width in the display it has
/// just made for the new one, so that the next character typed at the end
/// of a long line is written past the end of a display row.
class LibeditLineEditor : public LineEditor {
 public:
  LibeditLineEditor(const Libedit& libedit, std::FILE* in, std::FILE* out, std::FILE* err)
      : libedit_(libedit),
        inFd_(fileno(in)),
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
    libedit_.set(editLine_, EL_SIGNAL, 0);
    libedit_.set(editLine_, EL_GETCFN, &readKeyFor);
    libedit_.set(editLine_, EL_HIST, libedit_.history, history_);
    libedit_.set(editLine_, EL_ADDFN, "zorvex-end-or-delete",
                 "End of input on an empty line, else delete", &endOrDeleteKey);
    libedit_.set(editLine_, EL_BIND, "^D", "zorvex-end-or-delete", nullptr);
    libedit_.set(editLine_, EL_ADDFN, "zorvex-complete", "Complete a name", &completeKey);
    libedit_.set(editLine_, EL_BIND, "^I", "zorvex-complete", nullptr);
    for (const KeyBinding& binding : KEY_BINDINGS) {
      libedit_.set(editLine_, EL_BIND, binding.keys, binding.command, nullptr);
    }
    // The user's own bindings, from $EDITRC or ~/.editrc when there is one.
    libedit_.source(editLine_, nullptr);
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

  ReadResult readEditedLine(const char* prompt, WideString& line) override {
    prompt_ = prompt;
    line.clear();
    // A resize or an interrupt that came before this read is not meant for
    // it (libedit takes the window's size as each read starts); a stop is
    // made now.
    takeInterrupt();
    takeResize();
    if (takeStop() && signals_ != nullptr) {
      signals_->stop();
    }
    takeContinue();
    std::string bytes;
    for (;;) {
      ScopedLocale typing(locale_);
      outcome_ = Outcome::READING;
      pending_.clear();
      decoding_ = std::mbstate_t{};
      columns_ = screenWidth();
      int count = 0;
      const char* text = libedit_.gets(editLine_, &count);
      if (outcome_ == Outcome::FAILED) {
        return ReadResult::FAILED;
      }
      if (outcome_ == Outcome::INTERRUPTED) {
        // Ctrl-C gave up the line typed so far; readKey has left the
        // cursor below it, where the fresh prompt starts.
        libedit_.reset(editLine_);
        continue;
      }
      if (text == nullptr || count <= 0) {
        return ReadResult::END;  // Ctrl-D, or the terminal was hung up
      }
      bytes.assign(text, static_cast<std::size_t>(count));
      break;
    }
    // The line end is not part of the line, as in reading from a stream.
    bytes.resize(withoutLineEnd(bytes).size());
    if (!bytes.empty()) {
      HistEvent event;
      libedit_.history(history_, &event, H_ENTER, bytes.c_str());
      line.assignBytes(bytes.data(), bytes.size());
      if (entered_) {
        entered_(bytes);
      }
    }
    return ReadResult::LINE;
  }

  std::string failure() const override { return readFailure(readError_); }

  void addHistory(const std::string& line) override {
    HistEvent event;
    libedit_.history(history_, &event, H_ENTER, line.c_str());
  }

  /// Gives libedit the next key typed, decoded in the typing locale: 1 with
  /// the key, 0 at the end of input, or -1 when the line is given up (for
  /// Ctrl-C, or a terminal that cannot be read).
  int readKey(wchar_t* key) {
    for (;;) {
      const int byte = nextByte(-1);
      if (byte == END_OF_INPUT) {
        return 0;
      }
      if (byte < 0) {
        errno = outcome_ == Outcome::FAILED ? readError_ : EINTR;
        return -1;
      }
      if (byte == '\033' && inSearch()) {
        if (const char exit = searchExit(); exit != '\0') {
          *key = static_cast<wchar_t>(exit);
          return 1;
        }
      }
      const char c = static_cast<char>(byte);
      const std::size_t decoded = std::mbrtowc(key, &c, 1, &decoding_);
      if (decoded == static_cast<std::size_t>(-2)) {
        continue;  // a character of several bytes, not whole yet
      }
      if (decoded == static_cast<std::size_t>(-1)) {
        decoding_ = std::mbstate_t{};  // no character: dropped
        continue;
      }
      return 1;
    }
  }

  /// Tab: completes the word of letters before the cursor as far as its
  /// matches agree; when they agree no further, lists them below the line
  /// (asking first when there are many). With no word before the cursor,
  /// a tab is typed, since blanks and tabs may stand anywhere in an
  /// expression.
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
    moveBelowLine();
    if (completion.matches.size() > MATCHES_WITHOUT_ASKING) {
      std::fprintf(out_, "Show all %zu matches? (y or n) ", completion.matches.size());
      std::fflush(out_);
      const int answer = nextByte(-1);
      std::fputs("\r\n", out_);
      if (answer != 'y' && answer != 'Y') {
        std::fflush(out_);
        return CC_REDISPLAY;
      }
    }
    const std::string listing = listInColumns(completion.matches, screenWidth());
    for (char c : listing) {
      // Written in the editor's terminal mode, where a line feed alone
      // would not return to the first column.
      if (c == '\n') {
        std::fputc('\r', out_);
      }
      std::fputc(c, out_);
    }
    std::fflush(out_);
    return CC_REDISPLAY;
  }

 private:
  /// What the read in progress has come to.
  enum class Outcome { READING, INTERRUPTED, FAILED };
  /// What nextByte returns besides a byte.
  static constexpr int GIVEN_UP = -1;      // the line is given up (outcome_ says why)
  static constexpr int END_OF_INPUT = -2;  // the terminal has nothing more
  static constexpr int NO_BYTE = -3;       // none came in the time given

  /// Returns the next byte typed, waiting at most `waitMs` milliseconds
  /// (for ever when negative). While it waits, it acts on the signals that
  /// come: Ctrl-C gives the line up (GIVEN_UP), Ctrl-Z stops the program,
  /// a continue or a new window size redraws the line.
  int nextByte(int waitMs) {
    if (outcome_ != Outcome::READING) {
      return GIVEN_UP;
    }
    if (!pending_.empty()) {
      const auto byte = static_cast<unsigned char>(pending_.front());
      pending_.erase(0, 1);
      return byte;
    }
    for (;;) {
      // The signals are blocked from the look at their notes until the
      // wait begins, so that none comes in between unnoticed.
      sigset_t noted;
      sigset_t previous;
      sigemptyset(&noted);
      for (int signal : {SIGINT, SIGWINCH, SIGTSTP, SIGCONT}) {
        sigaddset(&noted, signal);
      }
      sigprocmask(SIG_BLOCK, &noted, &previous);
      if (waitMs < 0 && actOnSignals()) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        if (outcome_ != Outcome::READING) {
          return GIVEN_UP;
        }
        continue;
      }
      // In the background a read fails at once (or stops the program),
      // while waiting for input would wait for ever.
      if (tcgetpgrp(inFd_) == getpgrp()) {
        pollfd ready{inFd_, POLLIN, 0};
        timespec limit{waitMs / 1000, (waitMs % 1000) * 1000000L};
        const int got = ppoll(&ready, 1, waitMs < 0 ? nullptr : &limit, &previous);
        if (got <= 0) {
          sigprocmask(SIG_SETMASK, &previous, nullptr);
          if (waitMs >= 0) {
            return NO_BYTE;
          }
          continue;  // a signal came: acted on above
        }
      }
      sigprocmask(SIG_SETMASK, &previous, nullptr);
      unsigned char byte = 0;
      const ssize_t got = read(inFd_, &byte, 1);
      if (got == 1) {
        return byte;
      }
      if (got == 0) {
        return END_OF_INPUT;
      }
      if (errno == EINTR || errno == EAGAIN) {
        if (waitMs >= 0) {
          return NO_BYTE;
        }
        continue;
      }
      if (errno == EIO && hungUp()) {
        return END_OF_INPUT;
      }
      readError_ = errno;
      outcome_ = Outcome::FAILED;
      return GIVEN_UP;
    }
  }

  /// Acts on the signals noted since the last look; returns true when
  /// there was any.
  bool actOnSignals() {
    if (takeInterrupt()) {
      moveBelowLine();
      outcome_ = Outcome::INTERRUPTED;
      return true;
    }
    bool acted = false;
    if (takeStop() && signals_ != nullptr) {
      // Whatever the shell writes about the stop goes below the line, and
      // the line is drawn afresh below that once the program goes on
      // (at once where there is no job control).
      moveBelowLine();
      signals_->stop();
      takeContinue();
      libedit_.set(editLine_, EL_REFRESH);
      acted = true;
    }
    if (takeContinue()) {
      // Back from a stop: the shell has written on the screen meanwhile,
      // so the line is drawn afresh where the cursor is.
      libedit_.set(editLine_, EL_REFRESH);
      acted = true;
    }
    if (takeResize()) {
      redrawForNewSize();
      acted = true;
    }
    return acted;
  }

  /// Draws the line again for the window's new size: back to the row the
  /// prompt starts on, the screen cleared from there, then libedit's
  /// display remade for the new size and, before anything else uses it,
  /// cleared and redrawn from the prompt's start. Some terminals lay the
  /// rows of a wrapped line out again for the new width and some keep
  /// them; of the two row counts the smaller is climbed, which at worst
  /// leaves a row of the old line in view and never clears what was above.
  void redrawForNewSize() {
    const std::size_t oldColumns = columns_;
    columns_ = screenWidth();
    const std::string shown = shownBeforeCursor();
    const std::size_t rowsUp = std::min(rowAfter(shown, oldColumns), rowAfter(shown, columns_));
    std::fputs("\r", out_);
    if (rowsUp > 0) {
      std::fprintf(out_, "\033[%zuA", rowsUp);
    }
    std::fputs("\033[J", out_);
    std::fflush(out_);
    libedit_.resize(editLine_);
    libedit_.set(editLine_, EL_REFRESH);
  }

  /// Moves the cursor to the start of the row below the whole line, so
  /// that what is written next (a listing, a fresh prompt) leaves every
  /// row of a line that wraps in place.
  void moveBelowLine() {
    const LineInfo* info = libedit_.line(editLine_);
    const std::string whole =
        prompt_ +
        std::string(info->buffer, static_cast<std::size_t>(info->lastchar - info->buffer));
    const std::size_t below =
        rowAfter(whole, columns_) - rowAfter(shownBeforeCursor(), columns_) + 1;
    std::fputs("\r", out_);
    for (std::size_t row = 0; row < below; ++row) {
      std::fputs("\n", out_);
    }
    std::fflush(out_);
  }

  /// The prompt and the line up to the cursor, as shown.
  std::string shownBeforeCursor() const {
    const LineInfo* info = libedit_.line(editLine_);
    return prompt_ +
           std::string(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
  }

  /// Returns true while a reverse search (Ctrl-R) waits for a key: libedit
  /// shows the search below the line, after a line feed that no line can
  /// hold otherwise.
  bool inSearch() const {
    const LineInfo* info = libedit_.line(editLine_);
    return std::memchr(info->buffer, '\n',
                       static_cast<std::size_t>(info->lastchar - info->buffer)) != nullptr;
  }

  /// After an escape typed in a search: returns the control key that ends
  /// the search and does what the escape sequence that follows does, or
  /// '\0' (the bytes read then come next) when there is none.
  char searchExit() {
    std::string sequence;
    while (sequence.size() < 4) {
      const int byte = nextByte(ESCAPE_WAIT_MS);
      if (byte < 0) {
        break;
      }
      sequence.push_back(static_cast<char>(byte));
      if (sequence.size() >= 2 && byte >= 0x40 && byte <= 0x7e) {
        break;  // the final byte of a sequence
      }
    }
    for (const SearchExit& exit : SEARCH_EXITS) {
      if (sequence == exit.sequence) {
        return exit.key;
      }
    }
    pending_.insert(0, sequence);
    return '\0';
  }

  /// Returns true when the terminal has been hung up.
  bool hungUp() const {
    pollfd state{inFd_, POLLIN, 0};
    return poll(&state, 1, 0) > 0 && (state.revents & POLLHUP) != 0;
  }

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
  int inFd_;
  std::FILE* out_;
  locale_t locale_;
  EditLine* editLine_;
  History* history_;
  std::string prompt_;
  Outcome outcome_ = Outcome::READING;
  int readError_ = 0;
  std::string pending_;  // bytes read ahead that come before any new one
  std::mbstate_t decoding_{};
  std::size_t columns_ = 80;  // the width the line is laid out in
};

int readKeyFor(EditLine* editLine, wchar_t* key) {
  void* self = nullptr;
  loadLibedit()->get(editLine, EL_CLIENTDATA, &self);
  return static_cast<LibeditLineEditor*>(self)->readKey(key);
}

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

TerminalLineEditor makeTerminalLineEditor() {
  TerminalLineEditor terminal{makeLineEditor(stdin, stdout, stderr), {}};
#ifdef ZORVEX_HAVE_LIBEDIT
  terminal.failure = libeditLoaded().failure;
#endif
  return terminal;
}
