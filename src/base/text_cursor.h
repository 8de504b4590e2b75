// A position in a file's text, walked by both file readers (maps and
// objects): characters one at a time, words between whitespace, and the line
// and column of any position for the messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where something stands in a text, both counted from 1; the column counts
// bytes, a tab as one.
struct text_place {
  int line = 1;
  int column = 1;
  bool operator==(const text_place&) const = default;
};

class text_cursor {
 public:
  static constexpr int END = -1;  // what get() returns past the last character

  explicit text_cursor(std::string_view text) : text_(text) {}

  int get() { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : END; }
  void unget() { --pos_; }
  std::size_t pos() const { return pos_; }
  // Moves to pos, which a reader found by looking at the text itself.
  void move_to(std::size_t pos) { pos_ = pos; }

  // Skips up to and including c; false at the end of the text.
  bool skip_past(char c);
  // Skips the rest of the line: up to and including the next CR or LF.
  void skip_line();
  // The characters up to c into out, consuming c; false at the end of the
  // text, with the rest of the text in out.
  bool read_until(char c, std::string& out);
  // A value after its opening quote, up to its closing quote, which is
  // consumed; false at the end of the text. A quote after a backslash is
  // taken as part of the value (the escape other editors write) while a
  // further quote on the same line can close it; a backslash at the end of
  // a value, as in a Windows path, is kept as it is.
  bool read_value(std::string& out);
  // The next whitespace-delimited word; false when only whitespace is left.
  bool next_word(std::string_view& out);
  // The next character that is not whitespace, not consumed; END if none.
  int peek_past_space();

  // The line and column of pos, with LF, CR LF and a lone CR each ending a
  // line. Lines are counted as they are asked for, which is cheap while the
  // positions asked about only grow.
  text_place place_at(std::size_t pos);
  int line_at(std::size_t pos) { return place_at(pos).line; }

 private:
  // The text up to at into out, consuming the character at at; with at npos
  // the rest of the text, and false.
  bool take_to(std::size_t at, std::string& out);

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t counted_pos_ = 0;  // newlines are counted up to here
  int counted_line_ = 1;
  std::size_t line_start_ = 0;  // where the line of counted_pos_ starts
};

inline bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The three below run for every number or face of a map: kept here, so the
// readers' loops can take them in.
inline bool text_cursor::skip_past(char c) {
  // What is skipped is mostly a space or two, where a plain loop is quicker
  // than a call to find the character.
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* p = begin + pos_;
  while (p != end && *p != c) ++p;
  if (p == end) {
    pos_ = text_.size();
    return false;
  }
  pos_ = static_cast<std::size_t>(p - begin) + 1;
  return true;
}

inline bool text_cursor::next_word(std::string_view& out) {
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* p = begin + pos_;
  while (p != end && is_space(static_cast<unsigned char>(*p))) ++p;
  if (p == end) {
    pos_ = text_.size();
    return false;
  }
  const char* const start = p;
  while (p != end && !is_space(static_cast<unsigned char>(*p))) ++p;
  out = std::string_view(start, static_cast<std::size_t>(p - start));
  pos_ = static_cast<std::size_t>(p - begin);
  return true;
}

inline int text_cursor::peek_past_space() {
  while (pos_ < text_.size() && is_space(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : END;
}
