// Reading the arguments of a veld-tool command: anything that begins with '-'
// and has more after it is an option, everything else a path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

bool is_option(std::string_view arg);

// "--help" or "-h".
bool is_help(std::string_view arg);

// For a command without options: true when args are exactly `count` paths.
// An option is named on stderr as unknown.
bool paths_only(const char* command, const std::vector<std::string>& args, std::size_t count);

// Takes every `flag` out of args; true when there was one.
bool take_flag(std::vector<std::string>& args, std::string_view flag);

// The whole of text as one decimal number in the float range, read without
// the process locale: an optional sign, digits with an optional point and an
// optional exponent, and nothing else. False for anything more or less.
bool option_number(std::string_view text, float* out);
