#include "import/import_run.h"

#include "import/chinese_numerals.h"
#include "import/input_tree.h"
#include "import/kanripo_format.h"
#include "import/source_corpus_writer.h"
#include "import/tei_format.h"
#include "import/text_decoding.h"
#include "import/text_format.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <span>

namespace vesk::import {
namespace {

namespace fs = std::filesystem;

bool ReadBytes(const fs::path& path, std::string& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path.string() + ": cannot read the file";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path.string() + ": cannot read the file";
        return false;
    }
    return true;
}

bool ReadDecoded(const fs::path& path, const std::string& encoding, std::string& text, std::string& error)
{
    std::string bytes;
    if (!ReadBytes(path, bytes, error))
        return false;
    std::string problem;
    if (!DecodeText(bytes, encoding, text, problem)) {
        error = path.string() + ": " + problem;
        return false;
    }
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
        error = path.string() + ": a NUL character in the text (UTF-16 without a byte-order mark? give --encoding)";
        return false;
    }
    return true;
}

// "卷一" from the number at the end of a juan file's name ("KR1a0001_001"), "卷首" for 0.
std::string JuanName(const std::string& stem)
{
    const std::size_t underscore = stem.rfind('_');
    if (underscore == std::string::npos || underscore + 1 >= stem.size())
        return stem;
    int number = 0;
    for (std::size_t i = underscore + 1; i < stem.size(); ++i) {
        if (stem[i] < '0' || stem[i] > '9' || number > 99999)
            return stem;
        number = number * 10 + (stem[i] - '0');
    }
    return number == 0 ? "卷首" : "卷" + ChineseNumeral(number);
}

// The text a juan file belongs to: its name without "_NNN".
std::string TextIdOf(const fs::path& file)
{
    const std::string stem = file.stem().string();
    const std::size_t underscore = stem.rfind('_');
    return underscore == std::string::npos ? stem : stem.substr(0, underscore);
}

class Importer {
public:
    Importer(const ImportOptions& options, const fs::path& dir, const ImportHooks& hooks, ImportReport& report)
        : m_options(options), m_hooks(hooks), m_report(report), m_writer(dir, hooks.warn)
    {
        m_paginate.pageChars = options.pageChars;
        m_paginate.keepLines = options.keepLines;
        m_text.noteBrackets = options.noteBrackets;
        m_text.pageBreak = options.pageBreak;
    }

    bool Run(std::string& error)
    {
        std::vector<std::vector<InputFile>> all;
        std::vector<int> depths;
        const std::string extension = m_options.format == Format::Tei ? ".xml" : ".txt";
        const int maxDepth = m_options.format == Format::Tei ? 1 : 2;
        for (const fs::path& input : m_options.inputs) {
            all.emplace_back();
            depths.push_back(0);
            if (!ScanInput(input, extension, maxDepth, all.back(), depths.back(), error))
                return false;
            m_total += all.back().size();
        }
        if (!m_options.category.empty()) {
            for (std::size_t k = 0; k < all.size(); ++k)
                if (depths[k] == maxDepth && m_hooks.warn)
                    m_hooks.warn(m_options.inputs[k].string() + ": has category folders; --category is not used for it");
        }
        Progress();
        for (std::size_t k = 0; k < all.size(); ++k)
            if (!ImportInput(m_options.inputs[k], all[k], depths[k], maxDepth, error))
                return false;
        std::string variants;
        if (!m_options.variants.empty() && !ReadBytes(m_options.variants, variants, error))
            return false;
        m_report.volumes = m_writer.volumes();
        m_report.pages = m_writer.pages();
        return m_writer.Finish(variants, error);
    }

private:
    void Progress()
    {
        if (m_hooks.progress)
            m_hooks.progress(m_done, m_total);
    }

    std::string CategoryOf(const fs::path& input, const InputFile& file, int depth, int maxDepth) const
    {
        if (depth == maxDepth)
            return file.folders.front();
        if (!m_options.category.empty())
            return m_options.category;
        return DisplayName(input, !fs::is_directory(input));
    }

    bool ImportInput(const fs::path& input, const std::vector<InputFile>& files, int depth, int maxDepth,
                     std::string& error)
    {
        // Juan files of one Kanripo text are read together, as one work.
        std::size_t k = 0;
        while (k < files.size()) {
            const InputFile& file = files[k];
            if (!m_writer.Category(CategoryOf(input, file, depth, maxDepth), input.string(), error))
                return false;
            bool ok = true;
            switch (m_options.format) {
            case Format::Text:
                ok = ImportTextFile(input, file, depth, error);
                ++k;
                break;
            case Format::Tei:
                ok = ImportTeiFile(file, error);
                ++k;
                break;
            case Format::Kanripo: {
                std::size_t end = k + 1;
                while (end < files.size() && files[end].folders == file.folders &&
                       TextIdOf(files[end].path) == TextIdOf(file.path))
                    ++end;
                ok = ImportKanripoText(std::span(files).subspan(k, end - k), error);
                k = end;
                break;
            }
            }
            if (!ok)
                return false;
        }
        return true;
    }

    bool Counted(bool ok)
    {
        ++m_done;
        ++m_report.files;
        Progress();
        return ok;
    }

    bool ImportTextFile(const fs::path& input, const InputFile& file, int depth, std::string& error)
    {
        const std::string work = depth == 0 ? DisplayName(input, !fs::is_directory(input)) : file.folders.back();
        if (!m_writer.Work(work, file.path.parent_path().string(), error))
            return false;
        std::string text;
        if (!ReadDecoded(file.path, m_options.encoding, text, error))
            return false;
        VolumeText volume;
        std::string problem;
        if (!ReadTextVolume(text, m_text, volume, problem)) {
            error = file.path.string() + ": " + problem;
            return false;
        }
        return Counted(m_writer.Volume(file.name, file.path.string(), volume, m_paginate, error));
    }

    bool ImportTeiFile(const InputFile& file, std::string& error)
    {
        bool workWritten = false;
        std::string problem;
        const TeiVolumeSink sink = [&](TeiVolume&& volume, const TeiWork& work, std::string& sinkProblem) {
            if (!workWritten) {
                const std::string title = work.title.empty() ? file.name : work.title;
                if (!m_writer.Work(title, file.path.string() + " line " + std::to_string(work.titleLine), sinkProblem))
                    return false;
                workWritten = true;
            }
            return m_writer.Volume(volume.name, file.path.string() + " line " + std::to_string(volume.line),
                                   volume.text, m_paginate, sinkProblem);
        };
        std::error_code ec;
        if (fs::file_size(file.path, ec) == 0 && !ec) {
            error = file.path.string() + ": no text to import (the file is empty)";
            return false;
        }
        TeiWork work;
        if (!ReadTeiFile(file.path, work, sink, problem)) {
            error = problem.starts_with(file.path.string()) ? problem : file.path.string() + ": " + problem;
            return false;
        }
        return Counted(true);
    }

    bool ImportKanripoText(std::span<const InputFile> juans, std::string& error)
    {
        std::string text;
        std::string problem;
        for (std::size_t j = 0; j < juans.size(); ++j) {
            const InputFile& file = juans[j];
            if (!ReadDecoded(file.path, m_options.encoding, text, error))
                return false;
            VolumeText volume;
            KanripoHeader header;
            if (!ReadKanripoVolume(text, volume, header, problem)) {
                error = file.path.string() + ": " + problem;
                return false;
            }
            if (j == 0) {
                const std::string title = !header.title.empty() ? header.title
                                          : !file.folders.empty() ? file.folders.back()
                                                                  : TextIdOf(file.path);
                if (!m_writer.Work(title, file.path.string() + " line " + std::to_string(header.titleLine), error))
                    return false;
            }
            const std::string name = header.juan.empty() ? JuanName(file.path.stem().string())
                                     : IsAllDigits(header.juan) ? "卷" + ChineseNumeral(std::stoi(header.juan))
                                                                : header.juan;
            if (!Counted(m_writer.Volume(name, file.path.string() + " line " + std::to_string(header.juanLine),
                                         volume, m_paginate, error)))
                return false;
        }
        return true;
    }

    static bool IsAllDigits(const std::string& text)
    {
        return !text.empty() && text.size() <= 4 &&
               std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
    }

    const ImportOptions& m_options;
    const ImportHooks& m_hooks;
    ImportReport& m_report;
    SourceCorpusWriter m_writer;
    PaginateOptions m_paginate;
    TextFormatOptions m_text;
    std::size_t m_done = 0, m_total = 0;
};

} // namespace

bool RunImport(const ImportOptions& options, const fs::path& sourceDir, const ImportHooks& hooks,
               ImportReport& report, std::string& error)
{
    report = {};
    Importer importer(options, sourceDir, hooks, report);
    return importer.Run(error);
}

} // namespace vesk::import
