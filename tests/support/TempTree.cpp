#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TempTree::TempTree()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder: " + m_dir.errorString().toStdString());
}

QString TempTree::root() const
{
    return m_dir.path();
}

QString TempTree::path(const QString &relative) const
{
    return m_dir.filePath(relative);
}

QString TempTree::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString fullPath = path(relative);
    QDir().mkpath(QFileInfo(fullPath).absolutePath());
    QFile file(fullPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error("cannot write test file " + fullPath.toStdString());
    return fullPath;
}

QString TempTree::makeDir(const QString &relative) const
{
    const QString fullPath = path(relative);
    if (!QDir().mkpath(fullPath))
        throw std::runtime_error("cannot create test folder " + fullPath.toStdString());
    return fullPath;
}
