#include "mapio/text_cursor.h"

bool text_cursor::skip_past(char c) {
  const std::size_t at = text_.find(c, pos_);
  pos_ = at == std::string_view::npos ? text_.size() : at + 1;
  return at != std::string_view::npos;
}

bool text_cursor::read_until(char c, std::string& out) {
  const std::size_t at = text_.find(c, pos_);
  if (at == std::string_view::npos) {
    out.assign(text_.substr(pos_));
    pos_ = text_.size();
    return false;
  }
  out.assign(text_.substr(pos_, at - pos_));
  pos_ = at + 1;
  return true;
}

bool text_cursor::next_word(std::string_view& out) {
  while (pos_ < text_.size() && is_space(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  if (pos_ == text_.size()) return false;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !is_space(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  out = text_.substr(start, pos_ - start);
  return true;
}

int text_cursor::line_at(std::size_t pos) {
  if (pos < counted_pos_) {  // asked about an earlier place: count again from the start
    counted_pos_ = 0;
    counted_line_ = 1;
  }
  for (std::size_t i = counted_pos_; i < pos && i < text_.size(); ++i) {
    if (text_[i] == '\n') ++counted_line_;
  }
  counted_pos_ = pos;
  return counted_line_;
}
