#include "UnicodeUpper.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace loan {

namespace {

struct UpperRun {
    char32_t first, last;
    std::int32_t distance;
    std::uint8_t step;
};
struct UpperMany {
    char32_t from;
    char32_t to[3];
};

#include "UnicodeUpperTable.inc"

} // namespace

int UnicodeUpper(char32_t c, char32_t out[3]) {
    if (c < 0x80) {
        out[0] = c >= U'a' && c <= U'z' ? c - 0x20 : c;
        return 1;
    }
    const auto many = std::lower_bound(std::begin(kUpperMany), std::end(kUpperMany), c,
                                       [](const UpperMany& m, char32_t v) { return m.from < v; });
    if (many != std::end(kUpperMany) && many->from == c) {
        int n = 0;
        while (n < 3 && many->to[n] != 0) {
            out[n] = many->to[n];
            ++n;
        }
        return n;
    }
    // The last run starting at or before c.
    const auto run = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), c,
                                      [](char32_t v, const UpperRun& r) { return v < r.first; });
    out[0] = c;
    if (run != std::begin(kUpperRuns)) {
        const UpperRun& r = *std::prev(run);
        if (c <= r.last && (c - r.first) % r.step == 0)
            out[0] = static_cast<char32_t>(static_cast<std::int32_t>(c) + r.distance);
    }
    return 1;
}

} // namespace loan
