// CIndex::RenderHitPage and ExpandVariants: the keyword, expanded into its
// variant spellings when asked, handed to the page store's hit pages.
#include "engine/index.h"
#include "engine/report.h"
#include "engine/variant_expansion.h"

namespace vesk {

std::int32_t CIndex::RenderHitPage(std::uint32_t pageId, std::string& page, std::u16string_view keyword,
                                   std::int32_t target, bool useVariants) const
{
    if (!useVariants)
        return m_fileList.RenderHitPage(pageId, page, keyword, target);
    return RenderHitPage(pageId, page, keyword, target, useVariants, HitObserver{});
}

std::int32_t CIndex::RenderHitPage(std::uint32_t pageId, std::string& page, std::u16string_view keyword,
                                   std::int32_t target, bool useVariants, const HitObserver& observer,
                                   std::string* textCell) const
{
    if (keyword.empty())
        return 0;
    return m_fileList.RenderHitPage(
        pageId, page,
        [&](HitPageWriter& writer) {
            writer.SetHitObserver(observer);
            if (!useVariants)
                AddKeywords(keyword, writer);
            else if (!AddVariantKeywords(m_variantGroups.Groups(), keyword, writer))
                ReportDiagnostic("hit page: variant spellings cut short at the work limit");
            if (textCell && writer.Started())
                textCell->assign(writer.TextCell());
        },
        target);
}

std::vector<std::u16string> CIndex::ExpandVariants(std::u16string_view keyword) const
{
    return vesk::ExpandVariants(m_variantGroups.Groups(), keyword);
}

} // namespace vesk
