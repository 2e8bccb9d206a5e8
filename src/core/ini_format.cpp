#include "core/ini_format.h"

#include <cstdint>
#include <type_traits>

namespace nagwick::core {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// ---- Encoding -------------------------------------------------------------

enum class Encoding { Bytes, Utf16Le, Utf16Be };

struct Layout {
    Encoding encoding = Encoding::Bytes;
    std::size_t bodyOffset = 0;  // bytes of the byte-order mark
};

Layout DetectLayout(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return {Encoding::Bytes, 3};
    if (bytes.substr(0, 2) == "\xFF\xFE") return {Encoding::Utf16Le, 2};
    if (bytes.substr(0, 2) == "\xFE\xFF") return {Encoding::Utf16Be, 2};
    return {};
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// Names and the values written are ASCII: each byte becomes a code unit.
std::u16string Widen(std::string_view text) { return {text.begin(), text.end()}; }

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const int high = bigEndian ? 0 : 1;
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i + 1 - high]) |
                                         (static_cast<unsigned char>(bytes[2 * i + high]) << 8));
    }
    return units;
}

std::string EncodeUtf16(std::u16string_view units, bool bigEndian) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// ---- Lines and names ------------------------------------------------------

template <typename C>
std::uint32_t Code(C c) {
    return static_cast<std::make_unsigned_t<C>>(c);
}

// The blanks that the profile functions drop: tab to CR, ^Z (an old DOS
// end-of-file mark) and space.
template <typename C>
bool IsBlank(C c) {
    const std::uint32_t u = Code(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

template <typename C>
bool IsLineBreak(C c) {
    return c == C('\r') || c == C('\n');
}

template <typename C>
std::basic_string_view<C> TrimBlanks(std::basic_string_view<C> text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Names and values end at a NUL, as they do for the system's C-string reader.
template <typename C>
std::basic_string_view<C> CutAtNul(std::basic_string_view<C> text) {
    return text.substr(0, text.find(C('\0')));
}

template <typename C>
bool SameName(std::basic_string_view<C> a, std::basic_string_view<C> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint32_t x = Code(a[i]), y = Code(b[i]);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

struct Line {
    std::size_t begin = 0;  // first character
    std::size_t end = 0;    // just before the line end
    std::size_t next = 0;   // just after the line end (== end on the last, unended line)
};

template <typename C>
Line LineAt(std::basic_string_view<C> text, std::size_t pos) {
    Line line{pos, pos, pos};
    while (line.end < text.size() && !IsLineBreak(text[line.end])) ++line.end;
    line.next = line.end;
    if (line.next < text.size()) {
        const bool crlf = text[line.next] == C('\r') && line.next + 1 < text.size() &&
                          text[line.next + 1] == C('\n');
        line.next += crlf ? 2 : 1;
    }
    return line;
}

// A part of `text`, in offsets of `text`.
struct Span {
    std::size_t begin = 0, end = 0;
};

// The name of a section header line ("[name]" plus anything after the last
// ']'), or nothing when the trimmed line is no header.
template <typename C>
std::optional<Span> SectionName(std::basic_string_view<C> text, Span trimmed) {
    if (text[trimmed.begin] != C('[')) return std::nullopt;
    const auto inner = text.substr(trimmed.begin + 1, trimmed.end - trimmed.begin - 1);
    const std::size_t close = inner.rfind(C(']'));
    if (close == npos) return std::nullopt;
    const auto name = TrimBlanks(inner.substr(0, close));
    const std::size_t begin = name.empty() ? trimmed.begin + 1
                                           : static_cast<std::size_t>(name.data() - text.data());
    return Span{begin, begin + name.size()};
}

struct KeyLine {
    Line line;
    Span name;                   // trimmed
    std::size_t equals = npos;   // npos when the line has no '='
    Span value;                  // trimmed; empty without '='
};

template <typename C>
KeyLine ParseKeyLine(std::basic_string_view<C> text, const Line& line, Span trimmed) {
    KeyLine key{line, trimmed, npos, {trimmed.end, trimmed.end}};
    const auto body = text.substr(trimmed.begin, trimmed.end - trimmed.begin);
    const std::size_t equals = body.find(C('='));
    if (equals == npos) return key;
    key.equals = trimmed.begin + equals;
    key.name.end = key.equals;
    while (key.name.end > key.name.begin && IsBlank(text[key.name.end - 1])) --key.name.end;
    key.value.begin = key.equals + 1;
    while (key.value.begin < trimmed.end && IsBlank(text[key.value.begin])) ++key.value.begin;
    return key;
}

// What the file holds for one section and key.
struct Scan {
    bool sectionFound = false;
    std::size_t sectionEnd = 0;   // after the line end of the section's last non-blank line
    bool sectionEndBroken = true; // that line has a line end
    std::optional<KeyLine> key;   // the first line naming the key
};

template <typename C>
Scan ScanFor(std::basic_string_view<C> text, std::basic_string_view<C> section,
             std::basic_string_view<C> key) {
    Scan scan;
    // Lines before the first header form a section without a name.
    bool inSection = section.empty();
    scan.sectionFound = inSection;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const auto content = TrimBlanks(text.substr(line.begin, line.end - line.begin));
        if (content.empty()) continue;
        const std::size_t begin = static_cast<std::size_t>(content.data() - text.data());
        const Span trimmed{begin, begin + content.size()};
        if (const auto name = SectionName(text, trimmed)) {
            if (inSection) break;  // only the first matching section counts
            inSection = SameName(CutAtNul(text.substr(name->begin, name->end - name->begin)), section);
            if (!inSection) continue;
            scan.sectionFound = true;
        } else if (!inSection) {
            continue;
        } else {
            const KeyLine keyLine = ParseKeyLine(text, line, trimmed);
            const auto keyName = text.substr(keyLine.name.begin, keyLine.name.end - keyLine.name.begin);
            if (SameName(CutAtNul(keyName), key)) {
                scan.key = keyLine;
                break;
            }
        }
        scan.sectionEnd = line.next;
        scan.sectionEndBroken = line.next > line.end;
    }
    return scan;
}

// ---- Reading and editing, for either code unit ----------------------------

template <typename C>
std::optional<std::basic_string<C>> FindIn(std::basic_string_view<C> text,
                                           std::basic_string_view<C> section,
                                           std::basic_string_view<C> key) {
    const Scan scan = ScanFor(text, section, key);
    if (!scan.key || scan.key->equals == npos) return std::nullopt;
    const Span value = scan.key->value;
    return std::basic_string<C>(CutAtNul(text.substr(value.begin, value.end - value.begin)));
}

template <typename C>
std::basic_string<C> LineEndOf(std::basic_string_view<C> text) {
    const std::size_t at = text.find_first_of(std::basic_string<C>{C('\r'), C('\n')});
    if (at == npos) return {C('\r'), C('\n')};
    if (text[at] == C('\n')) return {C('\n')};
    if (at + 1 < text.size() && text[at + 1] == C('\n')) return {C('\r'), C('\n')};
    return {C('\r')};
}

template <typename C>
std::basic_string<C> EditIn(std::basic_string_view<C> text, std::basic_string_view<C> section,
                            std::basic_string_view<C> key, std::basic_string_view<C> value) {
    const Scan scan = ScanFor(text, section, key);
    const std::basic_string<C> eol = LineEndOf(text);
    const std::basic_string<C> keyLine = std::basic_string<C>(key) + C('=') + std::basic_string<C>(value) + eol;
    std::basic_string<C> result(text);
    if (scan.key && scan.key->equals != npos) {
        result.replace(scan.key->value.begin, scan.key->value.end - scan.key->value.begin, value);
    } else if (scan.key) {
        // "key" alone on its line: give it its value.
        result.insert(scan.key->name.end, std::basic_string<C>(1, C('=')) + std::basic_string<C>(value));
    } else if (scan.sectionFound) {
        result.insert(scan.sectionEnd, (scan.sectionEndBroken ? std::basic_string<C>() : eol) + keyLine);
    } else {
        if (!text.empty() && !IsLineBreak(text.back())) result += eol;
        result += C('[');
        result += section;
        result += C(']');
        result += eol;
        result += keyLine;
    }
    return result;
}

// `value` without one pair of matching quotes (' or ") around it.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view fileBytes, std::string_view section,
                                            std::string_view key) {
    const Layout layout = DetectLayout(fileBytes);
    const std::string_view body = fileBytes.substr(layout.bodyOffset);
    std::optional<std::string> value;
    if (layout.encoding != Encoding::Bytes) {
        const std::u16string units = DecodeUtf16(body, layout.encoding == Encoding::Utf16Be);
        const auto found = FindIn<char16_t>(units, Widen(section),
                                            Widen(key));
        if (found) value = Utf16ToUtf8(*found);
    } else {
        value = FindIn<char>(body, section, key);
    }
    if (!value) return std::nullopt;
    return std::string(Unquote(*value));
}

std::string SetProfileValue(std::string_view fileBytes, std::string_view section,
                            std::string_view key, std::string_view value) {
    const Layout layout = DetectLayout(fileBytes);
    const std::string_view mark = fileBytes.substr(0, layout.bodyOffset);
    const std::string_view body = fileBytes.substr(layout.bodyOffset);
    if (layout.encoding != Encoding::Bytes) {
        const bool bigEndian = layout.encoding == Encoding::Utf16Be;
        const std::u16string units = DecodeUtf16(body, bigEndian);
        const std::u16string edited =
            EditIn<char16_t>(units, Widen(section),
                             Widen(key), Widen(value));
        // An odd last byte is no whole character; it stays where it was.
        const std::string_view oddByte = body.substr(units.size() * 2);
        return std::string(mark) + EncodeUtf16(edited, bigEndian) + std::string(oddByte);
    }
    return std::string(mark) + EditIn<char>(body, section, key, value);
}

std::string TruncateChars(std::string_view text, std::size_t maxChars) {
    // A character is a lead byte with the continuation bytes it calls for;
    // any other byte (a stray continuation byte among them) is one by itself,
    // so no value grows past four bytes a character.
    std::size_t i = 0;
    for (std::size_t chars = 0; chars < maxChars && i < text.size(); ++chars) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        const std::size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        for (std::size_t k = 0; k < more && i < text.size() &&
                                (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
             ++k) {
            ++i;
        }
    }
    return std::string(text.substr(0, i));
}

}  // namespace nagwick::core
