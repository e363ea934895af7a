#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

// A number already split into its parts: sign, mantissa digits with the point among them, and
// a decimal exponent. from_chars knows neither "+" nor "D", so the parts are re-assembled.
struct NumberParts {
    bool negative = false;
    std::string mantissa; // digits and at most one "."
    bool anyDigit = false;
    long exponent = 0;
};

double PartsValue(const NumberParts& parts) {
    if (!parts.anyDigit) {
        return 0.0;
    }
    std::string buffer = parts.mantissa;
    if (parts.exponent != 0) {
        buffer += 'e';
        buffer += std::to_string(parts.exponent);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // An overflow or an underflow: tell them apart by the power of ten of the first
        // significant digit.
        const std::string& m = parts.mantissa;
        const auto first = m.find_first_of("123456789");
        if (first == std::string::npos) {
            value = 0.0;
        } else {
            const auto point = std::min(m.find('.'), m.size());
            const long power = first < point ? static_cast<long>(point - first) - 1
                                             : -static_cast<long>(first - point);
            value = power + parts.exponent > 0 ? HUGE_VAL : 0.0;
        }
    }
    return parts.negative ? -value : value;
}

// Digits of |x| to 15 significant figures and the power of ten of the first one.
struct Digits15 {
    char digits[16] = {}; // 15 digits, zero terminated
    int exponent = 0;
};

Digits15 SignificantDigits(double magnitude) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    Digits15 out;
    int count = 0;
    const char* p = buffer;
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (IsDigit(*p)) {
            out.digits[count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), result.ptr, exponent);
    out.exponent = exponent;
    return out;
}

// |x| taken to 15 significant digits, then to two decimals with halves away from zero, its
// integer digits grouped by threes. Sets negative when the rounded value is not zero.
std::string GroupedTwoDecimals(double x, bool& negative) {
    negative = false;
    std::string digits; // integer digits followed by exactly three decimals
    if (x != 0.0) {
        const Digits15 sig = SignificantDigits(std::fabs(x));
        const int integerCount = sig.exponent + 1;
        if (integerCount <= 0) {
            digits.assign(1, '0');
            std::string fraction(static_cast<std::size_t>(-integerCount), '0');
            fraction += sig.digits;
            fraction.resize(3, '0');
            digits += fraction;
        } else {
            digits = sig.digits;
            digits.resize(static_cast<std::size_t>(integerCount) + 3, '0');
        }
    } else {
        digits = "0000";
    }
    const bool roundUp = digits.back() >= '5';
    digits.pop_back();
    if (roundUp) {
        auto i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    const std::string_view integerPart(digits.data(), digits.size() - 2);
    const auto firstSignificant = integerPart.find_first_not_of('0');
    const std::string_view integer = firstSignificant == std::string_view::npos
                                         ? std::string_view("0")
                                         : integerPart.substr(firstSignificant);
    std::string out;
    out.reserve(integer.size() + integer.size() / 3 + 3);
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0) {
            out += ',';
        }
        out += integer[i];
    }
    out += '.';
    out.append(digits, digits.size() - 2, 2);
    negative = x < 0.0 && digits.find_first_not_of('0') != std::string::npos;
    return out;
}

} // namespace

double TextValue(std::string_view text) {
    NumberParts parts;
    std::size_t i = 0;
    const auto next = [&]() -> char {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
            ++i;
        }
        return i < text.size() ? text[i] : '\0';
    };
    char c = next();
    if (c == '+' || c == '-') {
        parts.negative = c == '-';
        ++i;
        c = next();
    }
    bool seenPoint = false;
    while (IsDigit(c) || (c == '.' && !seenPoint)) {
        seenPoint = seenPoint || c == '.';
        parts.anyDigit = parts.anyDigit || c != '.';
        parts.mantissa += c;
        ++i;
        c = next();
    }
    if (parts.anyDigit && IsExponentLetter(c)) {
        ++i;
        c = next();
        bool negativeExponent = false;
        if (c == '+' || c == '-') {
            negativeExponent = c == '-';
            ++i;
            c = next();
        }
        long exponent = 0;
        while (IsDigit(c)) {
            // Saturate: any exponent this large already over- or underflows.
            exponent = std::min(exponent * 10 + (c - '0'), 100000000L);
            ++i;
            c = next();
        }
        parts.exponent = negativeExponent ? -exponent : exponent;
    }
    return PartsValue(parts);
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
    std::string_view digits(sig.digits);
    digits = digits.substr(0, digits.find_last_not_of('0') + 1);
    std::string out;
    if (x < 0.0) {
        out += '-';
    }
    const int e = sig.exponent;
    if (e >= 15 || e < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits.substr(1));
        }
        out += e < 0 ? "E-" : "E+";
        const int magnitude = e < 0 ? -e : e;
        if (magnitude < 10) {
            out += '0';
        }
        out += std::to_string(magnitude);
    } else if (e >= 0) {
        const auto integerCount = static_cast<std::size_t>(e) + 1;
        if (digits.size() <= integerCount) {
            out.append(digits);
            out.append(integerCount - digits.size(), '0');
        } else {
            out.append(digits.substr(0, integerCount));
            out += '.';
            out.append(digits.substr(integerCount));
        }
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out.append(digits);
    }
    return out;
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
    bool negative = false;
    std::string grouped = GroupedTwoDecimals(*value, negative);
    return negative ? "$-" + grouped : "$" + grouped;
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
    bool below = false;
    std::string grouped = GroupedTwoDecimals(value, below);
    std::string out = below ? "-" : "";
    if (dollar) {
        out += '$';
    }
    return out + grouped;
}

} // namespace calc
