#pragma once

#include <QString>

#include <stdexcept>

// A failure of the configuration layer to read or write one of its files; the text names the file
// and is shown to the user as it stands.
class EConfigError : public std::runtime_error
{
public:
    explicit EConfigError(const QString &message);

    // The message as text for the interface (what() holds the same text in UTF-8).
    QString message() const;
};
