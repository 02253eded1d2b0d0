#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// What a save dialog asks for.
struct SaveFileRequest
{
    QString title;         // the dialog's title
    QString filter;        // the one file-type filter, as "Name (*.ext)"
    QString defaultSuffix; // added to a name typed without an extension, without the dot
    QString fileName;      // the proposed name
    QString folder;        // the folder the dialog opens in
};

// The platform's save-file dialog: the desktop's own (through the XDG portal where the desktop offers
// one). It never asks about overwriting itself: callers ask in their own words.
class SaveFileDialog
{
  public:
    // The chosen file's full path; nothing when the user cancels.
    static std::optional<QString> getSaveFileName(QWidget *parent, const SaveFileRequest &request);

    // Tests answer the dialog through this; an empty hook removes it.
    using Hook = std::function<std::optional<QString>(const SaveFileRequest &)>;
    static void setHook(Hook hook);
};
