#pragma once
// A small, strict JSON reader that keeps where every value stands, and the
// string quoting of a JSON writer. Generic: it knows nothing of plans. The
// plan layer above it gives the values their meaning and says where a bad one
// is.
// Why not a library's reader: what this one adds to the grammar is most of
// its code (a line and a column in characters for every value and key, where
// a SAX reader such as RapidJSON's gives a byte offset; a key given twice
// refused; a depth limit; numbers kept as written for the plan layer to
// judge). On a library those would remain as a handler of our own, so gw20cli
// would take on a dependency for little less code. The reader is fuzzed with
// the plan layer (tests/fuzz).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw20::plans {

// A place in the text: line and column from 1, the column counted in
// characters (a character outside ASCII is one column, as editors show it).
// A line ends with LF, CR LF or a CR alone, as editors break lines.
struct JsonPosition {
  int line = 1;
  int column = 1;
  friend bool operator==(const JsonPosition&, const JsonPosition&) = default;
};

enum class JsonKind { Null, Boolean, Number, String, Array, Object };

struct JsonValue {
  JsonKind kind = JsonKind::Null;
  JsonPosition at;  // where the value starts
  bool boolean = false;
  // String: the decoded text, UTF-8. Number: the literal as written.
  std::string text;
  // Array: the elements. Object: the values, in the order written.
  std::vector<JsonValue> items;
  // Object only, parallel to items: each key (decoded, UTF-8) and where it stands.
  std::vector<std::string> keys;
  std::vector<JsonPosition> keyAt;

  // The value of `key` in an object; nullptr when absent or not an object.
  const JsonValue* Member(std::string_view key) const;
};

struct JsonSyntaxError {
  JsonPosition at;
  std::string reason;
};

// How deep arrays and objects may nest; deeper text is refused rather than
// recursed into without end.
inline constexpr int kMaxJsonDepth = 32;

// Reads exactly one value, with only white space around it (a UTF-8 byte
// order mark at the start is skipped). Refuses, with the position of the
// first fault: anything outside the JSON grammar, text that is not UTF-8,
// a key given twice in one object, and nesting past kMaxJsonDepth.
std::optional<JsonValue> ParseJson(std::string_view text, JsonSyntaxError& error);

// `utf8` as a JSON string literal with its quotes: '"', '\\' and the control
// characters escaped, everything else as it is.
std::string JsonQuote(std::string_view utf8);
// The program's 8-bit (Latin-1) text as UTF-8, as JSON strings hold it.
std::string Latin1ToUtf8(std::string_view latin1);

// How many characters of a key or a text from the file a message shows.
inline constexpr std::size_t kShownCharacters = 40;
// `utf8` as a message shows it: its first kShownCharacters characters,
// escaped as JsonQuote escapes them, and "..." when there were more, so a
// key of any length, or one holding a line break, stays one short line.
std::string ShownText(std::string_view utf8);
// ShownText in double quotes.
std::string ShownQuote(std::string_view utf8);

}  // namespace gw20::plans
