#include "PermissionsBindRoot.h"

#include <sys/syscall.h>
#include <unistd.h>

PermissionsBindRoot::PermissionsBindRoot()
{
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    if (::syscall(SYS_capget, &m_header, m_saved) != 0)
        return;
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    m_active = ::syscall(SYS_capset, &m_header, reduced) == 0;
    m_restore = m_active;
}

PermissionsBindRoot::~PermissionsBindRoot()
{
    if (m_restore)
        ::syscall(SYS_capset, &m_header, m_saved);
}
