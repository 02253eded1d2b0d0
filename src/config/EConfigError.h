#pragma once

#include <QString>

#include <stdexcept>

// A failure of the configuration layer to read or write one of its files; the text names the file
// and is shown to the user as it stands.
class EConfigError : public std::runtime_error
{
  public:
    // reason: what the system said about the failure, when it was the system's.
    explicit EConfigError(const QString &message, QString reason = {});

    // The message as text for the interface (what() holds the same text in UTF-8).
    QString message() const;
    // The system's error text ("File too large"), or empty.
    const QString &reason() const { return m_reason; }

  private:
    QString m_reason;
};
