#pragma once

#include <QString>

#include <stdexcept>

// A failure of the configuration layer to read or write one of its files; the text names the file
// and is shown to the user as it stands.
class EConfigError : public std::runtime_error
{
  public:
    // What was being done to the file when it failed: read or written, waited for while another
    // process had it, or its folder made (the message of those two is the message table's own words).
    enum class Operation { Read, Write, Wait, CreateFolder };

    // reason: what the system said about the failure, when it was the system's.
    EConfigError(Operation operation, QString fileName, const QString &message, QString reason = {});

    // The message as text for the interface (what() holds the same text in UTF-8).
    QString message() const;
    Operation operation() const { return m_operation; }
    // The full name of the file that could not be read or written.
    const QString &fileName() const { return m_fileName; }
    // The system's error text ("File too large"), or empty.
    const QString &reason() const { return m_reason; }

  private:
    Operation m_operation;
    QString m_fileName;
    QString m_reason;
};
