// Every resource of both products, in both bitnesses, read from the built
// program files loaded as data and compared byte for byte with what they
// must hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../picture/backcg.h"
#include "support/files.h"
#include "support/products.h"
#include "windows_text.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::wstring Wide(const char* cp932)
{
    wchar_t text[512];
    const int length = MultiByteToWideChar(932, 0, cp932, -1, text, 512);
    return std::wstring(text, length > 0 ? length - 1 : 0);
}

// Little-endian writers for the expected bytes.
void Put16(Bytes& out, uint32_t value) { out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8)}); }
void Put32(Bytes& out, uint32_t value) { Put16(out, value & 0xFFFF), Put16(out, value >> 16); }
void PutText(Bytes& out, const std::wstring& text)
{
    for (wchar_t c : text)
        Put16(out, c);
    Put16(out, 0);
}
void Align4(Bytes& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

std::string Hex(const Bytes& bytes, size_t from, size_t count)
{
    std::string text;
    for (size_t i = from; i < from + count && i < bytes.size(); ++i) {
        char byte[4];
        snprintf(byte, sizeof byte, "%02X ", bytes[i]);
        text += byte;
    }
    return text;
}

// Equal bytes, or where they first differ.
::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected)
{
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    if (at == actual.size() && at == expected.size())
        return ::testing::AssertionSuccess();
    const size_t from = at < 8 ? 0 : at - 8;
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at " << at << "\n  actual:   " << Hex(actual, from, 24)
                                         << "\n  expected: " << Hex(expected, from, 24);
}

struct Control {
    uint32_t style;
    int16_t x, y, cx, cy;
    uint16_t id;
    uint16_t classAtom;  // 0x80 button, 0x81 edit, 0x82 static
    const char* text;
};

// A standard dialog template: no menu, no class, no caption, no font.
Bytes DialogTemplate(uint32_t style, int16_t x, int16_t y, int16_t cx, int16_t cy,
                     std::initializer_list<Control> controls)
{
    Bytes out;
    Put32(out, style);
    Put32(out, 0);
    Put16(out, uint32_t(controls.size()));
    for (int16_t value : {x, y, cx, cy})
        Put16(out, uint16_t(value));
    Put16(out, 0), Put16(out, 0), Put16(out, 0);  // menu, class, caption
    for (const Control& control : controls) {
        Align4(out);
        Put32(out, control.style);
        Put32(out, 0);
        for (int16_t value : {control.x, control.y, control.cx, control.cy})
            Put16(out, uint16_t(value));
        Put16(out, control.id);
        Put16(out, 0xFFFF), Put16(out, control.classAtom);
        PutText(out, Wide(control.text));
        Put16(out, 0);  // no creation data
    }
    return out;
}

const Bytes kMainDialog = DialogTemplate(0x90C80084, 8, 14, 232, 160,
                                         {{0x50010001, 8, 136, 56, 16, 100, 0x80, "プレイ(&P)"},
                                          {0x50010000, 72, 136, 88, 16, 200, 0x80, "インストール(&I)"},
                                          {0x50010000, 168, 136, 56, 16, 300, 0x80, "終了(&X)"}});
const Bytes kSelectDialog =
    DialogTemplate(0x90440084, 18, 14, 184, 81,
                   {{0x50810000, 8, 40, 168, 10, 401, 0x81, ""},
                    {0x50010001, 8, 58, 80, 16, 400, 0x80, "インストール開始(&G)"},
                    {0x50010000, 96, 58, 80, 16, 402, 0x80, "中止(&S)"},
                    {0x50020000, 8, 8, 168, 8, 0xFFFF, 0x82, "インストールディレクトリを指定してください"},
                    {0x50020000, 8, 24, 168, 8, 500, 0x82, ""}});
const Bytes kInstallDialog = DialogTemplate(0x90440084, 27, 51, 192, 72,
                                            {{0x50010000, 64, 48, 64, 16, 402, 0x80, "中止(&S)"},
                                             {0x50020001, 64, 8, 64, 8, 0xFFFF, 0x82, "インストール中"},
                                             {0x50000007, 288, 108, 160, 12, 0xFFFF, 0x82, ""},
                                             {0x50000004, 8, 24, 176, 16, 600, 0x82, ""}});

struct Build {
    const Product* product;
    const char* bitness;
};

class ResourcesTest : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override
    {
        path_ = ExeDir() + "\\..\\" + GetParam().bitness + "\\" + product().exe;
        module_ = LoadLibraryExA(path_.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module_) << "cannot load " << path_;
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    const Product& product() const { return *GetParam().product; }

    // The bytes of a resource in the neutral language; empty if missing.
    Bytes Resource(LPCSTR type, LPCSTR name) const
    {
        HRSRC found = FindResourceExA(module_, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        if (!found)
            return Bytes();
        const uint8_t* bytes = (const uint8_t*)LockResource(LoadResource(module_, found));
        return Bytes(bytes, bytes + SizeofResource(module_, found));
    }

    static Bytes FileBytes(const std::string& path)
    {
        const std::string bytes = ReadBytes(path);
        return Bytes(bytes.begin(), bytes.end());
    }

    std::string path_;
    HMODULE module_ = NULL;
};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    ((std::vector<std::string>*)list)
        ->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string((uintptr_t)name) : std::string(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list)
{
    ((std::vector<WORD>*)list)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list)
{
    ((std::vector<uintptr_t>*)list)->push_back(IS_INTRESOURCE(type) ? (uintptr_t)type : 0);
    return TRUE;
}

TEST_P(ResourcesTest, HoldsExactlyTheSpecifiedResourcesInTheNeutralLanguage)
{
    std::vector<uintptr_t> types;
    EnumResourceTypesA(module_, CollectType, (LONG_PTR)&types);
    EXPECT_EQ(types,
              (std::vector<uintptr_t>{3, 5, 6, 10, 14, 16}));  // icon, dialog, string, rcdata, group icon, version

    const struct {
        LPCSTR type;
        std::vector<std::string> names;
    } expected[] = {
        {RT_ICON, {"#1"}},         {RT_DIALOG, {"DLG_INST", "DLG_MAIN", "DLG_SELECT"}},
        {RT_STRING, {"#1"}},       {RT_RCDATA, {"BACKCG"}},
        {RT_GROUP_ICON, {"ICON"}}, {RT_VERSION, {"#1"}},
    };
    for (const auto& type : expected) {
        std::vector<std::string> names;
        EnumResourceNamesA(module_, type.type, CollectName, (LONG_PTR)&names);
        EXPECT_EQ(names, type.names) << "type " << (uintptr_t)type.type;
        for (const std::string& name : names) {
            std::vector<WORD> languages;
            LPCSTR id = name[0] == '#' ? MAKEINTRESOURCEA(std::stoi(name.substr(1))) : name.c_str();
            EnumResourceLanguagesA(module_, type.type, id, CollectLanguage, (LONG_PTR)&languages);
            EXPECT_EQ(languages, std::vector<WORD>{0}) << name;
        }
    }
}

TEST_P(ResourcesTest, StringTableHoldsTitleInstallPathAndSourceDirectory)
{
    Bytes expected;
    Put16(expected, 0);  // id 0
    for (const char* text : {product().title, product().installPath, "."}) {
        const std::wstring wide = Wide(text);
        Put16(expected, uint32_t(wide.size()));
        for (wchar_t c : wide)
            Put16(expected, c);
    }
    for (int id = 4; id < 16; ++id)
        Put16(expected, 0);
    EXPECT_TRUE(SameBytes(Resource(RT_STRING, MAKEINTRESOURCEA(1)), expected));

    char text[260];
    ASSERT_GT(LoadStringA(module_, 1, text, sizeof text), 0);
    EXPECT_EQ(ShowBytes(text), ShowBytes(product().title));
    EXPECT_EQ(strlen(text), product().title == kQ3.title ? 36u : 38u);
    ASSERT_GT(LoadStringA(module_, 2, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), product().installPath);
    ASSERT_GT(LoadStringA(module_, 3, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), ".");
}

TEST_P(ResourcesTest, DialogTemplatesAreTheSharedOnesByteForByte)
{
    EXPECT_TRUE(SameBytes(Resource(RT_DIALOG, "DLG_MAIN"), kMainDialog));
    EXPECT_TRUE(SameBytes(Resource(RT_DIALOG, "DLG_SELECT"), kSelectDialog));
    EXPECT_TRUE(SameBytes(Resource(RT_DIALOG, "DLG_INST"), kInstallDialog));
}

TEST_P(ResourcesTest, PictureIsTheProductsWellFormedBackcg)
{
    const Bytes picture = Resource(RT_RCDATA, "BACKCG");
    EXPECT_EQ(picture.size(), product().title == kQ3.title ? 130431u : 161661u);
    EXPECT_TRUE(SameBytes(picture, FileBytes(ExeDir() + "\\..\\..\\resources\\" + product().name + "\\backcg.bin")));
    BackcgPicture layout;
    const BackcgCheck check = CheckBackcg(picture.data(), picture.size(), &layout);
    ASSERT_EQ(check.status, BackcgStatus::Ok);
    EXPECT_EQ(check.offset, picture.size()) << "the stream must end at the end of the resource";
    EXPECT_EQ(layout.width, 580);
    EXPECT_EQ(layout.height, 440);
}

TEST_P(ResourcesTest, IconGroupHoldsOne32x32SixteenColourImage)
{
    Bytes group;
    Put16(group, 0), Put16(group, 1), Put16(group, 1);                     // reserved, icon, one entry
    group.insert(group.end(), {32, 32, 16, 0});                            // width, height, colours, reserved
    Put16(group, 1), Put16(group, 4), Put32(group, 744), Put16(group, 1);  // planes, bits, bytes, id
    EXPECT_TRUE(SameBytes(Resource(RT_GROUP_ICON, "ICON"), group));

    const Bytes image = Resource(RT_ICON, MAKEINTRESOURCEA(1));
    ASSERT_EQ(image.size(), 744u);
    BITMAPINFOHEADER header;
    memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);  // the colour image and its mask
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 4);
    const std::string icon = ReadBytes(ExeDir() + "\\..\\..\\resources\\" + product().name + "\\icon.ico");
    ASSERT_EQ(icon.size(), 22u + 744u);
    EXPECT_EQ(0, memcmp(icon.data() + 22, image.data(), 744)) << "the image differs from the product's icon";
}

// One node of a version block: key, value bytes and children.
struct VersionNode {
    std::wstring key;
    Bytes value;
    uint16_t type = 0;
    std::vector<VersionNode> children;
};

VersionNode ParseVersion(const uint8_t* at, size_t* used)
{
    VersionNode node;
    uint16_t length, valueLength;
    memcpy(&length, at, 2);
    memcpy(&valueLength, at + 2, 2);
    memcpy(&node.type, at + 4, 2);
    size_t offset = 6;
    for (uint16_t c; memcpy(&c, at + offset, 2), offset += 2, c != 0;)
        node.key += wchar_t(c);
    offset = (offset + 3) & ~size_t(3);
    const size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
    node.value.assign(at + offset, at + offset + valueBytes);
    offset = (offset + valueBytes + 3) & ~size_t(3);
    while (offset < length) {
        size_t child = 0;
        node.children.push_back(ParseVersion(at + offset, &child));
        offset = (offset + child + 3) & ~size_t(3);
    }
    *used = length;
    return node;
}

Bytes TextValue(const char* cp932)
{
    Bytes out;
    PutText(out, Wide(cp932));
    return out;
}

TEST_P(ResourcesTest, VersionBlockHasItsFixedPartStringsAndTranslation)
{
    const Bytes block = Resource(RT_VERSION, MAKEINTRESOURCEA(1));
    ASSERT_GT(block.size(), 92u);
    size_t used = 0;
    const VersionNode root = ParseVersion(block.data(), &used);
    EXPECT_EQ(used, block.size());
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");

    Bytes fixed;
    for (uint32_t field :
         {0xFEEF04BDu, 0x00010000u, 0x00010000u, 0u, 0x00010000u, 0u, 0u, 0u, 0x00040004u, 1u, 0u, 0u, 0u})
        Put32(fixed, field);
    EXPECT_EQ(root.value, fixed);

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& strings = root.children[0];
    EXPECT_EQ(strings.key, L"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    EXPECT_EQ(strings.children[0].key, L"040904E4");
    const std::vector<std::pair<std::wstring, const char*>> values = {
        {L"CompanyName", "TOVAK"},    {L"FileDescription", product().description}, {L"FileVersion", "1.00"},
        {L"InternalName", "Install"}, {L"OriginalFilename", product().exe},
    };
    ASSERT_EQ(strings.children[0].children.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const VersionNode& value = strings.children[0].children[i];
        EXPECT_EQ(value.key, values[i].first);
        EXPECT_EQ(value.type, 1);
        EXPECT_EQ(value.value, TextValue(values[i].second)) << i;
    }

    const VersionNode& variables = root.children[1];
    EXPECT_EQ(variables.key, L"VarFileInfo");
    ASSERT_EQ(variables.children.size(), 1u);
    EXPECT_EQ(variables.children[0].key, L"Translation");
    EXPECT_EQ(variables.children[0].value, (Bytes{0x11, 0x04, 0xA4, 0x03}));  // 0x0411, code page 932
}

TEST_P(ResourcesTest, ExportsTheDialogProceduresByName)
{
    // The export directory of the image file.
    const std::string file = ReadBytes(path_);
    ASSERT_GT(file.size(), 0x400u);
    const uint8_t* base = (const uint8_t*)file.data();
    const IMAGE_NT_HEADERS32* nt = (const IMAGE_NT_HEADERS32*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    const bool wide = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    EXPECT_EQ(wide, std::string(GetParam().bitness) == "win64");
    const IMAGE_DATA_DIRECTORY exports = wide
        ? ((const IMAGE_NT_HEADERS64*)nt)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT]
        : nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_SECTION_HEADER* sections =
        (const IMAGE_SECTION_HEADER*)((const uint8_t*)&nt->OptionalHeader + nt->FileHeader.SizeOfOptionalHeader);
    auto at = [&](DWORD rva) -> const uint8_t* {
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].Misc.VirtualSize)
                return base + sections[i].PointerToRawData + (rva - sections[i].VirtualAddress);
        return nullptr;
    };
    const IMAGE_EXPORT_DIRECTORY* directory = (const IMAGE_EXPORT_DIRECTORY*)at(exports.VirtualAddress);
    ASSERT_TRUE(directory);
    std::vector<std::string> names;
    const DWORD* nameRvas = (const DWORD*)at(directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        names.push_back((const char*)at(nameRvas[i]));
    EXPECT_EQ(names, (std::vector<std::string>{"DlgInstallProc", "DlgMainProc", "DlgSelectProc"}));
}

INSTANTIATE_TEST_SUITE_P(Programs, ResourcesTest,
                         ::testing::Values(Build{&kQ3, "win32"}, Build{&kKrn, "win32"}, Build{&kQ3, "win64"},
                                           Build{&kKrn, "win64"}),
                         [](const ::testing::TestParamInfo<Build>& info) {
                             return std::string(info.param.product->name) + "_" + info.param.bitness;
                         });

}  // namespace
