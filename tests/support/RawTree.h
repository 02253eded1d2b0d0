#pragma once

#include <QByteArray>

// A temporary folder filled through paths given as bytes: names need not be valid UTF-8, and paths may
// be longer than the system's limit for a whole path. Everything is made and removed through folder
// descriptors, one name at a time, which is what such trees need.
class RawTree
{
  public:
    RawTree();
    ~RawTree();
    RawTree(const RawTree &) = delete;
    RawTree &operator=(const RawTree &) = delete;

    // Absolute path of the tree's root, without a trailing "/".
    const QByteArray &root() const { return m_root; }
    // Creates a file (and its parent folders) holding the given bytes; returns its absolute path.
    QByteArray writeFile(const QByteArray &relative, const QByteArray &content = {}) const;
    // Creates a folder and its parents; returns its absolute path.
    QByteArray makeDir(const QByteArray &relative) const;

  private:
    QByteArray m_root;
};
