#include "disc_names.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kLongestJolietName = 64;  // UCS-2 characters

// Windows refuses these in a name, and Joliet the ';' of its version
// numbers; control characters are refused beside them.
constexpr const char* kForbidden = "<>:\"/\\|?*;";

const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1",   "COM2",    "COM3",  "COM4", "COM5",
                                "COM6", "COM7", "COM8", "COM9", "LPT1",   "LPT2",    "LPT3",  "LPT4", "LPT5",
                                "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$", "CLOCK$"};

// The pairs of a base character and a combining mark that compose (NFC) to
// a character code page 932 has: kana and their voiced marks, Ё, Й, ≠.
// A Mac writes names decomposed; Windows and code page 932 spell them
// composed. Only these are composed: a full NFC would also change what
// code page 932 spells as it stands (Å, U+212B, would become U+00C5).
struct Composition {
    char32_t base, mark, composed;
};
const Composition kCompositions[] = {
    {0x003D, 0x0338, 0x2260}, {0x0415, 0x0308, 0x0401}, {0x0418, 0x0306, 0x0419}, {0x0435, 0x0308, 0x0451},
    {0x0438, 0x0306, 0x0439}, {0x304B, 0x3099, 0x304C}, {0x304D, 0x3099, 0x304E}, {0x304F, 0x3099, 0x3050},
    {0x3051, 0x3099, 0x3052}, {0x3053, 0x3099, 0x3054}, {0x3055, 0x3099, 0x3056}, {0x3057, 0x3099, 0x3058},
    {0x3059, 0x3099, 0x305A}, {0x305B, 0x3099, 0x305C}, {0x305D, 0x3099, 0x305E}, {0x305F, 0x3099, 0x3060},
    {0x3061, 0x3099, 0x3062}, {0x3064, 0x3099, 0x3065}, {0x3066, 0x3099, 0x3067}, {0x3068, 0x3099, 0x3069},
    {0x306F, 0x3099, 0x3070}, {0x306F, 0x309A, 0x3071}, {0x3072, 0x3099, 0x3073}, {0x3072, 0x309A, 0x3074},
    {0x3075, 0x3099, 0x3076}, {0x3075, 0x309A, 0x3077}, {0x3078, 0x3099, 0x3079}, {0x3078, 0x309A, 0x307A},
    {0x307B, 0x3099, 0x307C}, {0x307B, 0x309A, 0x307D}, {0x309D, 0x3099, 0x309E}, {0x30A6, 0x3099, 0x30F4},
    {0x30AB, 0x3099, 0x30AC}, {0x30AD, 0x3099, 0x30AE}, {0x30AF, 0x3099, 0x30B0}, {0x30B1, 0x3099, 0x30B2},
    {0x30B3, 0x3099, 0x30B4}, {0x30B5, 0x3099, 0x30B6}, {0x30B7, 0x3099, 0x30B8}, {0x30B9, 0x3099, 0x30BA},
    {0x30BB, 0x3099, 0x30BC}, {0x30BD, 0x3099, 0x30BE}, {0x30BF, 0x3099, 0x30C0}, {0x30C1, 0x3099, 0x30C2},
    {0x30C4, 0x3099, 0x30C5}, {0x30C6, 0x3099, 0x30C7}, {0x30C8, 0x3099, 0x30C9}, {0x30CF, 0x3099, 0x30D0},
    {0x30CF, 0x309A, 0x30D1}, {0x30D2, 0x3099, 0x30D3}, {0x30D2, 0x309A, 0x30D4}, {0x30D5, 0x3099, 0x30D6},
    {0x30D5, 0x309A, 0x30D7}, {0x30D8, 0x3099, 0x30D9}, {0x30D8, 0x309A, 0x30DA}, {0x30DB, 0x3099, 0x30DC},
    {0x30DB, 0x309A, 0x30DD}, {0x30FD, 0x3099, 0x30FE},
};

bool Convert(const char* to, const char* from, const char* input, size_t size, std::string* out)
{
    iconv_t converter = iconv_open(to, from);
    if (converter == (iconv_t)-1)
        return false;
    std::string result(4 * size + 4, '\0');
    char* in = const_cast<char*>(input);
    char* at = &result[0];
    size_t left = size, room = result.size();
    const bool whole = iconv(converter, &in, &left, &at, &room) != (size_t)-1 &&
        iconv(converter, nullptr, nullptr, &at, &room) != (size_t)-1;
    iconv_close(converter);
    if (!whole)
        return false;
    result.resize(result.size() - room);
    *out = result;
    return true;
}

// The length of the UTF-8 sequence at `at`, its code point in `c`; 0 where
// none valid starts there (a byte that starts nothing, a cut or overlong
// sequence, a surrogate, past U+10FFFF).
size_t NextCharacter(const std::string& text, size_t at, char32_t* c)
{
    const unsigned char lead = text[at];
    const size_t trail = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
        : lead >= 0xF0 && lead < 0xF5 ? 3 : 4;
    if (trail == 4 || at + trail >= text.size())
        return 0;
    *c = trail == 0 ? lead : lead & (0x3F >> trail);
    for (size_t i = 1; i <= trail; ++i) {
        const unsigned char next = text[at + i];
        if ((next & 0xC0) != 0x80)
            return 0;
        *c = *c << 6 | (next & 0x3F);
    }
    static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (*c < kLeast[trail] || (*c >= 0xD800 && *c < 0xE000) || *c > 0x10FFFF)
        return 0;
    return trail + 1;
}

// The code points of a UTF-8 text; false if it is not valid UTF-8.
bool DecodeUtf8(const std::string& text, std::u32string* out)
{
    out->clear();
    char32_t c;
    for (size_t at = 0, length; at < text.size(); at += length) {
        if ((length = NextCharacter(text, at, &c)) == 0)
            return false;
        out->push_back(c);
    }
    return true;
}

void EncodeUtf8(char32_t c, std::string* out)
{
    if (c < 0x80) {
        *out += char(c);
        return;
    }
    const int trail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    *out += char(((0xFF00 >> (trail + 1)) & 0xFF) | (c >> (6 * trail)));
    for (int i = trail - 1; i >= 0; --i)
        *out += char(0x80 | ((c >> (6 * i)) & 0x3F));
}

bool HasForbidden(const std::string& name)
{
    return name.find_first_of(kForbidden) != std::string::npos ||
        std::any_of(name.begin(), name.end(), [](char c) { return (unsigned char)c < 0x20; });
}

// CON, nul.dat, "NUL .DAT": Windows opens the device, whatever the
// extension, and drops the spaces before it.
bool IsDevice(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    for (char& c : stem)
        c = char(toupper((unsigned char)c));
    return std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices);
}

}  // namespace

bool Utf8ToCp932(const std::string& text, std::string* out)
{
    return Convert("CP932", "UTF-8", text.data(), text.size(), out);
}

bool Utf16ToCp932(const std::u16string& text, std::string* out)
{
    return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()), 2 * text.size(), out);
}

bool Utf16ToUtf8(const std::u16string& text, std::string* out)
{
    return Convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(text.data()), 2 * text.size(), out);
}

bool MarkedUtf16ToUtf8(const std::string& bytes, std::string* out)
{
    // iconv's UTF-16 reads the mark and drops it.
    const bool marked = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
    return marked && Convert("UTF-8", "UTF-16", bytes.data(), bytes.size() & ~size_t(1), out);
}

bool JolietToUtf8(const std::string& recorded, std::string* out)
{
    return Convert("UTF-8", "UTF-16BE", recorded.data(), recorded.size(), out);
}

bool IsUtf8(const std::string& text)
{
    std::u32string ignored;
    return DecodeUtf8(text, &ignored);
}

std::string Composed(const std::string& name)
{
    std::u32string characters;
    if (!DecodeUtf8(name, &characters))
        return name;
    std::string composed;
    for (size_t i = 0; i < characters.size(); ++i) {
        char32_t c = characters[i];
        if (i + 1 < characters.size())
            for (const Composition& pair : kCompositions)
                if (pair.base == c && pair.mark == characters[i + 1]) {
                    c = pair.composed;
                    ++i;
                    break;
                }
        EncodeUtf8(c, &composed);
    }
    return composed;
}

std::string Printable(const std::string& bytes)
{
    std::string shown;
    char32_t c = 0;
    for (size_t at = 0, length; at < bytes.size(); at += length) {
        length = NextCharacter(bytes, at, &c);
        // Control characters (C0, C1, and those that turn the direction of
        // text) would act on the terminal, and a backslash would read as an
        // escape.
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200E && c <= 0x200F) ||
            (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        if (length > 0 && !control && c != '\\') {
            shown += bytes.substr(at, length);
            continue;
        }
        char escaped[8];
        snprintf(escaped, sizeof escaped, "\\x%02X", (unsigned char)bytes[at]);
        shown += escaped;
        length = 1;
    }
    return shown;
}

std::string NameProblem(const std::string& name)
{
    std::string spelled, back;
    if (!IsUtf8(name)) {
        std::string windows;
        const bool readable = Convert("UTF-8", "CP932", name.data(), name.size(), &windows);
        return "is not UTF-8" + (readable ? " (read as code page 932, as a Windows archive keeps names, it is " + windows + ")" : std::string()) +
            ": name it in UTF-8 (convmv -f cp932 -t utf-8 --notest NAME renames one from such an archive)";
    }
    if (!Utf8ToCp932(name, &spelled))
        return "cannot be written in code page 932, as Windows shows it";
    if (!Convert("UTF-8", "CP932", spelled.data(), spelled.size(), &back) || back != name)
        return "comes back from code page 932 as " + back + ": Windows would show and open that name instead";
    if (Utf16Length(name) > kLongestJolietName)
        return "is longer than the 64 characters a Joliet name holds";
    if (HasForbidden(name))
        return "holds a character Windows does not allow in a name (< > : \" \\ | ? * ; or a control character)";
    if (name.back() == '.' || name.back() == ' ')
        return "ends in a dot or a space, which Windows drops";
    if (IsDevice(name))
        return "is a device to Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, CLOCK$, with or "
               "without an extension)";
    return "";
}

std::wstring CaseFolded(const std::string& name)
{
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    std::string wide;
    Convert("WCHAR_T", "UTF-8", name.data(), name.size(), &wide);
    std::wstring folded(wide.size() / sizeof(wchar_t), L'\0');
    memcpy(&folded[0], wide.data(), wide.size());
    for (wchar_t& c : folded)
        c = wchar_t(unicode ? towupper_l(wint_t(c), unicode) : towupper(wint_t(c)));
    return folded;
}

size_t Utf16Length(const std::string& utf8)
{
    size_t units = 0;
    for (unsigned char c : utf8)
        units += (c & 0xC0) != 0x80 ? 1 + (c >= 0xF0) : 0;  // four-byte sequences take a surrogate pair
    return units;
}
