#include "plans/json_document.h"

#include <set>
#include <utility>

namespace gw20::plans {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kHighSurrogate = 0xD800;
constexpr char32_t kLowSurrogate = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr unsigned char kFirstPrintable = 0x20;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A fault found while reading; caught by ParseJson and handed out as a value.
struct Refusal {
  JsonPosition at;
  std::string reason;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {
    if (text_.starts_with(kByteOrderMark)) text_.remove_prefix(kByteOrderMark.size());
  }

  JsonValue Document() {
    JsonValue value = Value(0);
    SkipSpace();
    if (!AtEnd()) Fail("text after the end of the document: " + Found());
    return value;
  }

 private:
  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return text_[at_]; }

  // A CR alone ends a line too; the LF of a CR LF ends none of its own.
  void Advance() {
    const auto byte = static_cast<unsigned char>(text_[at_++]);
    if (byte == '\r' || (byte == '\n' && (at_ < 2 || text_[at_ - 2] != '\r'))) {
      ++position_.line;
      position_.column = 1;
    } else if (byte == '\n') {
      position_.column = 1;
    } else if (!IsContinuation(byte)) {
      ++position_.column;
    }
  }

  [[noreturn]] void Fail(std::string reason) const { throw Refusal{position_, std::move(reason)}; }

  // What stands at the current place, for a message.
  std::string Found() const {
    if (AtEnd()) return "found the end of the file";
    const auto byte = static_cast<unsigned char>(Peek());
    if (byte >= kFirstPrintable && byte < 0x7F) return std::string("found '") + Peek() + "'";
    return "found a character that does not belong there";
  }

  void SkipSpace() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) Advance();
  }

  void Expect(char c, std::string_view what) {
    SkipSpace();
    if (AtEnd() || Peek() != c) Fail("expected " + std::string(what) + ", " + Found());
    Advance();
  }

  JsonValue Value(int depth) {
    SkipSpace();
    JsonValue value;
    value.at = position_;
    if (AtEnd()) Fail("expected a value, " + Found());
    const char c = Peek();
    if (c == '{' || c == '[') {
      if (depth >= kMaxJsonDepth) Fail("nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
      if (c == '{') {
        Object(value, depth + 1);
      } else {
        Array(value, depth + 1);
      }
    } else if (c == '"') {
      value.kind = JsonKind::String;
      value.text = String();
    } else if (c == '-' || IsDigit(c)) {
      value.kind = JsonKind::Number;
      value.text = Number();
    } else if (Literal("true")) {
      value.kind = JsonKind::Boolean;
      value.boolean = true;
    } else if (Literal("false")) {
      value.kind = JsonKind::Boolean;
    } else if (!Literal("null")) {
      Fail("expected a value, " + Found());
    }
    return value;
  }

  bool Literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    for (std::size_t i = 0; i < word.size(); ++i) Advance();
    return true;
  }

  void Object(JsonValue& value, int depth) {
    value.kind = JsonKind::Object;
    Advance();  // '{'
    SkipSpace();
    if (!AtEnd() && Peek() == '}') {
      Advance();
      return;
    }
    std::set<std::string> seen;
    for (;;) {
      SkipSpace();
      const JsonPosition keyAt = position_;
      if (AtEnd() || Peek() != '"') Fail("expected a key in double quotes, " + Found());
      std::string key = String();
      if (!seen.insert(key).second) throw Refusal{keyAt, "the key " + ShownQuote(key) + " is given twice"};
      Expect(':', "':' after the key");
      value.items.push_back(Value(depth));
      value.keys.push_back(std::move(key));
      value.keyAt.push_back(keyAt);
      SkipSpace();
      if (!AtEnd() && Peek() == ',') {
        Advance();
        continue;
      }
      Expect('}', "',' or '}'");
      return;
    }
  }

  void Array(JsonValue& value, int depth) {
    value.kind = JsonKind::Array;
    Advance();  // '['
    SkipSpace();
    if (!AtEnd() && Peek() == ']') {
      Advance();
      return;
    }
    for (;;) {
      value.items.push_back(Value(depth));
      SkipSpace();
      if (!AtEnd() && Peek() == ',') {
        Advance();
        continue;
      }
      Expect(']', "',' or ']'");
      return;
    }
  }

  std::string String() {
    Advance();  // the opening quote
    std::string out;
    for (;;) {
      if (AtEnd()) Fail("the file ends inside a text; its closing '\"' is missing");
      const auto byte = static_cast<unsigned char>(Peek());
      if (byte == '"') {
        Advance();
        return out;
      }
      if (byte == '\\') {
        Escape(out);
      } else if (byte < kFirstPrintable) {
        Fail("a control character inside a text must be written as an escape, like \\n");
      } else if (byte < 0x80) {
        out += Peek();
        Advance();
      } else {
        Utf8Character(out);
      }
    }
  }

  void Escape(std::string& out) {
    const JsonPosition escapeAt = position_;
    Advance();  // '\'
    if (AtEnd()) Fail("the file ends inside a text; its closing '\"' is missing");
    const char c = Peek();
    constexpr std::string_view kSimple = "\"\\/bfnrt";
    constexpr std::string_view kMeaning = "\"\\/\b\f\n\r\t";
    if (const auto k = kSimple.find(c); k != std::string_view::npos) {
      out += kMeaning[k];
      Advance();
      return;
    }
    if (c != 'u') Fail("unknown escape \\" + std::string(1, c) + " in a text");
    Advance();
    char32_t code = Hex4();
    if (code >= kHighSurrogate && code < kLowSurrogate) {
      // The first half of a character beyond U+FFFF: its second half follows.
      if (!Literal("\\u")) throw Refusal{escapeAt, "\\u escape of a lone surrogate"};
      const char32_t low = Hex4();
      if (low < kLowSurrogate || low >= kSurrogateEnd)
        throw Refusal{escapeAt, "\\u escape of a lone surrogate"};
      code = 0x10000 + ((code - kHighSurrogate) << 10) + (low - kLowSurrogate);
    } else if (code >= kLowSurrogate && code < kSurrogateEnd) {
      throw Refusal{escapeAt, "\\u escape of a lone surrogate"};
    }
    AppendUtf8(out, code);
  }

  char32_t Hex4() {
    char32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      if (AtEnd()) Fail("\\u needs four hexadecimal digits");
      const char c = Peek();
      int digit = 0;
      if (IsDigit(c)) {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        Fail("\\u needs four hexadecimal digits");
      }
      code = code * 16 + static_cast<char32_t>(digit);
      Advance();
    }
    return code;
  }

  // One multi-byte UTF-8 character, checked as the standard defines it: no
  // overlong forms, no surrogates, nothing past U+10FFFF.
  void Utf8Character(std::string& out) {
    const auto lead = static_cast<unsigned char>(Peek());
    int length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      Fail("not UTF-8 text");
    }
    for (int i = 1; i < length; ++i) {
      if (at_ + i >= text_.size() || !IsContinuation(static_cast<unsigned char>(text_[at_ + i]))) {
        Fail("not UTF-8 text");
      }
      code = (code << 6) | (static_cast<unsigned char>(text_[at_ + i]) & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length] || code > kLastCodePoint ||
        (code >= kHighSurrogate && code < kSurrogateEnd)) {
      Fail("not UTF-8 text");
    }
    out.append(text_.substr(at_, static_cast<std::size_t>(length)));
    for (int i = 0; i < length; ++i) Advance();
  }

  // The literal of a number as the grammar has it: an optional '-', 0 or a
  // digit 1..9 with more digits, an optional fraction, an optional exponent.
  std::string Number() {
    const std::size_t start = at_;
    const auto digits = [&] {
      if (AtEnd() || !IsDigit(Peek())) Fail("a number needs a digit here, " + Found());
      while (!AtEnd() && IsDigit(Peek())) Advance();
    };
    if (Peek() == '-') Advance();
    if (!AtEnd() && Peek() == '0') {
      Advance();
    } else {
      digits();
    }
    if (!AtEnd() && Peek() == '.') {
      Advance();
      digits();
    }
    if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
      Advance();
      if (!AtEnd() && (Peek() == '+' || Peek() == '-')) Advance();
      digits();
    }
    return std::string(text_.substr(start, at_ - start));
  }

  std::string_view text_;
  std::size_t at_ = 0;
  JsonPosition position_;
};

std::string Escaped(std::string_view utf8) {
  std::string out;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < kFirstPrintable) {
          constexpr std::string_view kHex = "0123456789abcdef";
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0x0F];
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace

const JsonValue* JsonValue::Member(std::string_view key) const {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return &items[i];
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, JsonSyntaxError& error) {
  try {
    return Parser(text).Document();
  } catch (const Refusal& refusal) {
    error = {refusal.at, refusal.reason};
    return std::nullopt;
  }
}

std::string JsonQuote(std::string_view utf8) { return "\"" + Escaped(utf8) + "\""; }

std::string ShownText(std::string_view utf8) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (IsContinuation(static_cast<unsigned char>(utf8[i]))) continue;
    if (characters++ == kShownCharacters) return Escaped(utf8.substr(0, i)) + "...";
  }
  return Escaped(utf8);
}

std::string ShownQuote(std::string_view utf8) { return "\"" + ShownText(utf8) + "\""; }

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  // Each Latin-1 byte is the code point of its character.
  for (const char c : latin1) AppendUtf8(utf8, static_cast<unsigned char>(c));
  return utf8;
}

}  // namespace gw20::plans
