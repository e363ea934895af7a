#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace calc {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsExponentLetter(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The characters of a number as from_chars wants them: mantissa digits with the point among
// them, then "e" and the exponent (from_chars knows neither "+" nor "D"). Typed numbers are
// short, so they stay on the stack.
class NumberBuffer {
  public:
    void Push(char c) {
        if (size_ < sizeof small_) {
            small_[size_] = c;
        } else {
            if (large_.empty()) {
                large_.assign(small_, size_);
            }
            large_ += c;
        }
        ++size_;
    }

    std::string_view View() const {
        return size_ <= sizeof small_ ? std::string_view(small_, size_) : std::string_view(large_);
    }

  private:
    char small_[64];
    std::size_t size_ = 0;
    std::string large_;
};

// An overflow or an underflow of a mantissa and exponent that from_chars could not hold: tell
// them apart by the power of ten of the first significant digit.
double OutOfRange(std::string_view mantissa, long exponent) {
    const auto first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return 0.0;
    }
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const long power =
        first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
    return power + exponent > 0 ? HUGE_VAL : 0.0;
}

// Digits of |x| to 15 significant figures and the power of ten of the first one.
struct Digits15 {
    char digits[16] = {}; // 15 digits, zero terminated
    int exponent = 0;
};

Digits15 SignificantDigits(double magnitude) {
    char buffer[40];
    // The shortest digits that read back as the value are its 15-digit rounding whenever there
    // are at most 15 of them, and they come much cheaper than a fixed precision.
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const auto digitsBefore = [&](const char* end) {
        return std::count_if(static_cast<const char*>(buffer), end, IsDigit);
    };
    const char* e = std::find(buffer, result.ptr, 'e');
    if (digitsBefore(e) > 15) {
        result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                               std::chars_format::scientific, 14);
        e = std::find(buffer, result.ptr, 'e');
    }
    Digits15 out;
    std::fill_n(out.digits, 15, '0');
    int count = 0;
    for (const char* p = buffer; p != e; ++p) {
        if (IsDigit(*p)) {
            out.digits[count++] = *p;
        }
    }
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), result.ptr, out.exponent);
    return out;
}

// Room for the grouped digits of the largest double and a prefix.
constexpr std::size_t kMoneyTextSize = 480;

// Writes |x| taken to 15 significant digits, then to two decimals with halves away from zero,
// its integer digits grouped by threes, after the prefix ("", "$", "-", "-$" or "$-" chosen by
// prefix(negative), negative meaning that the rounded value is below zero).
template <typename Prefix> std::string MoneyText(double x, Prefix prefix) {
    // Integer digits, then three decimals; one spare place in front for a carry.
    char digits[kMoneyTextSize];
    std::size_t size = 1;
    digits[0] = '0';
    if (x == 0.0) {
        std::memcpy(digits + size, "0000", 4);
        size += 4;
    } else {
        const Digits15 sig = SignificantDigits(std::fabs(x));
        const int integerCount = sig.exponent + 1;
        const std::size_t wanted = static_cast<std::size_t>(std::max(integerCount, 1)) + 3;
        std::fill_n(digits + size, wanted, '0');
        // Place digit k of the 15 at its decimal position relative to the point.
        const int firstPlace = integerCount <= 0 ? 1 - integerCount : 0;
        for (int k = 0; k < 15; ++k) {
            const int place = firstPlace + k;
            if (place >= static_cast<int>(wanted)) {
                break;
            }
            digits[size + static_cast<std::size_t>(place)] = sig.digits[k];
        }
        size += wanted;
    }
    const bool roundUp = digits[--size] >= '5';
    if (roundUp) {
        std::size_t i = size;
        while (digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        ++digits[i - 1];
    }
    std::size_t first = 0;
    while (first < size - 3 && digits[first] == '0') {
        ++first;
    }
    bool zero = true;
    for (std::size_t i = first; i < size; ++i) {
        zero = zero && digits[i] == '0';
    }
    const std::string_view head = prefix(x < 0.0 && !zero);

    char text[kMoneyTextSize + 8];
    std::size_t length = head.size();
    std::memcpy(text, head.data(), head.size());
    const std::size_t integerCount = size - 2 - first;
    for (std::size_t i = 0; i < integerCount; ++i) {
        if (i > 0 && (integerCount - i) % 3 == 0) {
            text[length++] = ',';
        }
        text[length++] = digits[first + i];
    }
    text[length++] = '.';
    text[length++] = digits[size - 2];
    text[length++] = digits[size - 1];
    return std::string(text, length);
}

std::string_view CurrencyPrefix(bool negative) {
    return negative ? "$-" : "$";
}

} // namespace

double TextValue(std::string_view text) {
    std::size_t i = 0;
    const auto next = [&]() -> char {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
            ++i;
        }
        return i < text.size() ? text[i] : '\0';
    };
    char c = next();
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        ++i;
        c = next();
    }
    NumberBuffer number;
    bool anyDigit = false;
    bool seenPoint = false;
    while (IsDigit(c) || (c == '.' && !seenPoint)) {
        seenPoint = seenPoint || c == '.';
        anyDigit = anyDigit || c != '.';
        number.Push(c);
        ++i;
        c = next();
    }
    if (!anyDigit) {
        return 0.0;
    }
    const std::size_t mantissaSize = number.View().size();
    long exponent = 0;
    if (IsExponentLetter(c)) {
        ++i;
        c = next();
        bool negativeExponent = false;
        if (c == '+' || c == '-') {
            negativeExponent = c == '-';
            ++i;
            c = next();
        }
        while (IsDigit(c)) {
            // Saturate: any exponent this large already over- or underflows.
            exponent = std::min(exponent * 10 + (c - '0'), 100000000L);
            ++i;
            c = next();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (exponent != 0) {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, exponent);
        number.Push('e');
        for (const char* p = digits; p != written.ptr; ++p) {
            number.Push(*p);
        }
    }
    const std::string_view chars = number.View();
    double value = 0.0;
    if (std::from_chars(chars.data(), chars.data() + chars.size(), value).ec ==
        std::errc::result_out_of_range) {
        value = OutOfRange(chars.substr(0, mantissaSize), exponent);
    }
    return negative ? -value : value;
}

double RoundHalfEven(double x, int decimals) {
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10.0;
    }
    const double scaled = x * scale;
    const double lower = std::floor(scaled);
    const double fraction = scaled - lower;
    double whole = 0.0;
    if (fraction == 0.5) {
        whole = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
    } else {
        whole = std::round(scaled);
    }
    return whole / scale;
}

std::string NumberText(double x) {
    if (!std::isfinite(x)) {
        return {}; // callers treat a value that is not finite as a failure before writing it
    }
    if (x == 0.0) {
        return "0";
    }
    const Digits15 sig = SignificantDigits(std::fabs(x));
    int count = 15;
    while (sig.digits[count - 1] == '0') {
        --count;
    }
    char text[40];
    std::size_t length = 0;
    if (x < 0.0) {
        text[length++] = '-';
    }
    const int e = sig.exponent;
    if (e >= 15 || e < -4) {
        text[length++] = sig.digits[0];
        if (count > 1) {
            text[length++] = '.';
            std::memcpy(text + length, sig.digits + 1, static_cast<std::size_t>(count - 1));
            length += static_cast<std::size_t>(count - 1);
        }
        text[length++] = 'E';
        text[length++] = e < 0 ? '-' : '+';
        const int magnitude = e < 0 ? -e : e;
        if (magnitude < 10) {
            text[length++] = '0';
        }
        length = static_cast<std::size_t>(
            std::to_chars(text + length, text + sizeof text, magnitude).ptr - text);
    } else if (e >= 0) {
        const int integerCount = e + 1;
        for (int k = 0; k < std::max(count, integerCount); ++k) {
            if (k == integerCount) {
                text[length++] = '.';
            }
            text[length++] = k < count ? sig.digits[k] : '0';
        }
    } else {
        text[length++] = '0';
        text[length++] = '.';
        std::fill_n(text + length, -e - 1, '0');
        length += static_cast<std::size_t>(-e - 1);
        std::memcpy(text + length, sig.digits, static_cast<std::size_t>(count));
        length += static_cast<std::size_t>(count);
    }
    return std::string(text, length);
}

std::string CurrencyText(std::string_view t) {
    if (t.empty()) {
        return "$";
    }
    const auto value = StrictNumber(t);
    if (!value) {
        // A text that is no number is left as it stands, like a number format does.
        return "$" + std::string(t);
    }
    return MoneyText(*value, CurrencyPrefix);
}

std::string CurrencyTextOf(double x) {
    if (!std::isfinite(x)) {
        return {};
    }
    // The 15 digits of x are those of NumberText(x), and a text of 15 digits reads back to a
    // double with the same 15 digits, so this is the currency text of the plain text.
    return MoneyText(x, CurrencyPrefix);
}

std::optional<double> StrictNumber(std::string_view text) {
    text = TrimSpaces(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            anyDigit = true;
        } else if (text[i] == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (i < text.size() && IsExponentLetter(text[i])) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t exponentStart = i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        if (i == exponentStart) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    const double value = TextValue(text);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string AmountText(std::string_view cell, bool dollar) {
    const std::string_view trimmed = TrimSpaces(cell);
    std::size_t i = 0;
    bool negative = false;
    bool signSeen = false;
    const auto readSign = [&] {
        if (!signSeen && i < trimmed.size() && (trimmed[i] == '-' || trimmed[i] == '+')) {
            negative = trimmed[i] == '-';
            signSeen = true;
            ++i;
        }
    };
    // Both "-$5.10" and the "$-5.10" of a currency text read as numbers.
    readSign();
    if (i < trimmed.size() && trimmed[i] == '$') {
        ++i;
    }
    readSign();
    std::string plain = negative ? "-" : "";
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (IsDigit(c)) {
            anyDigit = true;
            plain += c;
        } else if (c == ',' && !seenPoint && anyDigit) {
            // group separator: drop it
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            plain += c;
        } else {
            return std::string(cell);
        }
    }
    if (!anyDigit) {
        return std::string(cell);
    }
    const double value = TextValue(plain);
    if (!std::isfinite(value)) {
        return std::string(cell);
    }
    return MoneyText(value, [dollar](bool below) -> std::string_view {
        if (dollar) {
            return below ? "-$" : "$";
        }
        return below ? "-" : "";
    });
}

std::optional<std::int64_t> AmountCents(std::string_view text) {
    std::int64_t whole = 0, fraction = 0;
    int integerDigits = 0, decimals = -1; // -1: no point yet
    // Thousands grouped as the program writes them ("1,000", "12,345.50"): every comma starts a
    // group of exactly three digits, after one to three leading ones.
    int groupDigits = -1; // digits since the last comma; -1 before any
    for (const char c : text) {
        if (c == '.' && decimals < 0) {
            if (groupDigits >= 0 && groupDigits != 3) return std::nullopt;
            decimals = 0;
        } else if (c == ',' && decimals < 0 && integerDigits > 0 &&
                   (groupDigits < 0 ? integerDigits <= 3 : groupDigits == 3)) {
            groupDigits = 0;
        } else if (c >= '0' && c <= '9' && decimals < 0 && integerDigits < 8) {
            whole = whole * 10 + (c - '0');
            ++integerDigits;
            if (groupDigits >= 0) ++groupDigits;
        } else if (c >= '0' && c <= '9' && decimals >= 0 && decimals < 2) {
            fraction = fraction * 10 + (c - '0');
            ++decimals;
        } else {
            return std::nullopt;
        }
    }
    if (integerDigits == 0 && decimals <= 0) return std::nullopt;
    if (decimals < 0 && groupDigits >= 0 && groupDigits != 3) return std::nullopt;
    for (int d = std::max(decimals, 0); d < 2; ++d)
        fraction *= 10;
    return whole * 100 + fraction;
}

} // namespace calc
