// Fields of the game's binary files, read out of bytes held in memory. Every
// caller checks with fits() before reading, so no read passes the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using byte_span = std::span<const std::uint8_t>;

inline byte_span as_bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// True when the `count` bytes from `offset` lie wholly within bytes; 64-bit
// so that no sum of two 32-bit fields can wrap.
inline bool fits(byte_span bytes, std::uint64_t offset, std::uint64_t count) {
  return offset <= bytes.size() && count <= bytes.size() - offset;
}

inline std::uint16_t u16_at(byte_span b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

inline std::uint32_t u32_at(byte_span b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

inline std::int32_t i32_at(byte_span b, std::size_t at) { return static_cast<std::int32_t>(u32_at(b, at)); }

// A name field of `width` bytes, padded with NULs when shorter.
std::string name_at(byte_span b, std::size_t at, std::size_t width);

// Names inside the game's files are matched without regard to ASCII case.
std::string lower_name(std::string_view name);
// The text in double quotes, as messages name files and textures.
std::string in_quotes(std::string_view text);
bool same_name(std::string_view a, std::string_view b);
