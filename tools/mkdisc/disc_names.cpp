#include "disc_names.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kLongestJolietName = 64;  // UCS-2 characters

// Windows refuses these in a name, and Joliet the ';' of its version
// numbers; control characters are refused beside them.
constexpr const char* kForbidden = "<>:\"/\\|?*;";

const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1",   "COM2",    "COM3",  "COM4", "COM5",
                                "COM6", "COM7", "COM8", "COM9", "LPT1",   "LPT2",    "LPT3",  "LPT4", "LPT5",
                                "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$", "CLOCK$"};

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

bool JolietToUtf8(const std::string& recorded, std::string* out)
{
    return Convert("UTF-8", "UTF-16BE", recorded.data(), recorded.size(), out);
}

std::string NameProblem(const std::string& name)
{
    std::string spelled, back;
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
