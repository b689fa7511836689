#include "spectrum/data_trans.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// A real capture-like writer thread against the reader on this thread. Every
// 4-byte frame carries a running number (from 1; 0 is padding), so torn or
// repeated data shows: within one drain the numbers must rise by exactly 1
// except where an overflow dropped older frames (a jump forward), padding
// only trails, and across drains numbers never go back.
TEST(DataTransConcurrencyTest, WriterThreadAndTryLockReaderNeverSeeTornData)
{
    data_trans pool;
    pool.data_transfer_create();

    constexpr std::uint32_t kFramesPerWrite = 3840;
    constexpr std::uint32_t kWrites = 2000;
    std::atomic<bool> done{false};

    std::thread writer([&] {
        std::vector<std::uint32_t> buffer(kFramesPerWrite);
        std::uint32_t next = 1;
        for (std::uint32_t w = 0; w < kWrites; ++w) {
            for (auto& frame : buffer)
                frame = next++;
            pool.data_transfer_inputToPool(buffer.data(), static_cast<std::int32_t>(kFramesPerWrite * 4));
            if (w % 8 == 0)
                std::this_thread::yield();
        }
        done = true;
    });

    std::uint32_t last = 0;
    std::uint64_t framesSeen = 0;
    int busyOrEmpty = 0;
    std::vector<std::uint32_t> block(2400);
    while (!done.load() || framesSeen == 0) {
        pool.data_transfer_outputFromPool(block.data(), 9600);
        std::size_t real = 0;
        while (real < block.size() && block[real] != 0)
            ++real;
        for (std::size_t i = real; i < block.size(); ++i)
            ASSERT_EQ(block[i], 0u) << "data after padding at frame " << i;
        if (real == 0)
            ++busyOrEmpty;
        for (std::size_t i = 0; i < real; ++i) {
            ASSERT_GT(block[i], last) << "frame went back or repeated";
            // Inside one write's frames the numbers are consecutive.
            if (i > 0 && (block[i] - 1) % kFramesPerWrite != 0) {
                ASSERT_EQ(block[i], block[i - 1] + 1) << "torn frames at " << i;
            }
            last = block[i];
        }
        framesSeen += real;
    }
    writer.join();

    EXPECT_GT(framesSeen, 0u);
    EXPECT_LE(pool.rec_pos() + pool.data_len(), pool.bufferlength());
    // Whatever is left drains in order too.
    pool.data_transfer_outputFromPool(block.data(), 9600);
    if (block[0] != 0) {
        EXPECT_GT(block[0], last);
    }
    RecordProperty("framesSeen", static_cast<int>(framesSeen));
    RecordProperty("zeroBlocks", busyOrEmpty);
}

} // namespace
