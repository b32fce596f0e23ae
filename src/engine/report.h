#pragma once
// The reporting hook. The core never shows anything itself: it hands user
// messages (for example "データを開けませんでした。") and diagnostic lines (a
// damaged posting stream, a truncated contents file) to a function that the
// front end installs. The GUI shows a message box, the command-line tool
// prints to standard error. Without an installed handler messages go to
// standard error and diagnostics are dropped.
#include <functional>
#include <string_view>

namespace vesk {

enum class ReportKind {
    Message,     // shown to the user (a message box in the GUI)
    Diagnostic,  // debug output only
};

using ReportHandler = std::function<void(ReportKind kind, std::string_view text)>;

// Installs handler and returns the previous one. An empty handler restores the default.
ReportHandler SetReportHandler(ReportHandler handler);

void ReportMessage(std::string_view text);
void ReportDiagnostic(std::string_view text);

inline constexpr std::string_view kMessageCannotOpenData = "データを開けませんでした。";
inline constexpr std::string_view kMessageContentsMissing = "you delete data file!";

} // namespace vesk
