#include "KeyFilter.h"

#include "NumberText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace calc {

namespace {

constexpr int kLargestAmount = 99999999;
constexpr int kAmountDigits = 8, kAmountDecimals = 2;
constexpr int kBackspace = 8;

// Only ASCII can take part in a number; anything else just ends the reading.
std::string Narrow(std::u16string_view text) {
    std::string out(text.size(), '?');
    std::transform(text.begin(), text.end(), out.begin(),
                   [](char16_t c) { return c < 0x80 ? static_cast<char>(c) : '?'; });
    return out;
}

int WholePrincipal(std::u16string_view principalText) {
    if (principalText.empty()) {
        return kLargestAmount;
    }
    // A principal that is no number (".") reads as 0; one beyond 32 bits is held at the limit.
    const double whole = RoundHalfEven(TextValue(Narrow(principalText)), 0);
    if (whole >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (whole <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(whole);
}

// The text once key is typed over the selection; caret and selection are held to the text.
std::u16string TypedText(std::u16string_view text, int caret, int selectionLength, int key) {
    const auto size = static_cast<long>(text.size());
    const long start = std::clamp<long>(caret, 0, size);
    const long end = std::clamp<long>(start + std::max(selectionLength, 0), start, size);
    std::u16string typed(text.substr(0, static_cast<std::size_t>(start)));
    typed += static_cast<char16_t>(key);
    typed += text.substr(static_cast<std::size_t>(end));
    return typed;
}

// Dollars and cents as an extra payment is read, or the start of one: "", "." and "12." too.
bool IsAmountText(std::u16string_view text) {
    int digits = 0, decimals = -1; // -1: no point yet
    for (const char16_t c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        if (c == u'.' && decimals < 0) {
            decimals = 0;
        } else if (digit && decimals < 0) {
            if (++digits > kAmountDigits) return false;
        } else if (digit) {
            if (++decimals > kAmountDecimals) return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

KeyRule KeyRuleFor(int index, std::u16string_view principalText) {
    switch (index) {
    case 0:
        return {0, kLargestAmount, true};
    case 1:
        return {1, 100, false};
    case 2:
    case 3:
    case 5:
    case 6:
        return {0, 100, true};
    case 4:
    case 7:
        return {0, WholePrincipal(principalText), true};
    default:
        return {}; // the loan code has no rule; FilterKey is not used for it
    }
}

int FilterKey(std::u16string_view text, int caret, int selectionLength, int key,
              const KeyRule& rule) {
    if (key < '0' || key > '9') {
        if (key == '.') {
            return rule.decimalAllowed && text.find(u'.') == std::u16string_view::npos ? key : 0;
        }
        return key == kBackspace ? key : 0;
    }

    const std::u16string typed = TypedText(text, caret, selectionLength, key);

    // Through the shown text and back, so only 15 significant digits count.
    const double typedValue = TextValue(Narrow(typed));
    if (!std::isfinite(typedValue)) {
        return 0;
    }
    const double value = TextValue(NumberText(typedValue));
    return value >= rule.minimum && value <= rule.maximum ? key : 0;
}

int FilterAmountKey(std::u16string_view text, int caret, int selectionLength, int key) {
    if (key == kBackspace) return key;
    if ((key < '0' || key > '9') && key != '.') return 0;
    return IsAmountText(TypedText(text, caret, selectionLength, key)) ? key : 0;
}

bool PasteAccepted(std::u16string_view text, int caret, int selectionLength,
                   std::u16string_view pasted, const TypingRule& typed, int maxLength) {
    if (pasted.empty()) {
        return false;
    }
    std::u16string field(text);
    auto start =
        static_cast<std::size_t>(std::clamp<long>(caret, 0, static_cast<long>(field.size())));
    auto selected = static_cast<std::size_t>(
        std::clamp<long>(selectionLength, 0, static_cast<long>(field.size() - start)));
    for (const char16_t c : pasted) {
        if (c < 0x20 || !typed(field, static_cast<int>(start), static_cast<int>(selected), c)) {
            return false;
        }
        field.replace(start, selected, 1, c);
        if (field.size() > static_cast<std::size_t>(std::max(maxLength, 0))) {
            return false;
        }
        ++start;
        selected = 0;
    }
    return true;
}

bool PasteAccepted(std::u16string_view text, int caret, int selectionLength,
                   std::u16string_view pasted, const KeyRule& rule, int maxLength) {
    const TypingRule typed = [&rule](std::u16string_view now, int at, int selected, int key) {
        return FilterKey(now, at, selected, key, rule) != 0;
    };
    return PasteAccepted(text, caret, selectionLength, pasted, typed, maxLength);
}

} // namespace calc
