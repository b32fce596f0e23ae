#include "import/import_options.h"

#include "import/paginate.h"
#include "import/text_decoding.h"

namespace vesk::import {

const char* const kUsage =
    "usage: vesk-import --from text|tei|kanripo [--build OUT_DATA_DIR] [--category NAME]\n"
    "                   [--encoding ENC] [--page-break REGEX] [--page-chars N]\n"
    "                   [--note-brackets PAIRS] [--keep-lines] [--variants FILE]\n"
    "                   [--force] [--progress] INPUT... OUT_SOURCE_DIR\n";

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem)
{
    std::vector<std::string> positional;
    bool haveFormat = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                problem = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "-h" || arg == "--help") {
            line.help = true;
            return true;
        } else if (arg == "--from") {
            if (!value(v))
                return false;
            if (v == "text") line.import.format = Format::Text;
            else if (v == "tei") line.import.format = Format::Tei;
            else if (v == "kanripo") line.import.format = Format::Kanripo;
            else {
                problem = "--from takes text, tei or kanripo, not \"" + v + "\"";
                return false;
            }
            haveFormat = true;
        } else if (arg == "--build") {
            if (!value(v))
                return false;
            line.dataOut = v;
        } else if (arg == "--category") {
            if (!value(line.import.category))
                return false;
        } else if (arg == "--encoding") {
            if (!value(line.import.encoding))
                return false;
            if (!IsKnownEncoding(line.import.encoding)) {
                problem = "unknown encoding \"" + line.import.encoding + "\"";
                return false;
            }
        } else if (arg == "--page-break") {
            if (!value(v))
                return false;
            try {
                line.import.pageBreak = std::regex(v, std::regex::ECMAScript);
            } catch (const std::regex_error&) {
                problem = "--page-break: \"" + v + "\" is not a valid regular expression";
                return false;
            }
        } else if (arg == "--page-chars") {
            if (!value(v))
                return false;
            unsigned long n = 0;
            std::size_t used = 0;
            try {
                n = std::stoul(v, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != v.size() || n < 1 || n > kMaxPagePositions / 2) {
                problem = "--page-chars takes a number from 1 to " + std::to_string(kMaxPagePositions / 2);
                return false;
            }
            line.import.pageChars = static_cast<std::uint32_t>(n);
        } else if (arg == "--note-brackets") {
            if (!value(v))
                return false;
            if (!ParseBracketPairs(v, line.import.noteBrackets)) {
                problem = "--note-brackets takes pairs of characters, such as \"（）〔〕\"";
                return false;
            }
        } else if (arg == "--keep-lines") {
            line.import.keepLines = true;
        } else if (arg == "--variants") {
            if (!value(v))
                return false;
            line.import.variants = v;
        } else if (arg == "--force") {
            line.force = true;
        } else if (arg == "--progress") {
            line.progress = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option " + arg;
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (!haveFormat) {
        problem = "--from text|tei|kanripo is required";
        return false;
    }
    if (positional.size() < 2) {
        problem = "expected INPUT... and OUT_SOURCE_DIR";
        return false;
    }
    line.sourceOut = positional.back();
    positional.pop_back();
    for (const std::string& input : positional)
        line.import.inputs.emplace_back(input);
    return true;
}

} // namespace vesk::import
