#pragma once

#include "document/document.h"

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

class QuaZip;

namespace loqa::doc {

// A zip archive held in memory, read one entry at a time within a reader's
// limits. Nothing is written to disk; an entry is never unpacked past the limits,
// whatever its header claims.
class ZipFile
{
public:
    enum class Error {
        None,
        NotZip,   // no archive could be opened: not a zip, or cut short
        Missing,  // no entry of that name
        Outside,  // the name climbs above the archive's root
        TooLarge, // the entry, or all entries read so far, unpack past the limits
        Damaged,  // the entry cannot be unpacked (bad data, wrong checksum)
    };

    struct Entry {
        QByteArray bytes;
        Error error = Error::None;
        bool ok() const { return error == Error::None; }
    };

    ZipFile(const QByteArray &bytes, const Limits &limits);
    ~ZipFile();
    ZipFile(const ZipFile &) = delete;
    ZipFile &operator=(const ZipFile &) = delete;

    bool isOpen() const { return m_open; }
    bool contains(const QString &name) const { return m_entries.contains(name); }
    // The bytes of the entry named exactly `name` (a path from the archive's root).
    Entry entry(const QString &name);

    // The entry `href` names from the entry `referrer` ("" for the root): "./" and
    // "../" resolved, percent escapes and any "#fragment" kept as given. False when
    // the path climbs above the root, is absolute or names another scheme.
    static bool Resolve(const QString &referrer, const QString &href, QString *path);

private:
    struct Sizes {
        quint64 packed = 0;
        quint64 unpacked = 0;
    };

    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, Sizes> m_entries;
    Limits m_limits;
    qint64 m_archiveSize = 0;
    qint64 m_unpackedSoFar = 0;
    bool m_open = false;
};

} // namespace loqa::doc
