#include "common/options.h"

#include "engine/report.h"
#include "textstore/data_folder_lookup.h"

#include <cstdio>
#include <system_error>

namespace vesk::tool {

std::filesystem::path ExecutableFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
               bool& ok)
{
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            ok = false;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

bool TakeDataOption(std::vector<std::string>& args, std::filesystem::path& folder, std::string& error)
{
    std::optional<std::filesystem::path> requested;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") { // everything after it is kept as it is
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        std::string value;
        bool ok = true;
        if (TakeValue(args, i, "--data", value, ok)) {
            if (!ok || value.empty()) {
                error = "--data needs a folder";
                return false;
            }
            requested = value;
            continue;
        }
        rest.push_back(args[i]);
    }
    args = std::move(rest);
    folder = FindDataFolder(requested, ExecutableFolder());
    return true;
}

bool ParseNumber(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::string InvalidUtf8Reason(std::string_view keyword, std::size_t at)
{
    char text[96];
    std::snprintf(text, sizeof text, "keyword rejected: not valid UTF-8 (byte 0x%02X at offset %zu)",
                  static_cast<unsigned>(static_cast<unsigned char>(keyword[at])), at);
    return text;
}

void InstallStderrReporter()
{
    SetReportHandler([](ReportKind, std::string_view text) {
        std::fprintf(stderr, "vesk-tool: %.*s\n", static_cast<int>(text.size()), text.data());
    });
}

} // namespace vesk::tool
