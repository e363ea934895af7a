#pragma once

namespace loan {

// The capital of one code point under Unicode's full mapping, in up to three code points
// ("ß" becomes "SS"); returns how many it wrote into out. Code points without a capital
// come back as they are.
int UnicodeUpper(char32_t c, char32_t out[3]);

} // namespace loan
