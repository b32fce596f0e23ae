#include "import/source_corpus_writer.h"

#include "builder/utf8_text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vesk::import {
namespace {

namespace fs = std::filesystem;

std::string Numbered(char prefix, int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%c%04d", prefix, n);
    return text;
}

} // namespace

bool WriteNewFile(const fs::path& path, std::string_view bytes, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path.string() + ": cannot create: " + std::strerror(errno);
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = path.string() + ": cannot write: " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd) != 0) {
        error = path.string() + ": cannot write: " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string ContentsName(std::string_view name, const std::string& where, const WarnFn& warn)
{
    std::string clean;
    for (const char c : name)
        clean.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c);
    std::size_t units = 0, i = 0, cut = std::string::npos;
    while (i < clean.size()) {
        const std::size_t start = i;
        const char32_t c = build::DecodeUtf8(clean, i);
        const std::size_t width = c != build::kInvalidUtf8 && c >= 0x10000 ? 2 : 1;
        if (units + width > kMaxNameUnits - 1 && cut == std::string::npos)
            cut = start;
        units += width;
    }
    if (units <= kMaxNameUnits)
        return clean;
    std::string shortened = clean.substr(0, cut) + "…";
    if (warn)
        warn(where + ": the name \"" + clean.substr(0, cut) + "…\" is longer than 99 UTF-16 units; shortened");
    return shortened;
}

SourceCorpusWriter::SourceCorpusWriter(fs::path dir, WarnFn warn) : m_dir(std::move(dir)), m_warn(std::move(warn))
{
}

bool SourceCorpusWriter::AddNode(int level, const std::string& name, const std::string& folder,
                                 const std::string& where, std::string& error)
{
    if (++m_nodes > kMaxContentsNodes) {
        error = where + ": more than 9999 categories, works and volumes in all (the contents' limit)";
        return false;
    }
    m_contents += std::to_string(level) + "\t" + name;
    if (!folder.empty())
        m_contents += "\t" + folder;
    m_contents += '\n';
    return true;
}

bool SourceCorpusWriter::Category(std::string_view name, const std::string& where, std::string& error)
{
    const std::string clean = ContentsName(name, where, m_warn);
    if (m_haveCategory && clean == m_categoryName)
        return true;
    m_categoryName = clean;
    m_haveCategory = true;
    m_haveWork = false;
    ++m_categoryNumber;
    m_workNumber = 0;
    return AddNode(1, clean, {}, where, error);
}

bool SourceCorpusWriter::Work(std::string_view name, const std::string& where, std::string& error)
{
    const std::string clean = ContentsName(name, where, m_warn);
    if (m_haveWork && clean == m_workName)
        return true;
    m_workName = clean;
    m_haveWork = true;
    ++m_workNumber;
    m_volumeNumber = 0;
    return AddNode(2, clean, {}, where, error);
}

bool SourceCorpusWriter::Volume(std::string_view name, const std::string& where, const VolumeText& text,
                                PaginateOptions options, std::string& error)
{
    const std::string clean = ContentsName(name, where, m_warn);
    ++m_volumeNumber;
    const std::string folder = Numbered('c', m_categoryNumber) + "/" + Numbered('w', m_workNumber) + "/" +
                               Numbered('v', m_volumeNumber);
    std::error_code ec;
    fs::create_directories(m_dir / folder, ec);
    if (ec) {
        error = (m_dir / folder).string() + ": cannot create the folder: " + ec.message();
        return false;
    }
    options.titlePrefix = m_workName + " " + clean;
    bool ok = true;
    std::uint32_t number = 0, split = 0;
    Paginate(text, options, [&](PageOut&& page) {
        if (!ok)
            return;
        if (++number > kMaxVolumePages) {
            error = where + ": more than 65535 pages in one volume";
            ok = false;
            return;
        }
        char fileName[16];
        std::snprintf(fileName, sizeof fileName, "%04u.htm", number);
        ok = WriteNewFile(m_dir / folder / fileName, page.html, error);
    }, split);
    if (!ok)
        return false;
    if (split > 0 && m_warn)
        m_warn(where + ": " + std::to_string(split) + " page(s) longer than " +
               std::to_string(kMaxPagePositions) + " characters split");
    m_pages += number;
    ++m_volumes;
    return AddNode(3, clean, folder, where, error);
}

bool SourceCorpusWriter::Finish(const std::string& variantTable, std::string& error)
{
    if (m_volumes == 0) {
        error = "nothing to import: no volume was found";
        return false;
    }
    if (!variantTable.empty() && !WriteNewFile(m_dir / "yitizi.txt", variantTable, error))
        return false;
    // Written last: its presence marks a complete source corpus.
    return WriteNewFile(m_dir / "contents.txt", m_contents, error);
}

} // namespace vesk::import
