#pragma once

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

// Whether pasting pasted there is taken: only when typing it character by character at the same
// place would have taken every character (FilterKey, and never more than maxLength characters).
// Control characters type nothing, so a text holding one is refused, as is an empty one.
bool PasteAccepted(std::u16string_view text, int caret, int selectionLength,
                   std::u16string_view pasted, const KeyRule& rule, int maxLength);

} // namespace calc
