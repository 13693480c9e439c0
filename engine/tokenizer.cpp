#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "engine/calculator.h"
#include "text/number_text.h"

namespace {

bool isLetter(char16_t unit) { return static_cast<unsigned>(unit) - u'a' < 26; }

/// What a unit of a normalised line starts: a run of letters, a run of
/// digits and points, or a token of its own.
enum RunKind : uint8_t { NO_RUN, LETTERS, DIGITS };

RunKind runKindOf(char16_t unit) {
  static constexpr auto kinds = [] {
    std::array<RunKind, 0x80> table{};
    for (int c = 'a'; c <= 'z'; ++c) table[c] = LETTERS;
    for (int c = '0'; c <= '9'; ++c) table[c] = DIGITS;
    table['.'] = DIGITS;
    return table;
  }();
  return unit < 0x80 ? kinds[unit] : NO_RUN;
}

/// Runs of at least this many units move out of the line instead of being
/// copied.
constexpr std::size_t TAKEN_RUN_UNITS = std::size_t{1} << 20;
static_assert(TAKEN_RUN_UNITS > UnitBuffer::KEPT_UNITS, "a run that moves is a long run too");

/// Returns true when none of four units (16 bits each in `four`) is changed
/// or dropped by normalizeLine: each is below 0x80, no capital, no blank or
/// tab, and no brace or square bracket. Each test works on all four at once:
/// with every unit below 0x80, adding or subtracting a constant below 0x8000
/// per unit never carries into the next unit, and bit 15 of each sum says
/// on which side of the constant the unit lies.
bool keepsFourUnits(uint64_t four) {
  constexpr uint64_t EACH = 0x0001000100010001ull;
  constexpr uint64_t TOP = 0x8000 * EACH;
  if ((four & (0xFF80 * EACH)) != 0) {
    return false;
  }
  // Bit 15 set where a unit is zero (for units below 0x8000).
  const auto zeroUnits = [](uint64_t units) { return ~(units + 0x7FFF * EACH) & TOP; };
  const uint64_t capitals = (four + (0x8000 - 'A') * EACH) & ((0x8000 + 'Z') * EACH - four) & TOP;
  const uint64_t blanks = zeroUnits(four ^ (' ' * EACH)) | zeroUnits(four ^ ('\t' * EACH));
  // '[' and ']' are '{' and '}' without bit 5.
  const uint64_t folded = four | (0x20 * EACH);
  const uint64_t brackets = zeroUnits(folded ^ ('{' * EACH)) | zeroUnits(folded ^ ('}' * EACH));
  return (capitals | blanks | brackets) == 0;
}

}  // namespace

bool Calculator::tokenize(WideString& line) {
  // Slots the line fills are rewritten below; of the rest, only those the
  // previous line used can hold anything.
  const int previouslyUsed = usedSlots_;
  tokenCount = MAX_TOKENS;
  longRuns_ = false;

  normalizeLine(line);

  // Letters and number characters form runs; every other unit is a token
  // of its own whose kind is the unit.
  std::u16string_view units = line.view();
  int slot = -1;
  std::size_t i = 0;
  bool fits = true;
  while (i < units.size()) {
    if (slot + 1 == MAX_TOKENS) {
      fits = false;
      break;
    }
    ++slot;
    Token& token = tokens[slot];
    const char16_t unit = units[i];
    const RunKind run = runKindOf(unit);
    if (run == NO_RUN) {
      token.kind = unit;
      token.text.clear();
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    std::optional<double> value;
    if (run == LETTERS) {
      while (end < units.size() && isLetter(units[end])) {
        ++end;
      }
      token.kind = TOKEN_NAME;
    } else {
      // A number's run is read as it is cut, so that its token knows the
      // value its text reads as without reading it again.
      DecimalReader number;
      end = i + number.takeRun(units.substr(i));
      value = number.value();
      token.kind = TOKEN_NUMBER;
    }
    if (end - i > UnitBuffer::KEPT_UNITS) [[unlikely]] {
      longRuns_ = true;
      if (end - i >= TAKEN_RUN_UNITS && end - i >= units.size() - end) {
        // A run this long is not copied: its token takes over the line's
        // units, and the line keeps only what follows the run, so that the
        // line and a copy of its run are never in memory at once.
        WideString rest = line.substring(static_cast<int>(end), -1);
        line.keepRange(static_cast<int>(i), static_cast<int>(end));
        token.text = std::move(line);
        line = std::move(rest);
        units = line.view();
        i = 0;
        continue;
      }
    }
    if (run == LETTERS) {
      token.text.assignRun(units.substr(i), end - i);
    } else {
      token.text.assignNumberRun(units.substr(i), end - i, value);
    }
    i = end;
  }
  usedSlots_ = slot + 1;
  for (int rest = usedSlots_; rest < previouslyUsed; ++rest) {
    tokens[rest].kind = TOKEN_EMPTY;
    tokens[rest].text.clear();
  }
  linkSlots();
  return fits;
}

void Calculator::normalizeLine(WideString& line) {
  // Letters to lower case, blanks and tabs out, every bracket shape to
  // round brackets: all in one pass over the line, with the same result as
  // folding, removing and replacing one unit at a time.
  line.rewriteUnits(
      [](char16_t unit) -> int {
        if (unit >= 0x80) {
          return unit;
        }
        static constexpr auto normalized = [] {
          std::array<int16_t, 0x80> table{};
          for (int c = 0; c < 0x80; ++c) {
            table[c] = static_cast<int16_t>(c);
          }
          for (int c = 'A'; c <= 'Z'; ++c) {
            table[c] = static_cast<int16_t>(c + 0x20);
          }
          table[' '] = table['\t'] = WideString::NO_UNIT;
          table['{'] = table['['] = '(';
          table['}'] = table[']'] = ')';
          return table;
        }();
        return normalized[unit];
      },
      u' ', keepsFourUnits);
}
