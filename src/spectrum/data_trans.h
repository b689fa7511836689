#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

// A fixed-capacity byte queue between the capture thread (one writer) and
// the display timer on the main thread (one reader). The storage is linear:
// unread bytes are rec_buf[rec_pos, rec_pos + data_len) and never wrap; a
// write that does not fit behind them first moves them to the front, and a
// write that does not fit at all replaces them (the newest block survives).
//
// The writer waits for the lock; the reader only tries it and takes a block
// of zeros when the writer holds it, so the main thread never waits.
class data_trans {
public:
    data_trans() = default;
    ~data_trans();
    data_trans(const data_trans&) = delete;
    data_trans& operator=(const data_trans&) = delete;

    // 19200 zeroed bytes (100 ms of 48 kHz stereo 16-bit), empty. Any
    // storage held before is released first.
    void data_transfer_create();
    // Appends len bytes from src (capture thread). Ignored when src is null,
    // len is negative or above the capacity, or the pool has no storage.
    void data_transfer_inputToPool(const void* src, std::int32_t BufferLength);
    // Fills exactly len bytes of dst (main thread): the oldest unread bytes,
    // then zeros if fewer are held; all zeros while the writer holds the lock.
    // Nothing is written for a null dst or a count of 0 or less.
    void data_transfer_outputFromPool(void* dst, std::int32_t BufferLenght);
    // Releases the storage and empties the pool; the lock stays. Waits for a
    // write in progress so a late writer never touches released storage.
    void data_transfer_destory();

    std::int32_t bufferlength() const { return m_bufferlength; }
    std::mutex& lock() { return m_lock; }
    std::int32_t rec_pos() const { return m_rec_pos; }
    std::int32_t data_len() const { return m_data_len; }
    const std::uint8_t* rec_buf() const { return m_rec_buf.get(); }

    static constexpr std::int32_t kCapacity = 19200;

private:
    std::int32_t m_bufferlength = 0;
    std::mutex m_lock;
    std::int32_t m_rec_pos = 0;
    std::int32_t m_data_len = 0;
    std::unique_ptr<std::uint8_t[]> m_rec_buf;
};
