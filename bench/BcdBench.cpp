// Nanoseconds per operation of the decimal type, beside GCC's decimal128 (libgcc's decimal floating
// point), the type a C++ programmer would otherwise pick, and beside the digit-register algorithms
// the fast arithmetic stands in for. Every benchmark cycles through the same 1024 operand pairs.

#include <cstdio>
#include <decimal/decimal>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "decimal/StBCD.h"
#include "tests/decimal/BcdReference.h"

namespace {

using std::decimal::decimal128;

constexpr std::size_t PairCount = 1024;

struct Operands
{
    std::vector<std::string> textA, textB;
    std::vector<TBcd> a, b;
    std::vector<decimal128> da, db;
};

decimal128 ToDecimal128(long long coefficient, int exponent10)
{
    decimal128 v(coefficient);
    const decimal128 ten(10);
    for (; exponent10 > 0; --exponent10)
        v *= ten;
    for (; exponent10 < 0; ++exponent10)
        v /= ten;
    return v;
}

// Operands of 1 to 18 digits, magnitudes from 1E-12 to 1E+12, both signs, like a desk's sums.
const Operands& Pairs()
{
    static const Operands ops = [] {
        Operands o;
        std::mt19937_64 rng(42);
        std::uniform_int_distribution<int> len(1, 18), digit(0, 9), e(-12, 12), coin(0, 1);
        auto one = [&](std::vector<std::string>& texts, std::vector<TBcd>& values,
                       std::vector<decimal128>& decimals) {
            const int n = len(rng);
            std::string digits(1, static_cast<char>('1' + digit(rng) % 9));
            while (static_cast<int>(digits.size()) < n)
                digits.push_back(static_cast<char>('0' + digit(rng)));
            const int exponent = e(rng) - (n - 1);
            const bool negative = coin(rng) == 1;
            std::string text = (negative ? "-" : "") + digits + "E" + std::to_string(exponent);
            texts.push_back(text);
            values.push_back(BcdFromText(text));
            const long long c = std::stoll(digits);
            decimals.push_back(ToDecimal128(negative ? -c : c, exponent));
        };
        for (std::size_t i = 0; i < PairCount; ++i) {
            one(o.textA, o.a, o.da);
            one(o.textB, o.b, o.db);
        }
        return o;
    }();
    return ops;
}

template<typename F>
void RunOverPairs(benchmark::State& state, F&& f)
{
    std::size_t i = 0;
    for (auto _ : state) {
        f(i);
        i = (i + 1) % PairCount;
    }
}

void BM_BcdFromText(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(BcdFromText(o.textA[i])); });
}

template<TBcd (*Op)(const TBcd&, const TBcd&)>
void BM_Bcd(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(Op(o.a[i], o.b[i])); });
}

void BM_BcdSqrt(benchmark::State& state)
{
    const Operands& o = Pairs();
    std::vector<TBcd> positive;
    for (const TBcd& v : o.a)
        positive.push_back(v.IsNegative() ? BcdNegate(v) : v);
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(BcdSqrt(positive[i])); });
}

void BM_BcdToFixed(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(BcdToFixed(o.a[i], 0, 15)); });
}

void BM_FormatBcd(benchmark::State& state)
{
    const Operands& o = Pairs();
    const std::string mask = "###,###,###,###,###,###,##0.#####################";
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(FormatBcd(mask, o.a[i])); });
}

void BM_Decimal128Add(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(o.da[i] + o.db[i]); });
}

void BM_Decimal128Subtract(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(o.da[i] - o.db[i]); });
}

void BM_Decimal128Multiply(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(o.da[i] * o.db[i]); });
}

void BM_Decimal128Divide(benchmark::State& state)
{
    const Operands& o = Pairs();
    RunOverPairs(state, [&](std::size_t i) { benchmark::DoNotOptimize(o.da[i] / o.db[i]); });
}

} // namespace

BENCHMARK(BM_BcdFromText);
BENCHMARK(BM_Bcd<BcdAdd>)->Name("BM_BcdAdd");
BENCHMARK(BM_Decimal128Add);
BENCHMARK(BM_Bcd<stbcd::RegisterAdd>)->Name("BM_RegisterAdd");
BENCHMARK(BM_Bcd<BcdSubtract>)->Name("BM_BcdSubtract");
BENCHMARK(BM_Decimal128Subtract);
BENCHMARK(BM_Bcd<BcdMultiply>)->Name("BM_BcdMultiply");
BENCHMARK(BM_Decimal128Multiply);
BENCHMARK(BM_Bcd<stbcd::RegisterMultiply>)->Name("BM_RegisterMultiply");
BENCHMARK(BM_Bcd<BcdDivide>)->Name("BM_BcdDivide");
BENCHMARK(BM_Decimal128Divide);
BENCHMARK(BM_Bcd<stbcd::RegisterDivide>)->Name("BM_RegisterDivide");
BENCHMARK(BM_BcdSqrt);
BENCHMARK(BM_BcdToFixed);
BENCHMARK(BM_FormatBcd);

namespace {

// The console report, and the times kept for the ratios printed after it.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            ns_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        std::printf("\n| Operation | TBcd / decimal128 (goal at most 1.5 for subtraction) |\n|---|---|\n");
        for (const char* op : {"Add", "Subtract", "Multiply", "Divide"}) {
            const auto bcd = ns_.find(std::string("BM_Bcd") + op);
            const auto dec = ns_.find(std::string("BM_Decimal128") + op);
            if (bcd != ns_.end() && dec != ns_.end() && dec->second > 0)
                std::printf("| %s | %.2f |\n", op, bcd->second / dec->second);
        }
    }

private:
    std::map<std::string, double> ns_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
