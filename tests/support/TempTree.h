#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that tests fill with real files and folders; removed with everything in it.
class TempTree
{
  public:
    TempTree();

    // Absolute path of the tree's root, without a trailing "/".
    QString root() const;
    // Absolute path of a relative path inside the tree.
    QString path(const QString &relative) const;
    // Creates a file (and its parent folders) holding the given bytes; returns its absolute path.
    QString writeFile(const QString &relative, const QByteArray &content = {}) const;
    // Creates a folder and its parents; returns its absolute path.
    QString makeDir(const QString &relative) const;

  private:
    QTemporaryDir m_dir;
};
