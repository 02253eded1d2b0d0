#include "about/AppVersion.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <array>

namespace {

constexpr std::array<quint16, 4> compiledVersion{ARKIVODA_VERSION_MAJOR + 0, ARKIVODA_VERSION_MINOR + 0,
                                                 ARKIVODA_VERSION_PATCH + 0, ARKIVODA_VERSION_TWEAK + 0};

bool isRunningProgram(const QString &fileName)
{
    if (fileName.isEmpty())
        return true;
    const QString own = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return !own.isEmpty() && QFileInfo(fileName).canonicalFilePath() == own;
}

} // namespace

QString Verzija_programa(const QString &fileName, const QString &pattern)
{
    if (!isRunningProgram(fileName))
        return QString();
    QString result;
    std::size_t next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == QLatin1Char('%') && i + 1 < pattern.size() &&
            pattern.at(i + 1) == QLatin1Char('d') && next < compiledVersion.size()) {
            result += QString::number(compiledVersion[next++]);
            ++i;
            continue;
        }
        result += pattern.at(i);
    }
    return result;
}

QString GetAppVersionStr()
{
    return Verzija_programa(QString(), QStringLiteral("%d.%d.%d.%d"));
}
