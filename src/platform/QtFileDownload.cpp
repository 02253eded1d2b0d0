#include "platform/QtFileDownload.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>

QtFileDownload::QtFileDownload(std::chrono::milliseconds limit) : m_limit(limit) {}

bool QtFileDownload::DownloadFile(const QString &url, const QString &fileName, qint64 maxBytes)
{
    const QUrl address(url);
    if (!address.isValid() || address.isRelative() || maxBytes < 0)
        return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // A server that accepts the connection and then stays silent ends the transfer too.
    request.setTransferTimeout(static_cast<int>(m_limit.count()));
    // No compression: the bytes counted against the limit are the bytes kept, and a small compressed
    // answer cannot unpack into gigabytes.
    request.setRawHeader("Accept-Encoding", "identity");
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // The network layer stops reading while this much is waiting, so an endless answer never piles
    // up in memory ahead of the count below.
    reply->setReadBufferSize(std::clamp<qint64>(maxBytes + 1, 4096, 1 << 20));

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    bool tooLong = false;
    QByteArray content;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        // A declared length over the limit fails before a byte of the body is read.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes && !reply->isFinished()) {
            tooLong = true;
            reply->abort();
        }
    });
    const auto take = [&] {
        if (tooLong)
            return;
        // One byte past the limit is enough to know the answer is too long.
        content += reply->read(maxBytes + 1 - content.size());
        if (content.size() > maxBytes) {
            tooLong = true;
            content.clear();
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_limit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    take();

    if (timedOut || tooLong || reply->error() != QNetworkReply::NoError)
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}
