#pragma once
// What kwic and stats share: their output forms and the options that choose
// them, and the lines they write.
#include "cli/commands.h"
#include "concordance/table_text.h"

#include <cstdint>
#include <span>
#include <string>

namespace vesk::tool {

// Takes "--tsv", "--csv" and "--json" out of args (not after "--"); returns
// 0, or the usage exit code after the message when two of them are given.
int TakeTableForm(const char* command, Arguments& args, TableForm& form);

// Takes "--NAME VALUE" or "--NAME=VALUE" out of args (the last one counts);
// returns 0, or the usage exit code after the message when the value is
// missing or is not a whole number in min .. max. found tells whether it was given.
int TakeNumberOption(const char* command, Arguments& args, const std::string& name, std::int64_t min,
                     std::int64_t max, std::int64_t& value);

// The same for a word from choices.
int TakeChoiceOption(const char* command, Arguments& args, const std::string& name,
                     std::span<const std::string_view> choices, std::string& value);

std::string Utf8(const std::u16string& text);

// Writes text to standard output as it is.
void Write(const std::string& text);

} // namespace vesk::tool
