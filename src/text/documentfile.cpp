#include "text/documentfile.h"

#include <QFile>
#include <QHashFunctions>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <uchardet.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace loqa {
namespace {

// Windows-1252 from 0x80 to 0x9F. The five bytes it leaves undefined keep the
// C1 control of their own number, so that every byte reads and writes back.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code pages uchardet may name that are read as such: each as uchardet
// spells it, then as QStringConverter (ICU) knows it. Windows-1254 is left out:
// it differs from Windows-1252 in six letters only, and uchardet takes one for
// the other.
constexpr struct {
    const char *detected;
    const char *name;
} kLegacyEncodings[] = {
    {"WINDOWS-1250", "windows-1250"},
    {"WINDOWS-1251", "windows-1251"},
    {"WINDOWS-1253", "windows-1253"},
    {"WINDOWS-1255", "windows-1255"},
    {"WINDOWS-1256", "windows-1256"},
    {"WINDOWS-1257", "windows-1257"},
    {"KOI8-R", "KOI8-R"},
    {"KOI8-U", "KOI8-U"},
    {"IBM866", "IBM866"},
    {"ISO-8859-2", "ISO-8859-2"},
    {"ISO-8859-5", "ISO-8859-5"},
    {"ISO-8859-7", "ISO-8859-7"},
    {"ISO-8859-8", "ISO-8859-8"},
    {"SHIFT_JIS", "Shift_JIS"},
    {"EUC-JP", "EUC-JP"},
    {"GB18030", "GB18030"},
    {"BIG5", "Big5"},
    {"EUC-KR", "EUC-KR"},
};

// A guess from fewer non-ASCII bytes than this is not believed: on a short
// Western text uchardet names Central European or Cyrillic code pages.
constexpr qsizetype kMinLegacyBytes = 8;
// uchardet sees no more than this much of a file; the whole file is still
// checked against the code page it names.
constexpr qsizetype kMaxDetectBytes = 4 << 20;

// The kinds of line break a document remembers, one byte each.
constexpr char kLf = 'n';
constexpr char kCrLf = 'w';
constexpr char kCr = 'r';
constexpr char kParagraph = 'p';  // U+2029
constexpr char kFrameStart = 's'; // U+FDD0, which a QTextDocument turns into a block break
constexpr char kFrameEnd = 'e';   // U+FDD1, likewise

// Only for telling unchanged text from edited text within one run.
constexpr size_t kHashSeed = 0x5DEECE66D;

char StyleKind(LineEnd style)
{
    switch (style) {
    case LineEnd::CrLf:
        return kCrLf;
    case LineEnd::Cr:
        return kCr;
    case LineEnd::Lf:
        break;
    }
    return kLf;
}

QStringView BreakText(char kind)
{
    switch (kind) {
    case kCrLf:
        return u"\r\n";
    case kCr:
        return u"\r";
    case kParagraph:
        return u"\u2029";
    case kFrameStart:
        return u"\uFDD0";
    case kFrameEnd:
        return u"\uFDD1";
    default:
        return u"\n";
    }
}

QString DecodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char b = in[i];
        out[i] = (b & 0xE0) == 0x80 ? kCp1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

// False when a character has no byte in Windows-1252.
bool EncodeCp1252(QStringView text, QByteArray &bytes)
{
    bytes.resize(text.size());
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out[i] = char(c);
            continue;
        }
        int b = 0;
        while (b < 32 && kCp1252High[b] != c)
            ++b;
        if (b == 32)
            return false;
        out[i] = char(0x80 + b);
    }
    return true;
}

// `text` in the legacy code page `name`; false when a character has no bytes
// there, or none that read back as that character.
bool EncodeLegacy(QStringView text, const QString &name, QByteArray &bytes)
{
    QStringEncoder encoder(name.toLatin1().constData());
    if (!encoder.isValid())
        return false;
    bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    QStringDecoder decoder(name.toLatin1().constData());
    const QString back = decoder.decode(bytes);
    return back == text && !decoder.hasError();
}

// The legacy code page uchardet names for `bytes` when the bytes are read in it
// without a fault and written back as the same bytes; empty otherwise.
QString DetectLegacy(QByteArrayView bytes, QString &text)
{
    qsizetype high = 0;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80 && ++high >= kMinLegacyBytes)
            break;
    }
    if (high < kMinLegacyBytes)
        return {};

    uchardet_t detector = uchardet_new();
    if (!detector)
        return {};
    const QByteArrayView sample = bytes.first(qMin(bytes.size(), kMaxDetectBytes));
    QByteArray detected;
    if (uchardet_handle_data(detector, sample.data(), size_t(sample.size())) == 0) {
        uchardet_data_end(detector);
        detected = QByteArray(uchardet_get_charset(detector)).toUpper();
    }
    uchardet_delete(detector);

    const char *name = nullptr;
    for (const auto &entry : kLegacyEncodings) {
        if (detected == entry.detected)
            name = entry.name;
    }
    if (!name)
        return {};
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return {};
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    // The same letters as Windows-1252 reads them (a German text taken for
    // Central European): nothing is gained by the guess.
    if (decoded == DecodeCp1252(bytes))
        return {};
    QByteArray again;
    if (!EncodeLegacy(decoded, QString::fromLatin1(name), again) || again != bytes)
        return {};
    text = std::move(decoded);
    return QString::fromLatin1(name);
}

// Gives every line break of the decoded text as LF, in place. `style` becomes
// the first CR LF, LF or CR; `kinds` gets every break's kind when they are not
// all of that style, and stays empty when they are.
void BreaksToLf(QString &text, LineEnd &style, QByteArray &kinds)
{
    auto *s = reinterpret_cast<char16_t *>(text.data()); // read at i, written at w <= i
    const qsizetype n = text.size();

    style = LineEnd::Lf;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == u'\n')
            break;
        if (s[i] == u'\r') {
            style = i + 1 < n && s[i + 1] == u'\n' ? LineEnd::CrLf : LineEnd::Cr;
            break;
        }
    }
    const char styleKind = StyleKind(style);

    kinds.clear();
    bool mixed = false;
    qsizetype breaks = 0;
    qsizetype w = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        char kind;
        if (c == u'\n') {
            kind = kLf;
        } else if (c == u'\r') {
            kind = kCr;
            if (i + 1 < n && s[i + 1] == u'\n') {
                kind = kCrLf;
                ++i;
            }
        } else if (c >= 0x2029 && (c == 0x2029 || c == 0xFDD0 || c == 0xFDD1)) {
            kind = c == 0x2029 ? kParagraph : c == 0xFDD0 ? kFrameStart : kFrameEnd;
        } else {
            s[w++] = c;
            continue;
        }
        if (kind != styleKind && !mixed) {
            mixed = true;
            kinds = QByteArray(breaks, styleKind);
        }
        if (mixed)
            kinds.append(kind);
        ++breaks;
        s[w++] = u'\n';
    }
    text.truncate(w);
}

bool HasNonLfBreaks(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

// CR LF, CR and U+2029 as LF.
QString InputBreaksToLf(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    auto *d = reinterpret_cast<char16_t *>(out.data());
    qsizetype w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            c = u'\n';
        } else if (c == 0x2029) {
            c = u'\n';
        }
        d[w++] = c;
    }
    out.truncate(w);
    return out;
}

// Each LF of the text as the next of `kinds`, or as `style` when kinds is empty.
QString LfToBreaks(QStringView text, const QByteArray &kinds, QStringView style)
{
    QString out;
    out.reserve(text.size() + (style.size() > 1 || !kinds.isEmpty() ? text.count(u'\n') : 0));
    qsizetype from = 0;
    qsizetype k = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        out.append(text.sliced(from, at - from));
        out.append(k < kinds.size() ? BreakText(kinds[k]) : style);
        ++k;
        from = at + 1;
    }
    out.append(text.sliced(from));
    return out;
}

QByteArray EncodeUtf16(QStringView text, TextEncoding encoding, bool bom)
{
    const qsizetype skip = bom ? 1 : 0;
    QByteArray bytes((text.size() + skip) * 2, Qt::Uninitialized);
    if (encoding == TextEncoding::Utf16LE) {
        if (bom)
            qToLittleEndian<char16_t>(0xFEFF, bytes.data());
        qToLittleEndian<char16_t>(text.data(), text.size(), bytes.data() + 2 * skip);
    } else {
        if (bom)
            qToBigEndian<char16_t>(0xFEFF, bytes.data());
        qToBigEndian<char16_t>(text.data(), text.size(), bytes.data() + 2 * skip);
    }
    return bytes;
}

QByteArray EncodeUtf8(QStringView text, bool bom)
{
    QByteArray bytes = text.toUtf8();
    if (bom)
        bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// The bytes go to a temporary file beside the target, which is synced and then
// renamed over the target; the target is never open for writing itself.
bool WriteFileSafely(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto failed = [&](const QString &reason) {
        return Fail(error, QStringLiteral("Cannot save \"%1\": %2").arg(path, reason));
    };
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    // The replaced file's owner where we may, and its mode bits exactly (QSaveFile
    // would add the bits the saving user has by being root or in the group).
    struct stat target = {};
    if (::stat(QFile::encodeName(path).constData(), &target) == 0) {
        if (::fchown(file.handle(), target.st_uid, target.st_gid) != 0) {
            // Not allowed: the new file belongs to whoever saves it.
        }
        if (::fchmod(file.handle(), target.st_mode & 07777) != 0)
            return failed(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit())
        return failed(file.errorString());
    return true;
}

} // namespace

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252");
    case TextEncoding::Legacy:
        return QStringLiteral("Legacy");
    case TextEncoding::Utf8:
        break;
    }
    return QStringLiteral("UTF-8");
}

QString EncodingName(TextEncoding encoding, const QString &legacyName)
{
    if (encoding == TextEncoding::Legacy && !legacyName.isEmpty())
        return legacyName;
    return EncodingName(encoding);
}

DecodedText DecodeTextBytes(QByteArrayView bytes)
{
    DecodedText decoded;
    if (bytes.size() % 2 == 0 && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))) {
        const bool little = bytes.startsWith("\xFF\xFE");
        const qsizetype units = bytes.size() / 2 - 1;
        decoded.text = QString(units, Qt::Uninitialized);
        if (little)
            qFromLittleEndian<char16_t>(bytes.data() + 2, units, decoded.text.data());
        else
            qFromBigEndian<char16_t>(bytes.data() + 2, units, decoded.text.data());
        decoded.encoding = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        decoded.bom = true;
        return decoded;
    }
    // A second U+FEFF after the byte-order mark is text.
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = bom ? bytes.sliced(3) : bytes;
    // The check stops at the first fault, where the decoder would go on to the end.
    if (body.isValidUtf8()) {
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        decoded.text = utf8.decode(body);
        if (!utf8.hasError()) {
            decoded.bom = bom;
            return decoded;
        }
    }
    decoded.legacyName = DetectLegacy(bytes, decoded.text);
    if (!decoded.legacyName.isEmpty()) {
        decoded.encoding = TextEncoding::Legacy;
        return decoded;
    }
    decoded.text = DecodeCp1252(bytes);
    decoded.encoding = TextEncoding::Windows1252;
    return decoded;
}

bool DocumentFile::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(error, QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
    setBytes(bytes);
    return true;
}

void DocumentFile::setBytes(QByteArrayView bytes)
{
    DecodedText decoded = DecodeTextBytes(bytes);
    m_encoding = decoded.encoding;
    m_legacyName = std::move(decoded.legacyName);
    m_bom = decoded.bom;
    BreaksToLf(decoded.text, m_lineEnd, m_breaks);
    m_text = std::move(decoded.text);
    m_length = m_text.size();
    m_hash = m_breaks.isEmpty() ? 0 : qHash(QStringView(m_text), kHashSeed);
}

QByteArray DocumentFile::toBytes(QStringView text, TextEncoding *encoding) const
{
    bool asRead = false;
    return encode(text, encoding, &asRead);
}

QByteArray DocumentFile::encode(QStringView text, TextEncoding *encoding, bool *asRead) const
{
    QString lf;
    if (HasNonLfBreaks(text)) {
        lf = InputBreaksToLf(text);
        text = lf;
    }
    *asRead = !m_breaks.isEmpty() && text.size() == m_length && qHash(text, kHashSeed) == m_hash;
    QString broken;
    if (*asRead || m_lineEnd != LineEnd::Lf) {
        broken = LfToBreaks(text, *asRead ? m_breaks : QByteArray(), BreakText(StyleKind(m_lineEnd)));
        lf.clear();
        text = broken;
    }

    TextEncoding written = m_encoding;
    QByteArray bytes;
    switch (m_encoding) {
    case TextEncoding::Utf8:
        bytes = EncodeUtf8(text, m_bom);
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        bytes = EncodeUtf16(text, m_encoding, m_bom);
        break;
    case TextEncoding::Windows1252:
        if (!EncodeCp1252(text, bytes)) {
            written = TextEncoding::Utf8;
            bytes = EncodeUtf8(text, false);
        }
        break;
    case TextEncoding::Legacy:
        if (!EncodeLegacy(text, m_legacyName, bytes)) {
            written = TextEncoding::Utf8;
            bytes = EncodeUtf8(text, false);
        }
        break;
    }
    if (encoding)
        *encoding = written;
    return bytes;
}

bool DocumentFile::save(const QString &path, QStringView text, QString *error, QString *notice)
{
    TextEncoding written = m_encoding;
    bool asRead = false;
    const QByteArray bytes = encode(text, &written, &asRead);
    if (!WriteFileSafely(path, bytes, error))
        return false;
    if (!asRead)
        m_breaks.clear();
    if (notice)
        notice->clear();
    if (written != m_encoding) {
        if (notice)
            *notice = QStringLiteral("\"%1\" was saved as %2: %3 cannot hold all of its characters.")
                          .arg(path, EncodingName(written), encodingName());
        m_encoding = written;
        m_legacyName.clear();
        m_bom = false;
    }
    return true;
}

bool DocumentFile::createEmpty(const QString &path, QString *error)
{
    *this = DocumentFile();
    return save(path, QStringView(), error);
}

bool DocumentFile::createWelcome(const QString &path, QString *error)
{
    *this = DocumentFile();
    m_text = QString::fromLatin1(WelcomeText);
    return save(path, m_text, error);
}

} // namespace loqa
