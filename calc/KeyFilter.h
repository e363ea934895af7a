#pragma once

#include <functional>
#include <string_view>

namespace calc {

struct KeyRule {
    int minimum = 0;
    int maximum = 0;
    bool decimalAllowed = false;
};

// The typing rule of entry field 0..7. Fields 4 and 7 take their maximum from the principal
// text: 99999999 while it is empty, else its value rounded half-even to a whole number.
KeyRule KeyRuleFor(int index, std::u16string_view principalText);

// The character code to insert (key itself) or 0 to drop it, for a character typed into a field
// holding text with the caret at caret and selectionLength characters selected.
// Digits pass when the resulting text's value lies within the rule; "." once when allowed;
// backspace (8) always; everything else is dropped.
int FilterKey(std::u16string_view text, int caret, int selectionLength, int key,
              const KeyRule& rule);

// Dollars and cents, as an amount of money of the program's own is typed (the schedule's extra
// payment): up to 99999999.99. The key code or 0, as FilterKey: a digit or "." passes when the
// text still has at most eight digits before one point and two after it; backspace always;
// everything else is dropped.
int FilterAmountKey(std::u16string_view text, int caret, int selectionLength, int key);

// Whether key typed into text (caret, selectionLength as for FilterKey) is taken.
using TypingRule =
    std::function<bool(std::u16string_view text, int caret, int selectionLength, int key)>;

// Whether pasting pasted there is taken: only when typing it character by character at the same
// place would have taken every character (typed, and never more than maxLength characters).
// Control characters type nothing, so a text holding one is refused, as is an empty one.
bool PasteAccepted(std::u16string_view text, int caret, int selectionLength,
                   std::u16string_view pasted, const TypingRule& typed, int maxLength);
// The same for a field of the loan details dialog (FilterKey with rule).
bool PasteAccepted(std::u16string_view text, int caret, int selectionLength,
                   std::u16string_view pasted, const KeyRule& rule, int maxLength);

} // namespace calc
