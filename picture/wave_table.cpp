// The wave table, computed at compile time: 1000 x cos and 1000 x sin of
// 2 pi k / 256 for k = 0 to 255, rounded to the nearest integer. The tests
// check it against the C library's cos and sin.
#include "sprite.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Taylor series, for |x| <= pi / 4, where they converge well within a double.
constexpr double Sine(double x)
{
    double term = x, sum = x;
    for (int n = 1; n < 12; ++n) {
        term *= -x * x / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

constexpr double Cosine(double x)
{
    double term = 1, sum = 1;
    for (int n = 1; n < 12; ++n) {
        term *= -x * x / ((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

// cos(2 pi k / 256) for any k, from the first octant by symmetry.
constexpr double CosineOfStep(int k)
{
    k &= 255;
    const int quadrant = k / 64, step = k % 64;
    // cos and sin of the angle step within its quadrant
    const double angle = step * kPi / 128;
    const double c = step <= 32 ? Cosine(angle) : Sine(kPi / 2 - angle);
    const double s = step <= 32 ? Sine(angle) : Cosine(kPi / 2 - angle);
    switch (quadrant) {
    case 0: return c;
    case 1: return -s;
    case 2: return -c;
    default: return s;
    }
}

constexpr int32_t Thousandths(double value)
{
    return value >= 0 ? int32_t(value * 1000 + 0.5) : -int32_t(-value * 1000 + 0.5);
}

struct Table {
    int32_t values[512];
};

constexpr Table MakeTable()
{
    Table table{};
    for (int k = 0; k < 256; ++k) {
        table.values[2 * k] = Thousandths(CosineOfStep(k));
        table.values[2 * k + 1] = Thousandths(CosineOfStep(k - 64));  // sin x = cos(x - pi / 2)
    }
    return table;
}

constexpr Table kTable = MakeTable();
static_assert(kTable.values[0] == 1000 && kTable.values[1] == 0, "entry 0");
static_assert(kTable.values[2] == 1000 && kTable.values[3] == 25, "entry 1");
static_assert(kTable.values[128] == 0 && kTable.values[129] == 1000, "entry 64");

}  // namespace

const int32_t (&WaveTable)[512] = kTable.values;
