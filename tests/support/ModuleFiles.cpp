#include "ModuleFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace ModuleFiles {

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The span of a context's block in a translation source; an empty match when it is not there.
QRegularExpressionMatch contextBlock(const QString &source, const QString &context)
{
    const QRegularExpression block(QStringLiteral("<context>\\s*<name>") +
                                       QRegularExpression::escape(escaped(context)) +
                                       QStringLiteral("</name>.*?</context>\\s*"),
                                   QRegularExpression::DotMatchesEverythingOption);
    return block.match(source);
}

} // namespace

QString translationSource(const QList<QPair<QString, QList<QPair<QString, QString>>>> &contexts)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                                  "<TS version=\"2.1\">\n");
    for (const auto &[context, messages] : contexts) {
        text += QStringLiteral("<context>\n<name>") + escaped(context) + QStringLiteral("</name>\n");
        for (const auto &[sourceText, translation] : messages)
            text += QStringLiteral("<message><source>") + escaped(sourceText) +
                    QStringLiteral("</source><translation>") + escaped(translation) +
                    QStringLiteral("</translation></message>\n");
        text += QStringLiteral("</context>\n");
    }
    return text + QStringLiteral("</TS>\n");
}

QString programSource(const QString &abbreviation)
{
    QFile file(QStringLiteral(ARKIVODA_SOURCE_DIR "/translations/arkivoda_") + abbreviation +
               QStringLiteral(".ts"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString withoutMessage(const QString &source, const QString &context, const QString &sourceText)
{
    const QRegularExpressionMatch block = contextBlock(source, context);
    if (!block.hasMatch())
        return source;
    QString inner = block.captured();
    inner.remove(QRegularExpression(QStringLiteral("<message>(?:(?!</message>).)*?<source>") +
                                        QRegularExpression::escape(escaped(sourceText)) +
                                        QStringLiteral("</source>.*?</message>\\s*"),
                                    QRegularExpression::DotMatchesEverythingOption));
    return QString(source).replace(block.capturedStart(), block.capturedLength(), inner);
}

QString withoutContext(const QString &source, const QString &context)
{
    const QRegularExpressionMatch block = contextBlock(source, context);
    if (!block.hasMatch())
        return source;
    return QString(source).remove(block.capturedStart(), block.capturedLength());
}

QString compile(const QString &source, const QString &moduleFile)
{
    QTemporaryDir folder;
    const QString tsFile = folder.filePath(QStringLiteral("module.ts"));
    QFile file(tsFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(source.toUtf8()) < 0 || !file.flush())
        return QStringLiteral("cannot write ") + tsFile;
    file.close();
    QProcess lrelease;
    lrelease.setProcessChannelMode(QProcess::MergedChannels);
    lrelease.start(QStringLiteral(ARKIVODA_LRELEASE),
                   {QStringLiteral("-silent"), tsFile, QStringLiteral("-qm"), moduleFile});
    if (!lrelease.waitForFinished(60000) || lrelease.exitStatus() != QProcess::NormalExit ||
        lrelease.exitCode() != 0 || !QFile::exists(moduleFile))
        return QStringLiteral("lrelease failed: ") + QString::fromLocal8Bit(lrelease.readAll());
    return QString();
}

QString builtModule(const QString &abbreviation)
{
    return qEnvironmentVariable("ARKIVODA_BINARY_DIR") + QStringLiteral("/bin/arkivoda.") + abbreviation;
}

} // namespace ModuleFiles
