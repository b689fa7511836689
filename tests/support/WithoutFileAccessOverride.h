#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Drops the file-permission override capabilities from the effective set
// of the calling thread while alive, so root is refused like any user
// (threads started meanwhile keep the reduced set).
class WithoutFileAccessOverride {
public:
    WithoutFileAccessOverride()
    {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutFileAccessOverride() { syscall(SYS_capset, &m_header, m_saved); }
    WithoutFileAccessOverride(const WithoutFileAccessOverride&) = delete;
    WithoutFileAccessOverride& operator=(const WithoutFileAccessOverride&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};
