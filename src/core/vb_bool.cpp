#include "core/vb_bool.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace nagwick::core {
namespace {

bool EqualsNoCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The number as the runtime's parser leaves it: significant digits, a power
// of ten (or, for hex and octal, bits per digit), and a sign.
struct ParsedNumber {
    std::vector<std::uint8_t> digits;
    int power10 = 0;
    int baseShift = 0;  // 4 for hex, 3 for octal
    bool negative = false;
};

// The runtime keeps at most this many digits; later ones only scale.
constexpr std::size_t kMaxDigits = 1024;
// An exponent beyond this is out of any double's range either way.
constexpr int kExponentCap = 100000;

// Reads a whole number under the U.S. English rules: '-', '+', '.', ',' and
// '$'. nullopt on text that is no number (or hex or octal with too many
// digits, which can't fit anyway).
std::optional<ParsedNumber> ParseNumber(std::string_view text) {
    ParsedNumber n;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    bool leadingPlus = false, leadingMinus = false, currency = false, parens = false;
    bool decimal = false, hexOct = false, hex = false, octal = false, exponent = false;
    bool leadingZero = false, inexact = false;

    // Leading signs, blanks, currency sign, parenthesis, or a decimal point.
    for (;;) {
        const char c = at(i);
        if (c == '.') {
            decimal = true;
            ++i;
            while (at(i) == '0') {
                leadingZero = true;
                --n.power10;
                ++i;
            }
            break;
        }
        if (IsSpace(c)) {
            while (IsSpace(at(i))) ++i;
        } else if (c == ',') {
            return std::nullopt;  // no thousands separator before the first digit
        } else if (c == '+' && !leadingPlus) {
            leadingPlus = true;
            ++i;
        } else if (c == '-' && !leadingMinus) {
            leadingMinus = n.negative = true;
            ++i;
        } else if (c == '$' && !currency) {
            currency = true;
            ++i;
        } else if (c == '(' && !parens) {
            parens = true;
            ++i;
        } else {
            break;
        }
    }

    if (!currency && !decimal && at(i) == '&') {
        const char kind = at(i + 1);
        if (kind == 'H' || kind == 'h') hex = true;
        if (kind == 'O' || kind == 'o') octal = true;
        if (hex || octal) {
            hexOct = true;
            i += 2;
        }
    }
    while (at(i) == '0') {
        leadingZero = true;
        ++i;
    }

    std::size_t digitCount = 0;  // may pass kMaxDigits; only kMaxDigits are kept
    bool inExponent = false, negativeExponent = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c) && inExponent) {
            int value = 0;
            while (IsDigit(at(i))) {
                value = value > kExponentCap ? value : value * 10 + (at(i) - '0');
                ++i;
            }
            n.power10 += negativeExponent ? -value : value;
            inExponent = false;
            --i;
        } else if (IsDigit(c)) {
            if (digitCount >= kMaxDigits && !hexOct) {
                inexact = true;
                n.power10 += decimal ? -1 : 1;
            } else {
                if (octal && (c == '8' || c == '9')) break;
                if (hexOct && digitCount >= kMaxDigits) return std::nullopt;
                if (decimal) --n.power10;
                n.digits.push_back(static_cast<std::uint8_t>(c - '0'));
            }
            ++digitCount;
        } else if (c == ',' && !hexOct) {
            // a thousands separator: allowed anywhere after the first digit
        } else if (c == '.' && !hexOct && !decimal && !exponent) {
            decimal = true;
            if (digitCount == 0) {
                while (at(i + 1) == '0') {
                    leadingZero = true;
                    --n.power10;
                    ++i;
                }
            }
        } else if (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
            if (digitCount >= kMaxDigits) return std::nullopt;
            n.digits.push_back(static_cast<std::uint8_t>((c | 0x20) - 'a' + 10));
            ++digitCount;
        } else if ((c == 'e' || c == 'E') && !hexOct && !currency && !exponent) {
            inExponent = exponent = true;
        } else if (inExponent && c == '+') {
            // an explicit positive exponent
        } else if (inExponent && c == '-') {
            negativeExponent = true;
        } else {
            break;
        }
    }

    if (n.digits.empty() && leadingZero) n.digits.push_back(0);
    if (inExponent) return std::nullopt;  // "1e" or "1e-" without digits

    if (inexact) {
        // Digits past the limit were dropped; the kept ones stand as they are.
    } else if (hex) {
        n.baseShift = 4;
        n.power10 = 0;
    } else if (octal) {
        n.baseShift = 3;
        n.power10 = 0;
    } else {
        while (n.digits.size() > 1 && n.digits.back() == 0) {
            n.digits.pop_back();
            ++n.power10;
        }
    }

    // Trailing separators, blanks, signs, closing parenthesis, currency sign.
    for (;;) {
        const char c = at(i);
        if (c == ',') {
            if (hexOct) break;
            ++i;
        } else if (IsSpace(c)) {
            while (IsSpace(at(i))) ++i;
        } else if (c == '+' && !leadingPlus) {
            ++i;
        } else if (c == '-' && !leadingMinus) {
            n.negative = true;
            ++i;
        } else if (c == ')' && parens) {
            n.negative = true;
            ++i;
        } else if (c == '$' && !hexOct) {
            ++i;
        } else {
            break;
        }
    }

    if (parens && !n.negative) return std::nullopt;  // "(" without ")"
    if (i != text.size()) return std::nullopt;       // every character must be used
    if (n.digits.empty()) return std::nullopt;
    return n;
}

// Zero or not, as the runtime makes a double of the parsed number; nullopt
// on overflow.
std::optional<bool> IsNonZero(const ParsedNumber& n) {
    if (n.baseShift != 0) {
        std::uint64_t value = 0;
        for (std::uint8_t digit : n.digits) {
            if (value > (std::numeric_limits<std::uint64_t>::max() >> n.baseShift) - digit) {
                return std::nullopt;
            }
            value = (value << n.baseShift) + digit;
        }
        // The runtime takes hex and octal as 32-bit numbers: positive up to
        // 2^31 - 1, or negated (in 64 bits) down to -2^31.
        const auto negated = static_cast<std::int64_t>(0 - value);
        const bool fits = value <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) ||
                          negated >= std::numeric_limits<std::int32_t>::min();
        if (!fits) return std::nullopt;
        return value != 0;
    }

    // The runtime's own scaling, in steps of at most ten powers of ten, so
    // that its overflow and underflow limits are the same.
    constexpr double kMax = std::numeric_limits<double>::max();
    constexpr double kMin = std::numeric_limits<double>::min();
    constexpr double kPowers[11] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    double whole = 0.0;
    for (std::uint8_t digit : n.digits) whole = whole * 10.0 + digit;
    int multiply = n.power10 > 0 ? n.power10 : 0;
    int divide = n.power10 < 0 ? -n.power10 : 0;
    while (multiply > 10) {
        if (whole > kMax / kPowers[10]) return std::nullopt;
        whole *= kPowers[10];
        multiply -= 10;
    }
    if (multiply > 0) {
        if (whole > kMax / kPowers[multiply]) return std::nullopt;
        whole *= kPowers[multiply];
    }
    while (divide > 10) {
        if (whole < kMin * kPowers[10] && whole != 0) return false;  // underflow is zero
        whole /= kPowers[10];
        divide -= 10;
    }
    if (divide > 0) {
        if (whole < kMin * kPowers[divide] && whole != 0) return false;
        whole /= kPowers[divide];
    }
    // More digits than a double holds: the runtime would carry on with
    // infinity; it is no number.
    if (!std::isfinite(whole)) return std::nullopt;
    return whole != 0.0;
}

}  // namespace

std::optional<bool> BoolFromText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (EqualsNoCase(text, "true")) return true;
    if (EqualsNoCase(text, "false")) return false;
    if (text == "#TRUE#") return true;
    if (text == "#FALSE#") return false;
    const auto number = ParseNumber(text);
    if (!number) return std::nullopt;
    return IsNonZero(*number);
}

}  // namespace nagwick::core
