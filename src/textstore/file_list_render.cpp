// CFileList::RenderHitPage: a stored page and the page number of its entry
// handed to the hit page writer.
#include "textstore/file_list.h"
#include "textstore/hit_page.h"

namespace vesk {

std::int32_t CFileList::RenderHitPage(std::uint32_t index, std::string& page,
                                      const std::function<void(HitPageWriter&)>& addKeywords,
                                      std::int32_t target) const
{
    std::string stored;
    std::string name;
    if (!m_bOpen || !ReadRecordAndName(index, stored, name))
        return 0;
    // A name without a page number counts as page 0: the first cell.
    const std::int32_t pageNumber = PageNumberFromName(name).value_or(0);
    HitPageWriter writer(stored, pageNumber, target);
    addKeywords(writer);
    if (!writer.Started())
        return 0;
    page = writer.Page();
    return writer.Anchors();
}

std::int32_t CFileList::RenderHitPage(std::uint32_t index, std::string& page, std::u16string_view keywords,
                                      std::int32_t target) const
{
    if (keywords.empty())
        return 0;
    return RenderHitPage(
        index, page, [keywords](HitPageWriter& writer) { AddKeywords(keywords, writer); }, target);
}

} // namespace vesk
