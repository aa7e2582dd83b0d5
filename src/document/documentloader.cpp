#include "document/documentloader.h"

#include <QMetaObject>
#include <QPointer>

namespace loqa::doc {

DocumentLoader::DocumentLoader(const QString &path, const Options &options, QObject *parent)
    : QObject(parent), m_path(path), m_options(options)
{}

DocumentLoader::~DocumentLoader()
{
    m_cancelled = true;
    if (m_thread)
        m_thread->wait();
}

void DocumentLoader::start()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start();
}

void DocumentLoader::run()
{
    // What went out so far: the text up to its last character that is not white
    // space, which later text can no longer change (a paragraph's end is shaped
    // only when the next one starts).
    QString sent;
    const auto post = [this](auto call) { QMetaObject::invokeMethod(this, call, Qt::QueuedConnection); };
    Options options = m_options;
    const auto chainedProgress = m_options.progress;
    options.progress = [&](const QString &textSoFar, int done, int total) {
        if (m_cancelled)
            return false;
        qsizetype stable = textSoFar.size();
        while (stable > sent.size() && textSoFar.at(stable - 1).isSpace())
            --stable;
        if (stable > sent.size() && QStringView(textSoFar).left(sent.size()) == sent) {
            const QString piece = textSoFar.mid(sent.size(), stable - sent.size());
            sent += piece;
            post([this, piece] { emit textArrived(piece); });
        }
        return !chainedProgress || chainedProgress(textSoFar, done, total);
    };
    Result result = ReadDocument(m_path, options);
    if (m_cancelled)
        return;
    if (!result.ok) {
        post([this, error = result.error] { emit failed(error); });
        return;
    }
    if (!result.text.startsWith(sent)) {
        // Never expected: the reader changed text it had shown. The window gets
        // nothing wrong: the loader fails rather than show a document that is not it.
        post([this, path = m_path] { emit failed(path + QStringLiteral(": The document changed while it was read")); });
        return;
    }
    if (result.text.size() > sent.size())
        post([this, piece = result.text.mid(sent.size())] { emit textArrived(piece); });
    post([this, chapters = std::move(result.chapters)] { emit finished(chapters); });
}

} // namespace loqa::doc
