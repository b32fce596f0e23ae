#include "import/tei_format.h"

#include "import/chinese_numerals.h"
#include "import/kanripo_format.h"

#include <libxml/xmlreader.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace vesk::import {
namespace {

// No file or network access for external entities or DTDs.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

struct ReaderDeleter {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

struct ErrorState {
    std::string message;
    int line = 0;
};

void OnError(void* arg, xmlErrorPtr error)
{
    auto* state = static_cast<ErrorState*>(arg);
    if (!error || error->level < XML_ERR_ERROR || !state->message.empty())
        return;
    state->message = error->message ? error->message : "malformed XML";
    while (!state->message.empty() && (state->message.back() == '\n' || state->message.back() == ' '))
        state->message.pop_back();
    state->line = error->line;
}

std::string AttributeOf(xmlTextReaderPtr reader, const char* name)
{
    xmlChar* value = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return {};
    std::string out(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return out;
}

bool IsDiv(std::string_view name)
{
    return name == "div" || (name.size() == 4 && name.starts_with("div") && name[3] >= '1' && name[3] <= '7');
}

const std::set<std::string_view> kBlocks = {"p", "ab", "lg", "item", "byline", "trailer", "dateline",
                                            "opener", "closer", "docTitle", "titlePart", "sp", "speaker",
                                            "label", "salute", "signed", "epigraph", "argument"};

// How good a mapping is: lower is better; -1 never used.
int MappingRank(const std::string& type)
{
    if (type == "standard") return 0;
    if (type == "unicode") return 1;
    if (type == "normalized" || type == "normalised") return 2;
    if (type == "PUA" || type == "private") return -1;
    return 3;
}

// XML text into running text: whitespace holding a line end goes, other
// runs of blanks become one space.
void AppendText(std::string_view text, std::string& out)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            out.push_back(c);
            ++i;
            continue;
        }
        bool lineEnd = false;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            lineEnd |= text[i] == '\n' || text[i] == '\r', ++i;
        if (!lineEnd)
            out.push_back(' ');
    }
}

class TeiReader {
public:
    TeiReader(TeiWork& work, const TeiVolumeSink& sink) : m_work(work), m_sink(sink) { NewVolume(); }

    bool Start(xmlTextReaderPtr reader, std::string_view name, std::string& problem)
    {
        m_stack.emplace_back(name);
        if (m_skip > 0) {
            ++m_skip;
            return true;
        }
        if (name == "teiHeader") {
            m_inHeader = true;
            return true;
        }
        if (m_inHeader)
            return StartInHeader(reader, name);
        if (IsDiv(name)) {
            if (m_noteDepth == 0 && ++m_divDepth == 1 && !StartDivVolume(reader, problem))
                return false;
            if (m_noteDepth == 0)
                m_builder->EndBlock();
        } else if (name == "head") {
            if (m_noteDepth == 0) {
                m_builder->StartHeading();
                m_headCapture = m_divDepth == 1 && m_volume.name.empty();
                m_volume.line = m_headCapture ? xmlTextReaderGetParserLineNumber(reader) : m_volume.line;
            }
        } else if (name == "note") {
            ++m_noteDepth;
        } else if (name == "pb") {
            m_builder->PageBreak(AttributeOf(reader, "n"));
        } else if (name == "lb") {
            m_builder->LineEnd();
        } else if (name == "l") {
            if (m_noteDepth == 0 && !InsideLineGroup())
                m_builder->StartParagraph();
            else
                m_builder->LineEnd();
        } else if (name == "g") {
            StartGlyph(reader);
        } else if (name == "fw") {
            m_skip = 1;
        } else if (kBlocks.contains(name) && m_noteDepth == 0) {
            m_builder->StartParagraph();
        }
        return true;
    }

    void End()
    {
        const std::string name = m_stack.empty() ? std::string() : m_stack.back();
        const bool inLineGroup = InsideLineGroup();
        if (!m_stack.empty())
            m_stack.pop_back();
        if (m_skip > 0) {
            if (--m_skip == 0 && name == "g")
                m_glyphs.pop_back();
            return;
        }
        if (name == "teiHeader") {
            m_inHeader = false;
            return;
        }
        if (m_inHeader) {
            EndInHeader(name);
            return;
        }
        if (IsDiv(name)) {
            if (m_noteDepth == 0) {
                --m_divDepth;
                m_builder->EndBlock();
            }
        } else if (name == "head") {
            if (m_noteDepth == 0)
                m_builder->EndBlock();
            m_headCapture = false;
        } else if (name == "note") {
            --m_noteDepth;
        } else if (name == "l") {
            if (m_noteDepth == 0 && !inLineGroup)
                m_builder->EndBlock();
            else
                m_builder->LineEnd();
        } else if (name == "g") {
            if (!m_glyphs.empty() && !m_glyphs.back())
                AddText(kPlaceholder);
            if (!m_glyphs.empty())
                m_glyphs.pop_back();
        } else if (kBlocks.contains(name) && m_noteDepth == 0) {
            m_builder->EndBlock();
        }
    }

    void Text(std::string_view text)
    {
        if (m_skip > 0)
            return;
        if (m_inHeader) {
            if (m_titleCapture)
                AppendText(text, m_titleText);
            if (m_mappingCapture)
                m_mappingText.append(text);
            return;
        }
        if (!InsideText())
            return;
        m_scratch.clear();
        AppendText(text, m_scratch);
        if (m_scratch.empty() || (m_scratch == " " && !m_builder->InBlock()))
            return;
        AddText(m_scratch);
    }

    bool Finish(std::string& problem)
    {
        if (!FinishVolume(problem))
            return false;
        if (!m_anyVolume) {
            problem = "no text to import (the file has no text in its body)";
            return false;
        }
        return true;
    }

private:
    bool InsideText() const
    {
        for (const std::string& name : m_stack)
            if (name == "text")
                return true;
        return false;
    }

    bool InsideLineGroup() const
    {
        return m_stack.size() >= 2 && m_stack[m_stack.size() - 2] == "lg";
    }

    void AddText(std::string_view text)
    {
        if (m_headCapture && m_noteDepth == 0)
            m_volume.name += text;
        m_builder->AddText(text, m_noteDepth > 0);
        if (!m_glyphs.empty())
            m_glyphs.back() = true;
    }

    bool StartInHeader(xmlTextReaderPtr reader, std::string_view name)
    {
        if (name == "title" && m_work.title.empty() && m_stack.size() >= 2 &&
            m_stack[m_stack.size() - 2] == "titleStmt") {
            m_titleCapture = true;
            m_work.titleLine = xmlTextReaderGetParserLineNumber(reader);
        } else if (name == "char" || name == "glyph") {
            m_glyphId = AttributeOf(reader, "xml:id");
            m_bestMapping.clear();
            m_bestRank = 100;
        } else if (name == "mapping" && !m_glyphId.empty()) {
            m_mappingCapture = true;
            m_mappingType = AttributeOf(reader, "type");
            m_mappingText.clear();
        }
        return true;
    }

    void EndInHeader(const std::string& name)
    {
        if (name == "title" && m_titleCapture) {
            m_titleCapture = false;
            m_work.title = m_titleText;
        } else if (name == "mapping" && m_mappingCapture) {
            m_mappingCapture = false;
            const int rank = MappingRank(m_mappingType);
            std::string value;
            AppendText(m_mappingText, value);
            if (rank >= 0 && rank < m_bestRank && !value.empty() && value != " ") {
                m_bestRank = rank;
                m_bestMapping = value;
            }
        } else if ((name == "char" || name == "glyph") && !m_glyphId.empty()) {
            if (!m_bestMapping.empty())
                m_mappings[m_glyphId] = m_bestMapping;
            m_glyphId.clear();
        }
    }

    void StartGlyph(xmlTextReaderPtr reader)
    {
        std::string ref = AttributeOf(reader, "ref");
        if (ref.starts_with("#"))
            ref.erase(0, 1);
        const auto found = m_mappings.find(ref);
        if (found != m_mappings.end()) {
            AddText(found->second);
            m_glyphs.push_back(true);
            m_skip = 1;  // the mapped character replaces the element's own text
            return;
        }
        m_glyphs.push_back(false);
    }

    void NewVolume()
    {
        m_volume = TeiVolume();
        m_builder = std::make_unique<VolumeTextBuilder>(m_volume.text);
    }

    // Hands the volume on; a page break at its very end belongs to the next.
    bool FinishVolume(std::string& problem)
    {
        m_builder->EndBlock();
        std::string carried;
        bool carry = false;
        auto& tokens = m_volume.text.tokens;
        while (!tokens.empty() && tokens.back().kind == TokenKind::PageBreak) {
            carried = std::string(m_volume.text.TextOf(tokens.back()));
            carry = true;
            tokens.pop_back();
        }
        if (m_volume.text.hasText) {
            if (m_volume.name.empty())
                m_volume.name = !m_volumeFallback.empty() ? m_volumeFallback : m_divCount == 0 ? "全一卷" : "卷首";
            m_anyVolume = true;
            if (!m_sink(std::move(m_volume), m_work, problem))
                return false;
        }
        NewVolume();
        if (carry)
            m_builder->PageBreak(carried);
        return true;
    }

    bool StartDivVolume(xmlTextReaderPtr reader, std::string& problem)
    {
        // The text before the first div is the volume "卷首".
        if (m_divCount == 0)
            m_volumeFallback = "卷首";
        if (!FinishVolume(problem))
            return false;
        ++m_divCount;
        m_volume.line = xmlTextReaderGetParserLineNumber(reader);
        const std::string n = AttributeOf(reader, "n");
        m_volumeFallback = n.empty() ? "卷" + ChineseNumeral(m_divCount) : n;
        return true;
    }

    TeiWork& m_work;
    const TeiVolumeSink& m_sink;
    TeiVolume m_volume;
    std::unique_ptr<VolumeTextBuilder> m_builder;
    std::vector<std::string> m_stack;
    std::vector<bool> m_glyphs;  // per open g: whether it has given text
    std::map<std::string, std::string> m_mappings;
    std::string m_titleText, m_glyphId, m_bestMapping, m_mappingType, m_mappingText, m_scratch;
    std::string m_volumeFallback;  // the name of the volume being read when it has no head
    int m_bestRank = 100, m_skip = 0, m_divDepth = 0, m_divCount = 0, m_noteDepth = 0;
    bool m_inHeader = false, m_titleCapture = false, m_mappingCapture = false, m_headCapture = false;
    bool m_anyVolume = false;
};

} // namespace

bool ReadTeiFile(const std::filesystem::path& file, TeiWork& work, const TeiVolumeSink& sink,
                 std::string& problem)
{
    work = {};
    xmlSetExternalEntityLoader(RefuseExternal);
    std::unique_ptr<xmlTextReader, ReaderDeleter> reader(
        xmlReaderForFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOWARNING));
    if (!reader) {
        problem = "cannot read the file";
        return false;
    }
    ErrorState errors;
    xmlTextReaderSetStructuredErrorHandler(reader.get(), OnError, &errors);
    TeiReader tei(work, sink);
    int status;
    while ((status = xmlTextReaderRead(reader.get())) == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        const char* local = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
        const std::string_view name = local ? local : "";
        if (type == XML_READER_TYPE_ELEMENT) {
            const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
            if (!tei.Start(reader.get(), name, problem))
                return false;
            if (empty)
                tei.End();
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            tei.End();
        } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                   type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) {
            const char* value = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get()));
            if (value)
                tei.Text(value);
        }
    }
    if (status != 0 || !errors.message.empty()) {
        problem = errors.message.empty() ? "malformed XML"
                                         : "line " + std::to_string(errors.line) + ": " + errors.message;
        return false;
    }
    return tei.Finish(problem);
}

} // namespace vesk::import
