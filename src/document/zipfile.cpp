#include "document/zipfile.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QStringList>

#include <limits>

namespace loqa::doc {

namespace {

// More entries than any book or office file holds; the list of names is kept in memory.
constexpr int kMaxEntries = 100000;
// Below this an entry is never refused for its ratio: small XML compresses well.
constexpr qint64 kRatioFloor = 1 << 20;
constexpr qint64 kChunk = 64 << 10;

} // namespace

ZipFile::ZipFile(const QByteArray &bytes, const Limits &limits) : m_limits(limits), m_archiveSize(bytes.size())
{
    m_buffer.setData(bytes);
    m_zip = std::make_unique<QuaZip>(&m_buffer);
    if (!m_zip->open(QuaZip::mdUnzip))
        return;
    int count = 0;
    for (bool more = m_zip->goToFirstFile(); more; more = m_zip->goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!m_zip->getCurrentFileInfo(&info) || ++count > kMaxEntries)
            return;
        // The first of two entries with one name is the one setCurrentFile() finds.
        if (!m_entries.contains(info.name))
            m_entries.insert(info.name, {info.compressedSize, info.uncompressedSize});
    }
    m_open = m_zip->getZipError() == UNZ_OK;
}

ZipFile::~ZipFile()
{
    if (m_zip && m_zip->isOpen())
        m_zip->close();
}

ZipFile::Entry ZipFile::entry(const QString &name)
{
    Entry result;
    const auto found = m_entries.constFind(name);
    if (!m_open || found == m_entries.constEnd()) {
        result.error = m_open ? Error::Missing : Error::NotZip;
        return result;
    }
    // A header may lie about both sizes; what is unpacked is counted as it comes.
    const qint64 packed = qint64(qMin<quint64>(found->packed, quint64(m_archiveSize)));
    qint64 allowed = qMin(m_limits.maxEntry, m_limits.maxUnpacked - m_unpackedSoFar);
    if (m_limits.maxRatio > 0 && packed < (std::numeric_limits<qint64>::max() / m_limits.maxRatio)) {
        const qint64 byRatio = qMax(kRatioFloor, packed * m_limits.maxRatio);
        allowed = qMin(allowed, byRatio);
    }
    if (allowed < 0 || found->unpacked > quint64(qMax<qint64>(allowed, 0))) {
        result.error = Error::TooLarge;
        return result;
    }
    if (!m_zip->setCurrentFile(name, QuaZip::csSensitive)) {
        result.error = Error::Damaged;
        return result;
    }
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = Error::Damaged;
        return result;
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(qMin<quint64>(found->unpacked, quint64(allowed))));
    char chunk[kChunk];
    for (;;) {
        const qint64 want = qMin<qint64>(kChunk, allowed - bytes.size() + 1);
        const qint64 got = file.read(chunk, want);
        if (got < 0) {
            result.error = Error::Damaged;
            break;
        }
        if (got == 0)
            break;
        if (bytes.size() + got > allowed) {
            result.error = Error::TooLarge;
            break;
        }
        bytes.append(chunk, qsizetype(got));
    }
    m_unpackedSoFar += bytes.size();
    file.close();
    // A checksum that does not match is a damaged entry (read to its end only).
    if (result.ok() && file.getZipError() != UNZ_OK)
        result.error = Error::Damaged;
    if (result.ok())
        result.bytes = std::move(bytes);
    return result;
}

bool ZipFile::Resolve(const QString &referrer, const QString &href, QString *path)
{
    if (href.startsWith(QLatin1Char('/')) || href.startsWith(QLatin1Char('\\')))
        return false;
    // "http:", "file:", "data:" …: not an entry of this archive.
    const qsizetype colon = href.indexOf(QLatin1Char(':'));
    const qsizetype slash = href.indexOf(QLatin1Char('/'));
    if (colon >= 0 && (slash < 0 || colon < slash))
        return false;
    QStringList parts = referrer.split(QLatin1Char('/'));
    parts.removeLast(); // the referring file's own name
    parts.removeAll(QString());
    for (const QString &part : href.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    *path = parts.join(QLatin1Char('/'));
    return true;
}

} // namespace loqa::doc
