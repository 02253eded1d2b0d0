#pragma once

#include <QString>

#include <optional>

// A short-lived accessor on one profile (ini) file: [Section] lines followed by key=value lines.
// Section and key names match without regard to case and values are trimmed. Every read looks at
// the file as it is now; every write rewrites it at once, changing only the line of that key (or
// adding the key at the end of its section, or the section at the end of the file), and goes
// through a temporary file and a rename, so a crash never leaves a truncated file.
class IniFile
{
  public:
    explicit IniFile(QString fileName);

    // Full name of the file this accessor works on.
    const QString &fileName() const { return m_fileName; }

    // The key's whole value, trimmed and without one pair of matching quotes (" or ') around it; the
    // default when the file, the section or the key is missing or the file cannot be read.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // The key's value as ReadString gives it; nothing when the file, the section or the key is missing
    // or the file cannot be read, so an empty value stays apart from no value.
    std::optional<QString> ReadValue(const QString &section, const QString &key) const;
    // The key's value as an integer (decimal, or hexadecimal after "0x"): non-zero is true; the
    // default when the key is missing or its value is not an integer.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // The key's time of day as a fraction of a day (0.5 is 12:00:00), read as hh:mm:ss or in the
    // locale's own time formats; the default when missing, empty or not a time.
    double ReadTime(const QString &section, const QString &key, double defaultValue) const;

    // Stores the value under the key, creating the file, section and key as needed; throws
    // EConfigError "Unable to write to <file>", with the system's reason, when the file cannot be
    // written, and then leaves the file as it was.
    void WriteString(const QString &section, const QString &key, const QString &value) const;
    // Stores "1" for true and "0" for false.
    void WriteBool(const QString &section, const QString &key, bool value) const;
    // Stores the time of day of a fraction-of-a-day value as 24-hour hh:mm:ss.
    void WriteTime(const QString &section, const QString &key, double value) const;

    // Parses a stored boolean: an integer, decimal or "0x" hexadecimal; nothing when it is not one.
    static std::optional<bool> parseBool(const QString &text);
    // Parses a stored time of day into a fraction of a day; nothing when it is not a time.
    static std::optional<double> parseTime(const QString &text);
    // Renders the time of day of a fraction-of-a-day value as hh:mm:ss.
    static QString formatTime(double dayFraction);

  private:
    [[noreturn]] void throwWriteError(const QString &reason = {}) const;

    QString m_fileName;
};
