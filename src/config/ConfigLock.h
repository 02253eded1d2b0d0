#pragma once

#include <QString>

#include <chrono>

// Exclusive hold on a configuration's lock file (an advisory flock), taken around every
// read-modify-write of the configuration's settings or list file, so that runs, the settings window and
// the language switch of any number of processes never lose each other's writes. Readers take no lock:
// every file is replaced whole by a rename. The lock is not re-entrant: a thread holding it must not
// take it again.
class ConfigLock
{
  public:
    // Waits up to maximumWait() for the lock. fileName is the file about to be changed; the errors name
    // it. Throws EConfigError when the lock file cannot be opened or the lock does not come free in time.
    ConfigLock(const QString &lockFileName, const QString &fileName);
    ~ConfigLock();

    ConfigLock(const ConfigLock &) = delete;
    ConfigLock &operator=(const ConfigLock &) = delete;

    // How long a writer waits for another one to finish: 10 s unless set.
    static std::chrono::milliseconds maximumWait();
    // Sets the wait, for tests that hold the lock and do not want to wait the whole time.
    static void setMaximumWait(std::chrono::milliseconds wait);

  private:
    int m_fd = -1;
};
