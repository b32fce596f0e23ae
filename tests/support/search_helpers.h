#pragma once
// Small helpers for tests of the search engine: run a keyword and read the
// result arrays as (page, count) pairs; capture what the core reports.
#include "engine/index.h"
#include "engine/report.h"

#include <string>
#include <utility>
#include <vector>

namespace vesk::test {

using Hits = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

inline Hits ResultHits(const CIndex& index)
{
    Hits hits;
    for (std::size_t i = 0; i < index.m_arrPages.size(); ++i)
        hits.emplace_back(index.m_arrPages[i], index.m_arrCounts[i]);
    return hits;
}

// Runs keyword (UTF-16, terms separated by U+0020) with "and" or "or".
inline Hits Search(CIndex& index, std::u16string keyword, bool useOr = false, bool useVariants = false)
{
    if (useOr)
        index.SearchOr(keyword, useVariants);
    else
        index.SearchAnd(keyword, useVariants);
    return ResultHits(index);
}

// Collects everything the core reports while it lives.
class ReportCapture {
public:
    ReportCapture()
    {
        m_previous = SetReportHandler([this](ReportKind kind, std::string_view text) {
            (kind == ReportKind::Message ? messages : diagnostics).emplace_back(text);
        });
    }
    ~ReportCapture() { SetReportHandler(std::move(m_previous)); }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    std::vector<std::string> messages;
    std::vector<std::string> diagnostics;

private:
    ReportHandler m_previous;
};

} // namespace vesk::test
