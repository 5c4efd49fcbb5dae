// Arithmetic must not touch the heap: a counting global allocator around the calls proves it.

#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "BcdTestUtil.h"

namespace {
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

class Allocation : public ::testing::Test
{};

TEST_F(Allocation, ArithmeticAllocatesNothing)
{
    const TBcd a = BcdFromText("123456789.123456789"), b = BcdFromText("-0.000987654321987654");
    const TBcd c = BcdFromText("2"), tiny = BcdFromText("1E-60");
    TBcd sink{};
    const long before = allocations.load();
    for (int i = 0; i < 1000; ++i) {
        sink = BcdAdd(a, b);
        sink = BcdSubtract(sink, a);
        sink = BcdMultiply(a, b);
        sink = BcdDivide(a, b);
        sink = BcdNegate(sink);
        sink = BcdSqrt(c);
        sink = BcdMultiply(tiny, tiny); // underflow to zero
    }
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_NE(sink.bytes[0], 0xFF); // keep the results alive
}

TEST_F(Allocation, TextResultsAllocateOnlyTheirString)
{
    const TBcd a = BcdFromText("-1234567.891");
    const std::string mask = "###,###,###,###,###,###,##0.#####################";
    long before = allocations.load();
    const std::string fixed = BcdToFixed(a, 0, 15);
    EXPECT_LE(allocations.load() - before, 1);
    before = allocations.load();
    const std::string formatted = FormatBcd(mask, a);
    EXPECT_LE(allocations.load() - before, 1);
    before = allocations.load();
    const TBcd parsed = BcdFromText("-1234567.891");
    EXPECT_EQ(allocations.load() - before, 0);
    EXPECT_EQ(parsed, a);
    EXPECT_FALSE(fixed.empty());
    EXPECT_FALSE(formatted.empty());
}

} // namespace
