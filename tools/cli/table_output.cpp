#include "cli/table_output.h"

#include "common/options.h"
#include "common/standard_output.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstdio>

namespace vesk::tool {
namespace {

int Usage(const char* command, const std::string& why)
{
    std::fprintf(stderr, "vesk-tool %s: %s\n", command, why.c_str());
    return kExitUsage;
}

// Takes every "--name VALUE" / "--name=VALUE" before "--" out of args; the
// last value counts. False when one lacks its value.
bool TakeValues(Arguments& args, const std::string& name, std::string& value, bool& found)
{
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == "--")
            break;
        const std::size_t at = i;
        bool ok = true;
        if (!TakeValue(args, i, name, value, ok)) {
            ++i;
            continue;
        }
        if (!ok)
            return false;
        found = true;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(at), args.begin() + static_cast<std::ptrdiff_t>(i + 1));
        i = at;
    }
    return true;
}

} // namespace

int TakeTableForm(const char* command, Arguments& args, TableForm& form)
{
    bool chosen = false;
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == "--")
            break;
        TableForm named;
        if (args[i] == "--tsv")
            named = TableForm::Tsv;
        else if (args[i] == "--csv")
            named = TableForm::Csv;
        else if (args[i] == "--json")
            named = TableForm::Json;
        else {
            ++i;
            continue;
        }
        if (chosen && named != form)
            return Usage(command, "--tsv, --csv and --json exclude each other");
        form = named;
        chosen = true;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return 0;
}

int TakeNumberOption(const char* command, Arguments& args, const std::string& name, std::int64_t min,
                     std::int64_t max, std::int64_t& value)
{
    std::string text;
    bool found = false;
    const std::string why = name + " needs a number from " + std::to_string(min) + " to " + std::to_string(max);
    if (!TakeValues(args, name, text, found))
        return Usage(command, why);
    if (!found)
        return 0;
    std::uint64_t number = 0;
    if (!ParseNumber(text, number) || number > static_cast<std::uint64_t>(max) ||
        static_cast<std::int64_t>(number) < min)
        return Usage(command, why);
    value = static_cast<std::int64_t>(number);
    return 0;
}

int TakeChoiceOption(const char* command, Arguments& args, const std::string& name,
                     std::span<const std::string_view> choices, std::string& value)
{
    std::string text;
    bool found = false;
    std::string why = name + " needs ";
    for (std::size_t i = 0; i < choices.size(); ++i)
        why += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + std::string(choices[i]);
    if (!TakeValues(args, name, text, found))
        return Usage(command, why);
    if (!found)
        return 0;
    if (std::find(choices.begin(), choices.end(), text) == choices.end())
        return Usage(command, why);
    value = text;
    return 0;
}

std::string Utf8(const std::u16string& text)
{
    std::string out;
    Utf16ToUtf8(text, out, true);
    return out;
}

void Write(const std::string& text)
{
    Out().Write(text);
}

} // namespace vesk::tool
