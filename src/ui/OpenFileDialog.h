#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// What an open dialog asks for: existing files, several existing folders, or one existing folder.
struct OpenFileRequest
{
    enum class Kind { Files, Folders, Folder };

    Kind kind = Kind::Files;
    QString title;
    QString filter;        // files only: the one file-type filter, as "Name (*)"
    QString initialFolder; // empty: the dialog's own choice
    QString acceptLabel;   // empty: the dialog's own caption of its confirm button
};

// The platform's open-file and folder dialogs: the desktop's own (through the XDG portal where the
// desktop offers one), with the user's bookmarks. Several folders at once are picked in Qt's own
// dialog, as the desktop's folder dialogs pick one.
class OpenFileDialog
{
  public:
    // The chosen files or folders as full paths, in the dialog's order; nothing when the user cancels.
    static std::optional<QStringList> getNames(QWidget *parent, const OpenFileRequest &request);

    // Tests answer the dialog through this; an empty hook removes it.
    using Hook = std::function<std::optional<QStringList>(const OpenFileRequest &)>;
    static void setHook(Hook hook);
};
