#include "spectrum/data_trans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Bytes numbered from `first`, so every byte says where it came from.
std::vector<std::uint8_t> bytes(std::int32_t count, int first = 1)
{
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(first + static_cast<int>(i));
    return data;
}

class DataTransTest : public ::testing::Test {
protected:
    void SetUp() override { pool.data_transfer_create(); }

    void write(const std::vector<std::uint8_t>& data)
    {
        pool.data_transfer_inputToPool(data.data(), static_cast<std::int32_t>(data.size()));
    }
    std::vector<std::uint8_t> read(std::int32_t count)
    {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(count), 0xEE);
        pool.data_transfer_outputFromPool(out.data(), count);
        return out;
    }
    std::vector<std::uint8_t> unread() const
    {
        const std::uint8_t* start = pool.rec_buf() + pool.rec_pos();
        return {start, start + pool.data_len()};
    }

    data_trans pool;
};

TEST_F(DataTransTest, CreateGivesAnEmptyZeroedPoolOf19200Bytes)
{
    EXPECT_EQ(pool.bufferlength(), 19200);
    EXPECT_EQ(pool.rec_pos(), 0);
    EXPECT_EQ(pool.data_len(), 0);
    ASSERT_NE(pool.rec_buf(), nullptr);
    for (std::int32_t i = 0; i < 19200; ++i)
        ASSERT_EQ(pool.rec_buf()[i], 0) << "byte " << i;
}

TEST_F(DataTransTest, WritesAboveCapacityWithoutSourceOrWithNegativeCountAreIgnored)
{
    write(bytes(19201));
    EXPECT_EQ(pool.data_len(), 0);
    pool.data_transfer_inputToPool(nullptr, 100);
    EXPECT_EQ(pool.data_len(), 0);
    const auto data = bytes(100);
    pool.data_transfer_inputToPool(data.data(), -4);
    EXPECT_EQ(pool.data_len(), 0);

    const auto full = bytes(19200, 7);
    write(full);
    EXPECT_EQ(pool.rec_pos(), 0);
    EXPECT_EQ(pool.data_len(), 19200);
    EXPECT_EQ(unread(), full);
}

TEST_F(DataTransTest, OverflowKeepsOnlyTheNewestBlock)
{
    write(bytes(15360, 1));
    read(9600);
    const auto second = bytes(15360, 99);
    write(second);
    EXPECT_EQ(pool.rec_pos(), 0);
    EXPECT_EQ(pool.data_len(), 15360);
    EXPECT_EQ(unread(), second);
}

TEST_F(DataTransTest, WriteBehindTheEndMovesUnreadBytesToTheFront)
{
    const auto first = bytes(9600, 1);
    write(first);
    read(4800);
    const auto second = bytes(12000, 50);
    write(second);
    EXPECT_EQ(pool.rec_pos(), 0);
    EXPECT_EQ(pool.data_len(), 16800);
    std::vector<std::uint8_t> expected(first.begin() + 4800, first.end());
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(unread(), expected);
}

TEST_F(DataTransTest, ReadsDeliverShortExactAndLongerContents)
{
    const auto five = bytes(5000, 3);
    write(five);
    auto out = read(9600);
    EXPECT_TRUE(std::equal(five.begin(), five.end(), out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + 5000, out.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(pool.data_len(), 0);
    EXPECT_EQ(pool.rec_pos(), 0);

    const auto exact = bytes(9600, 11);
    write(exact);
    EXPECT_EQ(read(9600), exact);
    EXPECT_EQ(pool.data_len(), 0);
    EXPECT_EQ(pool.rec_pos(), 0);

    const auto oneMore = bytes(9601, 5);
    write(oneMore);
    out = read(9600);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), oneMore.begin()));
    EXPECT_EQ(pool.rec_pos(), 9600);
    EXPECT_EQ(pool.data_len(), 1);
    EXPECT_EQ(unread().front(), oneMore.back());
}

TEST_F(DataTransTest, EmptyPoolReadsZeros)
{
    EXPECT_EQ(read(9600), std::vector<std::uint8_t>(9600, 0));
}

TEST_F(DataTransTest, ReadWhileTheWriterHoldsTheLockGivesZerosAndKeepsTheContents)
{
    const auto data = bytes(9600, 21);
    write(data);
    pool.lock().lock();
    const auto out = read(9600);
    pool.lock().unlock();
    EXPECT_EQ(out, std::vector<std::uint8_t>(9600, 0));
    EXPECT_EQ(pool.data_len(), 9600);
    EXPECT_EQ(read(9600), data);
}

TEST_F(DataTransTest, ReadsWithoutDestinationOrCountTouchNothing)
{
    write(bytes(100));
    std::vector<std::uint8_t> out(16, 0xEE);
    pool.data_transfer_outputFromPool(out.data(), 0);
    pool.data_transfer_outputFromPool(out.data(), -5);
    pool.data_transfer_outputFromPool(nullptr, 16);
    EXPECT_EQ(out, std::vector<std::uint8_t>(16, 0xEE));
    EXPECT_EQ(pool.data_len(), 100);
}

TEST_F(DataTransTest, DestroyedPoolReadsZerosIgnoresWritesAndCanBeCreatedAgain)
{
    write(bytes(100));
    pool.data_transfer_destory();
    EXPECT_EQ(pool.rec_buf(), nullptr);
    EXPECT_EQ(pool.data_len(), 0);
    EXPECT_EQ(pool.rec_pos(), 0);

    write(bytes(100));
    EXPECT_EQ(pool.data_len(), 0);
    EXPECT_EQ(read(64), std::vector<std::uint8_t>(64, 0));

    pool.data_transfer_create();
    write(bytes(100));
    EXPECT_EQ(pool.data_len(), 100);

    data_trans neverCreated;
    const auto data = bytes(8);
    neverCreated.data_transfer_inputToPool(data.data(), 8);
    EXPECT_EQ(neverCreated.data_len(), 0);
}

// Capture buffers of 3840 frames every 80 ms against 9600-byte drains every
// 50 ms: the pattern of real bytes, dropped bytes and zero padding repeats
// every 160 ms.
TEST_F(DataTransTest, EightyMillisecondWritesAgainstFiftyMillisecondDrains)
{
    struct Drain {
        int at;
        long realBytes;
        int block; // which write the first byte came from
        bool operator==(const Drain&) const = default;
    };
    std::vector<Drain> drains;
    std::uint8_t block = 0;
    for (int t = 0; t <= 320; t += 10) {
        if (t % 80 == 0)
            write(std::vector<std::uint8_t>(15360, ++block)); // non-zero: padding stays visible
        if (t > 0 && t % 50 == 0) {
            const auto out = read(9600);
            const auto real = std::find(out.begin(), out.end(), 0) - out.begin();
            EXPECT_TRUE(std::all_of(out.begin() + real, out.end(), [](std::uint8_t b) { return b == 0; }));
            drains.push_back({t, real, out.front()});
        }
    }
    // The write at 80 ms drops the 5760 bytes left from the first block.
    const std::vector<Drain> expected{{50, 9600, 1},  {100, 9600, 2}, {150, 5760, 2},
                                      {200, 9600, 3}, {250, 9600, 4}, {300, 5760, 4}};
    EXPECT_EQ(drains, expected);
}

} // namespace
