#include "base/text_cursor.h"

void text_cursor::skip_line() {
  const std::size_t at = text_.find_first_of("\r\n", pos_);
  pos_ = at == std::string_view::npos ? text_.size() : at + 1;
}

bool text_cursor::read_until(char c, std::string& out) { return take_to(text_.find(c, pos_), out); }

bool text_cursor::take_to(std::size_t at, std::string& out) {
  if (at == std::string_view::npos) {
    out.assign(text_.substr(pos_));
    pos_ = text_.size();
    return false;
  }
  out.assign(text_.substr(pos_, at - pos_));
  pos_ = at + 1;
  return true;
}

bool text_cursor::read_value(std::string& out) {
  std::size_t at = text_.find('"', pos_);
  while (at != std::string_view::npos && at > pos_ && text_[at - 1] == '\\') {
    const std::size_t next = text_.find('"', at + 1);
    const std::size_t line_end = text_.find_first_of("\r\n", at + 1);
    if (next == std::string_view::npos || (line_end != std::string_view::npos && line_end < next)) break;
    at = next;
  }
  return take_to(at, out);
}

text_place text_cursor::place_at(std::size_t pos) {
  if (pos < counted_pos_) {  // asked about an earlier place: count again from the start
    counted_pos_ = 0;
    counted_line_ = 1;
    line_start_ = 0;
  }
  for (std::size_t i = counted_pos_; i < pos && i < text_.size(); ++i) {
    if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 == text_.size() || text_[i + 1] != '\n'))) {
      ++counted_line_;
      line_start_ = i + 1;
    }
  }
  counted_pos_ = pos;
  return {counted_line_, static_cast<int>(pos - line_start_) + 1};
}
