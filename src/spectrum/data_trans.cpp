#include "spectrum/data_trans.h"

#include <cstring>
#include <new>

data_trans::~data_trans() = default;

void data_trans::data_transfer_create()
{
    m_bufferlength = kCapacity;
    m_rec_pos = 0;
    m_data_len = 0;
    m_rec_buf.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(m_bufferlength)]);
    if (m_rec_buf)
        std::memset(m_rec_buf.get(), 0, static_cast<std::size_t>(m_bufferlength));
}

void data_trans::data_transfer_inputToPool(const void* src, std::int32_t BufferLength)
{
    const std::int32_t len = BufferLength;
    if (!src || len < 0 || len > m_bufferlength)
        return;

    const std::lock_guard guard(m_lock);
    std::uint8_t* buf = m_rec_buf.get();
    if (!buf)
        return;
    if (m_rec_pos + m_data_len + len <= m_bufferlength) {
        std::memcpy(buf + m_rec_pos + m_data_len, src, static_cast<std::size_t>(len));
        m_data_len += len;
    } else if (m_data_len + len <= m_bufferlength) {
        // Reclaim the space in front of the unread bytes.
        std::memmove(buf, buf + m_rec_pos, static_cast<std::size_t>(m_data_len));
        m_rec_pos = 0;
        std::memcpy(buf + m_data_len, src, static_cast<std::size_t>(len));
        m_data_len += len;
    } else {
        // Overflow: the newest block survives whole, nothing older does.
        m_rec_pos = 0;
        std::memcpy(buf, src, static_cast<std::size_t>(len));
        m_data_len = len;
    }
}

void data_trans::data_transfer_outputFromPool(void* dst, std::int32_t BufferLenght)
{
    const std::int32_t len = BufferLenght;
    if (!dst || len <= 0)
        return;

    std::unique_lock guard(m_lock, std::try_to_lock);
    if (!guard.owns_lock()) {
        std::memset(dst, 0, static_cast<std::size_t>(len));
        return;
    }
    if (m_data_len > len) {
        std::memcpy(dst, m_rec_buf.get() + m_rec_pos, static_cast<std::size_t>(len));
        m_rec_pos += len;
        m_data_len -= len;
    } else {
        std::memset(dst, 0, static_cast<std::size_t>(len));
        if (m_data_len > 0)
            std::memcpy(dst, m_rec_buf.get() + m_rec_pos, static_cast<std::size_t>(m_data_len));
        m_rec_pos = 0;
        m_data_len = 0;
    }
}

void data_trans::data_transfer_destory()
{
    const std::lock_guard guard(m_lock);
    m_rec_buf.reset();
    m_rec_pos = 0;
    m_data_len = 0;
}
