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

/// Returns true when none of the lanes of `lanes` (64 / LANE_BITS units or
/// bytes, LANE_BITS each) is changed or dropped by normalizeLine: each is
/// below 0x80, no capital, no blank or tab, and no brace or square bracket.
/// Each test works on all lanes at once: with every lane below 0x80, adding
/// or subtracting a constant below the lane's top bit never carries into
/// the next lane, and the top bit of each sum says on which side of the
/// constant the lane lies.
template <int LANE_BITS>
bool keepsAllLanes(uint64_t lanes) {
  constexpr uint64_t EACH = ~uint64_t{0} / ((uint64_t{1} << LANE_BITS) - 1);
  constexpr uint64_t TOP_BIT = uint64_t{1} << (LANE_BITS - 1);
  constexpr uint64_t TOP = TOP_BIT * EACH;
  if ((lanes & (~uint64_t{0x7F} & ((TOP_BIT << 1) - 1)) * EACH) != 0) {
    return false;
  }
  // The top bit set where a lane is zero (for lanes below TOP_BIT).
  const auto zeroLanes = [](uint64_t values) { return ~(values + (TOP_BIT - 1) * EACH) & TOP; };
  const uint64_t capitals =
      (lanes + (TOP_BIT - 'A') * EACH) & ((TOP_BIT + 'Z') * EACH - lanes) & TOP;
  const uint64_t blanks = zeroLanes(lanes ^ (' ' * EACH)) | zeroLanes(lanes ^ ('\t' * EACH));
  // '[' and ']' are '{' and '}' without bit 5.
  const uint64_t folded = lanes | (0x20 * EACH);
  const uint64_t brackets = zeroLanes(folded ^ ('{' * EACH)) | zeroLanes(folded ^ ('}' * EACH));
  return (capitals | blanks | brackets) == 0;
}

/// What normalizeLine makes of one unit: the unit to keep, or NO_UNIT. A
/// type of its own, so that the rewrites it is given to inline it.
struct NormalizedUnit {
  int operator()(char16_t unit) const {
    if (unit >= 0x80) {
      return unit;
    }
    return TABLE[unit];
  }
  static constexpr auto TABLE = [] {
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
};

}  // namespace

bool Calculator::tokenize(WideString& line) {
  normalizeLine(line);
  return cutIntoTokens(line);
}

bool Calculator::cutIntoTokens(WideString& line) {
  // Slots the line fills are rewritten below; of the rest, only those the
  // previous line used can hold anything.
  const int previouslyUsed = usedSlots_;
  tokenCount = MAX_TOKENS;
  longRuns_ = false;
  hasNames_ = false;

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
      hasNames_ = true;
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
  line.rewriteUnits(NormalizedUnit{}, u' ', [](uint64_t four) { return keepsAllLanes<16>(four); });
}

void Calculator::normalizeBytes(std::string_view bytes, WideString& line) {
  line.assignRewrittenBytes(bytes.data(), bytes.size(), NormalizedUnit{}, ' ',
                            [](uint64_t eight) { return keepsAllLanes<8>(eight); });
}
