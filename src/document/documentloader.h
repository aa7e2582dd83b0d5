#pragma once

#include "document/document.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace loqa::doc {

// Reads one document on a thread of its own, so that the window stays free and
// shows the beginning of a long document while the rest is still being read.
// What is read arrives in order as `textArrived` pieces (their concatenation is
// the document's text); `finished` comes once at the end with the chapters, or
// `failed` with the reason. The loader takes the options' `progress` for itself.
// Destroying the loader cancels the read and waits for its thread.
class DocumentLoader : public QObject
{
    Q_OBJECT
public:
    DocumentLoader(const QString &path, const Options &options, QObject *parent = nullptr);
    ~DocumentLoader() override;

    void start();
    const QString &path() const { return m_path; }

signals:
    void textArrived(const QString &piece);
    void finished(const QList<loqa::doc::Chapter> &chapters);
    void failed(const QString &error);

private:
    void run();

    QString m_path;
    Options m_options;
    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<QThread> m_thread;
};

} // namespace loqa::doc
