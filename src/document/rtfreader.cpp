// RTF read as its text: one pass over the bytes with a stack of group states (no
// recursion on the file's nesting), the destinations a listener does not hear
// (font and colour tables, pictures, headers, footers, footnotes, field
// instructions) skipped, 8-bit text decoded with the code page of the document
// or of the current font, and paragraphs with an outline level as chapters.
#include "document/document.h"

#include <QHash>
#include <QStringDecoder>

#include <map>
#include <vector>

namespace loqa::doc {

namespace {

constexpr int kMaxDepth = 200;
constexpr int kMaxWordLength = 32;
constexpr int kMaxParamDigits = 10;
constexpr int kMaxFonts = 4096;
constexpr int kDefaultCodePage = 1252;

const QString kNotRtf = QStringLiteral("This file is not a readable RTF file");
const QString kDamaged = QStringLiteral("This RTF file is damaged");

enum class Dest : unsigned char {
    Text,      // heard
    FontTable, // read for the fonts' code pages, not heard
    Skip,      // neither
};

struct State {
    Dest dest = Dest::Text;
    int uc = 1;       // characters that stand in for each \uN
    int font = -1;    // -1: the document's default font
    int outline = -1; // the paragraph's outline level, -1 for body text
};

// A font's character set to the Windows code page of its 8-bit text; 0: the
// document's own code page.
int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

QByteArray DecoderName(int codePage)
{
    if ((codePage >= 1250 && codePage <= 1258) || codePage == 874)
        return "windows-" + QByteArray::number(codePage);
    switch (codePage) {
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    default:
        return {};
    }
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The destinations whose text is not read. \* marks every other one that matters.
bool IsSkippedDestination(QByteArrayView word)
{
    static const QByteArrayView skipped[] = {
        "colortbl",   "stylesheet", "info",      "pict",      "object",     "header",       "headerl",
        "headerr",    "headerf",    "footer",    "footerl",   "footerr",    "footerf",      "footnote",
        "fldinst",    "xe",         "tc",        "txe",       "rxe",        "listtable",    "listoverridetable",
        "revtbl",     "rsidtbl",    "filetbl",   "themedata", "datastore",  "latentstyles", "colorschememapping",
        "annotation", "atnid",      "atnauthor", "shp",       "nonshppict", "falt",         "fontemb",
        "fontfile",   "template",   "generator", "pgdsctbl",  "xmlnstbl",   "userprops",    "docvar",
        "comment",    "author",     "operator",  "title",     "subject",    "keywords",     "doccomm",
        "printim",    "buptim",     "creatim",   "revtim",    "objdata",    "bkmkstart",    "bkmkend",
        "mmathPr",    "panose",     "private",
    };
    for (const QByteArrayView name : skipped) {
        if (word == name)
            return true;
    }
    return false;
}

class RtfReader
{
public:
    RtfReader(const QByteArray &bytes, const Options &options)
        : m_bytes(bytes), m_builder(options.limits.maxText), m_maxText(options.limits.maxText)
    {}

    Result read();

private:
    bool heard() const { return m_state.dest == Dest::Text; }
    void controlWord(QByteArrayView word, bool hasParam, qint64 param);
    void emitUnit(char16_t unit);
    void emitText(QStringView text);
    void flushBytes();
    void endParagraph();
    void lineBreak();
    int currentCodePage() const;
    QStringDecoder *decoder(int codePage);

    const QByteArray &m_bytes;
    TextBuilder m_builder;
    qsizetype m_maxText;
    qsizetype m_pos = 0;

    State m_state;
    std::vector<State> m_stack;
    int m_docCodePage = kDefaultCodePage;
    int m_defaultFont = -1;
    int m_tableFont = -1; // the font table entry being read
    QHash<int, int> m_fontCodePages;
    std::map<int, QStringDecoder> m_decoders;

    int m_skipChars = 0;          // fallback characters still to drop after a \uN
    char16_t m_highSurrogate = 0; // waiting for its low half
    QByteArray m_pendingBytes;    // 8-bit text not decoded yet (a double-byte character may span two \'hh)
    QString m_paragraph;          // the paragraph so far; LF for \line
};

int RtfReader::currentCodePage() const
{
    if (m_state.font >= 0 || m_defaultFont >= 0) {
        const int codePage = m_fontCodePages.value(m_state.font >= 0 ? m_state.font : m_defaultFont);
        if (codePage != 0)
            return codePage;
    }
    return m_docCodePage;
}

QStringDecoder *RtfReader::decoder(int codePage)
{
    auto found = m_decoders.find(codePage);
    if (found == m_decoders.end()) {
        const QByteArray name = DecoderName(codePage);
        QStringDecoder made(name.isEmpty() ? "windows-1252" : name.constData(), QStringConverter::Flag::Stateless);
        if (!made.isValid())
            made = QStringDecoder(QStringConverter::Latin1, QStringConverter::Flag::Stateless);
        found = m_decoders.emplace(codePage, std::move(made)).first;
    }
    return &found->second;
}

void RtfReader::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    QStringDecoder *d = decoder(currentCodePage());
    const QString text = d->decode(m_pendingBytes);
    d->resetState();
    m_pendingBytes.clear();
    emitText(text);
}

void RtfReader::emitText(QStringView text)
{
    for (const QChar c : text)
        emitUnit(c.unicode());
}

void RtfReader::emitUnit(char16_t unit)
{
    if (m_highSurrogate != 0) {
        if (QChar::isLowSurrogate(unit)) {
            m_paragraph += QChar(m_highSurrogate);
            m_paragraph += QChar(unit);
            m_highSurrogate = 0;
            return;
        }
        m_paragraph += QChar(QChar::ReplacementCharacter);
        m_highSurrogate = 0;
    }
    if (QChar::isHighSurrogate(unit)) {
        m_highSurrogate = unit;
        return;
    }
    m_paragraph += QChar::isLowSurrogate(unit) ? QChar(QChar::ReplacementCharacter) : QChar(unit);
    // A file without paragraph marks still never holds more than the limit here.
    if (m_paragraph.size() > m_maxText) {
        m_builder.append(m_paragraph);
        m_paragraph.clear();
    }
}

void RtfReader::lineBreak()
{
    flushBytes();
    emitUnit(u'\n');
}

void RtfReader::endParagraph()
{
    flushBytes();
    if (m_highSurrogate != 0) {
        m_paragraph += QChar(QChar::ReplacementCharacter);
        m_highSurrogate = 0;
    }
    if (m_state.outline >= 0) {
        m_builder.heading(m_paragraph, m_state.outline + 1);
    } else {
        QStringView rest(m_paragraph);
        for (qsizetype at = rest.indexOf(u'\n'); at >= 0; at = rest.indexOf(u'\n')) {
            m_builder.append(rest.first(at));
            m_builder.lineBreak();
            rest = rest.sliced(at + 1);
        }
        m_builder.append(rest);
    }
    m_builder.endParagraph();
    m_paragraph.clear();
}

void RtfReader::controlWord(QByteArrayView word, bool hasParam, qint64 param)
{
    // Properties that hold in every destination.
    if (word == "rtf" || word == "ansi") {
        return;
    } else if (word == "ansicpg") {
        if (hasParam && !DecoderName(int(param)).isEmpty())
            m_docCodePage = int(param);
        return;
    } else if (word == "mac") {
        m_docCodePage = 10000;
        return;
    } else if (word == "pc") {
        m_docCodePage = 437;
        return;
    } else if (word == "pca") {
        m_docCodePage = 850;
        return;
    } else if (word == "deff") {
        m_defaultFont = hasParam && param >= 0 ? int(param) : -1;
        return;
    } else if (word == "uc") {
        m_state.uc = hasParam && param >= 0 && param <= 16 ? int(param) : 1;
        return;
    } else if (word == "fonttbl") {
        m_state.dest = Dest::FontTable;
        return;
    }

    if (m_state.dest == Dest::FontTable) {
        if (word == "f" && hasParam) {
            m_tableFont = int(param);
        } else if ((word == "fcharset" || word == "cpg") && hasParam && m_tableFont >= 0 &&
                   (m_fontCodePages.size() < kMaxFonts || m_fontCodePages.contains(m_tableFont))) {
            const int codePage = word == "cpg" ? int(param) : CodePageOfCharset(int(param));
            if (!DecoderName(codePage).isEmpty())
                m_fontCodePages.insert(m_tableFont, codePage);
        } else if (IsSkippedDestination(word)) {
            m_state.dest = Dest::Skip;
        }
        return;
    }
    if (m_state.dest == Dest::Skip)
        return;

    if (IsSkippedDestination(word)) {
        flushBytes();
        m_state.dest = Dest::Skip;
        return;
    }
    if (word == "f") {
        flushBytes();
        m_state.font = hasParam ? int(param) : -1;
    } else if (word == "plain") {
        flushBytes();
        m_state.font = -1;
    } else if (word == "pard") {
        m_state.outline = -1;
    } else if (word == "outlinelevel") {
        m_state.outline = hasParam && param >= 0 && param <= 8 ? int(param) : -1;
    } else if (word == "par" || word == "sect" || word == "page" || word == "row") {
        endParagraph();
    } else if (word == "line") {
        lineBreak();
    } else if (word == "tab" || word == "cell" || word == "nestcell") {
        flushBytes();
        emitUnit(word == "tab" ? u'\t' : u' ');
    } else if (word == "u" && hasParam) {
        flushBytes();
        emitUnit(char16_t(param < 0 ? param + 65536 : param));
        m_skipChars = m_state.uc;
    } else {
        static const struct {
            const char *word;
            char16_t unit;
        } symbols[] = {{"emdash", 0x2014}, {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
                       {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", u' '},
                       {"enspace", u' '},  {"qmspace", u' '}};
        for (const auto &symbol : symbols) {
            if (word == symbol.word) {
                flushBytes();
                emitUnit(symbol.unit);
                return;
            }
        }
    }
}

Result RtfReader::read()
{
    Result result;
    if (!m_bytes.startsWith("{\\rtf")) {
        result.error = kNotRtf;
        return result;
    }
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();

    while (m_pos < size && !m_builder.full()) {
        const char c = data[m_pos];
        // After a \uN its fallback characters: plain characters, \'hh and control
        // words count one each; a group's brace ends them.
        if (m_skipChars > 0 && c != '{' && c != '}') {
            if (c == '\r' || c == '\n') {
                ++m_pos;
                continue;
            }
            --m_skipChars;
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            if (m_pos + 1 < size && data[m_pos + 1] == '\'') {
                m_pos += 4;
                continue;
            }
            if (m_pos + 1 < size && IsLetter(data[m_pos + 1])) {
                // The control word is dropped with its parameter and delimiter.
                qsizetype p = m_pos + 1;
                while (p < size && p - m_pos <= kMaxWordLength && IsLetter(data[p]))
                    ++p;
                if (p < size && data[p] == '-')
                    ++p;
                while (p < size && data[p] >= '0' && data[p] <= '9')
                    ++p;
                if (p < size && data[p] == ' ')
                    ++p;
                m_pos = p;
                continue;
            }
            m_pos += 2;
            continue;
        }

        if (c == '{') {
            flushBytes();
            if (int(m_stack.size()) >= kMaxDepth) {
                result.error = kDamaged;
                return result;
            }
            m_stack.push_back(m_state);
            m_skipChars = 0;
            ++m_pos;
            continue;
        }
        if (c == '}') {
            flushBytes();
            m_skipChars = 0;
            ++m_pos;
            m_state = m_stack.back();
            m_stack.pop_back();
            if (m_stack.empty())
                break; // the document's own group is closed: what follows lies outside it
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++m_pos;
            continue;
        }
        if (c != '\\') {
            ++m_pos;
            if (!heard())
                continue;
            if (static_cast<unsigned char>(c) >= 0x80) {
                m_pendingBytes.append(c);
            } else if (c == '\t') {
                flushBytes();
                emitUnit(u'\t');
            } else if (static_cast<unsigned char>(c) >= 0x20) {
                flushBytes();
                emitUnit(char16_t(c));
            }
            continue;
        }

        // A backslash: a control symbol or a control word.
        if (m_pos + 1 >= size)
            break;
        const char next = data[m_pos + 1];
        if (!IsLetter(next)) {
            m_pos += 2;
            switch (next) {
            case '\'': {
                const int hi = m_pos < size ? HexValue(data[m_pos]) : -1;
                const int lo = m_pos + 1 < size ? HexValue(data[m_pos + 1]) : -1;
                if (hi < 0 || lo < 0)
                    break;
                m_pos += 2;
                if (heard())
                    m_pendingBytes.append(char(hi * 16 + lo));
                break;
            }
            case '*':
                // An optional destination: every one this reader knows of is skipped.
                flushBytes();
                if (m_state.dest == Dest::Text)
                    m_state.dest = Dest::Skip;
                break;
            case '\\':
            case '{':
            case '}':
                if (heard()) {
                    flushBytes();
                    emitUnit(char16_t(next));
                }
                break;
            case '~':
                if (heard()) {
                    flushBytes();
                    emitUnit(0x00A0);
                }
                break;
            case '_':
                if (heard()) {
                    flushBytes();
                    emitUnit(u'-');
                }
                break;
            case '\r':
            case '\n':
                if (heard())
                    endParagraph();
                break;
            default: // \- (optional hyphen), \| \: and the unknown ones
                break;
            }
            continue;
        }

        qsizetype p = m_pos + 1;
        while (p < size && p - (m_pos + 1) < kMaxWordLength && IsLetter(data[p]))
            ++p;
        const QByteArrayView word(data + m_pos + 1, p - (m_pos + 1));
        bool negative = false;
        if (p + 1 < size && data[p] == '-' && data[p + 1] >= '0' && data[p + 1] <= '9') {
            negative = true;
            ++p;
        }
        bool hasParam = false;
        qint64 param = 0;
        int digits = 0;
        while (p < size && data[p] >= '0' && data[p] <= '9') {
            if (digits < kMaxParamDigits)
                param = param * 10 + (data[p] - '0');
            ++digits;
            hasParam = true;
            ++p;
        }
        if (negative)
            param = -param;
        if (p < size && data[p] == ' ')
            ++p;
        m_pos = p;

        if (word == "bin") {
            // Binary data of the given length follows; never text.
            const qint64 length = hasParam && param > 0 ? param : 0;
            m_pos = length >= size - m_pos ? size : m_pos + qsizetype(length);
            continue;
        }
        controlWord(word, hasParam, param);
    }

    // A file cut short keeps the text read up to its end.
    if (!m_builder.full())
        endParagraph();
    return m_builder.finish();
}

} // namespace

Result ReadRtf(const QByteArray &bytes, const Options &options)
{
    RtfReader reader(bytes, options);
    return reader.read();
}

} // namespace loqa::doc
