#pragma once

#include <linux/capability.h>

// Root can open and list anything whatever its mode. Taking CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH
// out of this thread's effective set makes permissions bind root as well; threads started meanwhile
// inherit the reduced set. They come back on destruction.
class PermissionsBindRoot
{
  public:
    PermissionsBindRoot();
    ~PermissionsBindRoot();
    PermissionsBindRoot(const PermissionsBindRoot &) = delete;
    PermissionsBindRoot &operator=(const PermissionsBindRoot &) = delete;

    // Whether a file or folder with mode 000 now really cannot be opened.
    bool active() const { return m_active; }

  private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
    bool m_restore = false;
};
