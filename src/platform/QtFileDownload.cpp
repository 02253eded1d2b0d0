#include "platform/QtFileDownload.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <memory>

QtFileDownload::QtFileDownload(std::chrono::milliseconds limit) : m_limit(limit) {}

bool QtFileDownload::DownloadFile(const QString &url, const QString &fileName)
{
    const QUrl address(url);
    if (!address.isValid() || address.isRelative())
        return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // A server that accepts the connection and then stays silent ends the transfer too.
    request.setTransferTimeout(static_cast<int>(m_limit.count()));
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_limit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    if (timedOut || reply->error() != QNetworkReply::NoError)
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray content = reply->readAll();
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}
