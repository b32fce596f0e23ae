#include "engine/report.h"

#include <cstdio>
#include <utility>

namespace vesk {
namespace {

void DefaultHandler(ReportKind kind, std::string_view text)
{
    if (kind == ReportKind::Message)
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

ReportHandler& CurrentHandler()
{
    static ReportHandler handler = DefaultHandler;
    return handler;
}

} // namespace

ReportHandler SetReportHandler(ReportHandler handler)
{
    if (!handler)
        handler = DefaultHandler;
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ReportMessage(std::string_view text)
{
    CurrentHandler()(ReportKind::Message, text);
}

void ReportDiagnostic(std::string_view text)
{
    CurrentHandler()(ReportKind::Diagnostic, text);
}

} // namespace vesk
