// make_art: draws each product's title picture and icon, deterministically.
//
//   make_art Q3|KRN OUTDIR [PREVIEW.png]
//
// writes OUTDIR/backcg.bin and OUTDIR/icon.ico (resources/<product> holds the
// committed ones) and, if asked, the picture as a PNG.
//
// A night landscape with a planet, hills, water and the product's name. The
// resource size of each product is fixed, so after drawing, the water's
// sparkle density and then single stars are tuned until the encoded stream
// ends exactly at that size: the artwork changes, nothing is padded. Integer
// arithmetic only, so every machine draws the same pixels.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../../picture/backcg.h"
#include "../../picture/encode.h"
#include "png_io.h"

namespace {

constexpr int kWidth = 580;
constexpr int kHeight = 440;
constexpr int kHorizon = 318;

// Palette layout. Entries 0-9 and 246-255 are the system's static colours,
// which a palette device keeps for itself, so the artwork stays in 10-245.
enum : int {
    kSky = 10,        // 48 entries, zenith to horizon, of which the sky bands use every other one
    kGlow = 58,       // 24, the planet's halo, dim to bright
    kFarHills = 82,   // 16
    kNearHills = 98,  // 16
    kWater = 114,     // 32, deep to bright
    kGold = 146,      // 32, the title letters, top to bottom
    kShadow = 178,    // 8
    kStar = 186,      // 8, dim to bright
    kAccent = 194,    // 32, the product name
    kFrame = 226,     // 20
};

struct Scheme {
    const char* name;
    const char* subtitle;
    size_t resourceSize;
    Rgb zenith, skyMiddle, horizon;
    Rgb glowDim, glowBright;
    Rgb hillsFar, hillsNear;
    Rgb waterDeep, waterBright;
    Rgb accentDark, accentBright;
    int planetRadius, haloRadius;
    bool ditheredHills;
    uint32_t seed;
    uint8_t iconBack, iconFore;  // VGA colour numbers
    char iconLetter;
};

// clang-format off
const Scheme kSchemes[] = {
    {"Q3", "Q3", 130431,
     {4, 6, 28}, {30, 24, 88}, {150, 92, 160},  // sky: zenith, middle, horizon
     {60, 40, 120}, {255, 236, 200},            // the planet's glow
     {44, 36, 84}, {16, 14, 40},                // hills, far and near
     {6, 10, 40}, {120, 150, 220},              // water
     {0, 70, 110}, {120, 255, 255},             // the product name
     46, 78, false, 0x51A3u, 9, 15, 'Q'},
    {"KRN", "KRN", 161661,
     {20, 4, 12}, {110, 20, 40}, {250, 140, 60},
     {140, 30, 20}, {255, 240, 170},
     {70, 24, 36}, {30, 10, 20},
     {30, 8, 16}, {255, 170, 90},
     {120, 20, 0}, {255, 220, 80},
     58, 100, true, 0xC0DEu, 4, 14, 'K'},
};
// clang-format on

// The system's static colours, as a palette device reserves them.
const Rgb kStaticLow[10] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                            {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
const Rgb kStaticHigh[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                             {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};

// 5 x 7 glyphs, top row first, bit 4 the leftmost column.
struct Glyph {
    char letter;
    uint8_t rows[7];
};
const Glyph kFont[] = {
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'3', {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E}},
};

const uint8_t* GlyphRows(char letter)
{
    for (const Glyph& glyph : kFont)
        if (glyph.letter == letter)
            return glyph.rows;
    return nullptr;
}

// 4 x 4 ordered-dither thresholds, 0-15.
const uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

struct Random {
    uint32_t state;
    uint32_t Next() { return state = Hash(state + 0x9E3779B9u); }
    int Below(int n) { return int(Next() % uint32_t(n)); }
};

// Smooth 1-D value noise in 0-255 with features `period` pixels apart.
int Noise(uint32_t seed, int x, int period)
{
    const int cell = x / period, offset = x % period;
    const int a = int(Hash(seed ^ uint32_t(cell) * 0x27D4EB2Du) & 0xFF);
    const int b = int(Hash(seed ^ uint32_t(cell + 1) * 0x27D4EB2Du) & 0xFF);
    return a + (b - a) * offset / period;
}

int IntSqrt(int n)
{
    int root = 0;
    while ((root + 1) * (root + 1) <= n)
        ++root;
    return root;
}

Rgb Mix(const Rgb& a, const Rgb& b, int numerator, int denominator)
{
    auto channel = [&](int x, int y) { return uint8_t(x + (y - x) * numerator / denominator); };
    return {channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue)};
}

struct Canvas {
    std::vector<Rgb> palette = std::vector<Rgb>(256);
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight);

    uint8_t& At(int x, int y) { return pixels[size_t(y) * kWidth + x]; }
    void Put(int x, int y, int index)
    {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            At(x, y) = uint8_t(index);
    }
    void Ramp(int first, int count, const Rgb& from, const Rgb& to)
    {
        for (int i = 0; i < count; ++i)
            palette[first + i] = Mix(from, to, i, count - 1);
    }
};

// Picks between two neighbouring ramp entries with ordered dither, so a ramp
// of `steps` entries shades `value` (0 to 16 x (steps - 1)) smoothly.
int Dither(int first, int steps, int value, int x, int y)
{
    int level = value / 16 + (value % 16 > kBayer[y & 3][x & 3] ? 1 : 0);
    if (level > steps - 1)
        level = steps - 1;
    return first + (level < 0 ? 0 : level);
}

void DrawSky(Canvas& canvas, const Scheme& scheme)
{
    canvas.Ramp(kSky, 24, scheme.zenith, scheme.skyMiddle);
    canvas.Ramp(kSky + 24, 24, scheme.skyMiddle, scheme.horizon);
    for (int y = 0; y < kHorizon; ++y)
        for (int x = 0; x < kWidth; ++x)
            canvas.At(x, y) = uint8_t(kSky + y * 24 / kHorizon * 2);
}

void DrawPlanet(Canvas& canvas, const Scheme& scheme)
{
    canvas.Ramp(kGlow, 24, scheme.glowDim, scheme.glowBright);
    const int cx = 400, cy = 236, radius = scheme.planetRadius, halo = scheme.haloRadius;
    for (int y = cy - halo; y <= cy + halo && y < kHorizon; ++y) {
        for (int x = cx - halo; x <= cx + halo; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 <= radius * radius) {
                // Lit from the upper left, with bands across the disc.
                const int light = 23 * 16 - ((x - cx + radius) + (y - cy + radius)) * 16 * 14 / (4 * radius);
                const int band = ((y - cy + radius) / 9) % 2 ? 24 : 0;
                canvas.At(x, y) = uint8_t(Dither(kGlow, 24, light - band, x, y));
            } else if (d2 <= halo * halo) {
                const int d = IntSqrt(d2);
                const int glow = (halo - d) * 16 * 10 / (halo - radius);
                if (glow > 8)
                    canvas.At(x, y) = uint8_t(Dither(kGlow, 24, glow, x, y));
            }
        }
    }
}

void DrawStars(Canvas& canvas, const Scheme& scheme, Random& random)
{
    canvas.Ramp(kStar, 8, Mix(scheme.skyMiddle, {255, 255, 255}, 1, 2), {255, 255, 255});
    for (int i = 0; i < 420; ++i) {
        const int x = random.Below(kWidth), y = random.Below(kHorizon - 40);
        const int index = canvas.At(x, y);
        if (index < kSky || index >= kSky + 40)
            continue;  // not on the planet or its halo
        const int brightness = random.Below(8);
        canvas.At(x, y) = uint8_t(kStar + brightness);
        if (brightness == 7) {  // the brightest twinkle
            canvas.Put(x - 1, y, kStar + 4);
            canvas.Put(x + 1, y, kStar + 4);
            canvas.Put(x, y - 1, kStar + 4);
            canvas.Put(x, y + 1, kStar + 4);
        }
    }
}

void DrawHills(Canvas& canvas, const Scheme& scheme)
{
    canvas.Ramp(kFarHills, 16, Mix(scheme.hillsFar, scheme.horizon, 1, 3), scheme.hillsFar);
    canvas.Ramp(kNearHills, 16, scheme.hillsNear, Mix(scheme.hillsNear, {0, 0, 0}, 2, 3));
    for (int x = 0; x < kWidth; ++x) {
        const int far = kHorizon - 30 - Noise(scheme.seed, x + 1000, 97) / 3 - Noise(scheme.seed + 1, x, 23) / 10;
        const int near = kHorizon - 8 - Noise(scheme.seed + 2, x + 500, 61) / 5 - Noise(scheme.seed + 3, x, 13) / 16;
        for (int y = far; y < kHorizon; ++y) {
            const int shade = (y - far) * 16 * 15 / (kHorizon - far + 1);
            canvas.At(x, y) =
                uint8_t(scheme.ditheredHills ? Dither(kFarHills, 16, shade, x, y) : kFarHills + shade / 16);
        }
        for (int y = near; y < kHorizon; ++y)
            canvas.At(x, y) = uint8_t(kNearHills + (y - near) * 15 / (kHorizon - near + 1));
    }
}

// The water mirrors the sky in ripples; `sparkles` per 1000 pixels catch the
// planet's light.
void DrawWater(Canvas& canvas, const Scheme& scheme, int sparkles)
{
    canvas.Ramp(kWater, 32, scheme.waterDeep, scheme.waterBright);
    for (int y = kHorizon; y < kHeight; ++y) {
        const int depth = y - kHorizon;
        const int band = depth / 4;  // ripples four rows high
        for (int x = 0; x < kWidth; ++x) {
            const int ripple = Noise(scheme.seed + 7, x + band * 37, 40 + band) / 32;
            int shade = 20 - depth * 20 / (kHeight - kHorizon) + (ripple & 1 ? 3 : 0);
            // The planet's reflection: a broken bright column under it.
            const int column = x - 400;
            if (column > -70 && column < 70 && ((band + ripple) & 1))
                shade += 8 - (column < 0 ? -column : column) / 10;
            const uint32_t h = Hash(uint32_t(y * kWidth + x) ^ scheme.seed);
            if (int(h % 1000) < sparkles)
                shade = 26 + int(h >> 28) % 6;
            if (shade < 0)
                shade = 0;
            canvas.At(x, y) = uint8_t(kWater + (shade > 31 ? 31 : shade));
        }
    }
}

// Draws `text` in 5 x 7 letters of `scale` pixels, centred on x = 290 with
// its top at `top`: a vertical ramp over each letter and a drop shadow.
void DrawTitle(Canvas& canvas, const char* text, int scale, int top, int ramp, int rampSize)
{
    const int advance = 6 * scale;
    const int width = int(strlen(text)) * advance - scale;
    const int left = (kWidth - width) / 2;
    for (int pass = 0; pass < 2; ++pass) {  // shadow first, then the letters
        const int shift = pass == 0 ? scale / 2 : 0;
        for (int i = 0; text[i]; ++i) {
            const uint8_t* rows = GlyphRows(text[i]);
            for (int gy = 0; rows && gy < 7; ++gy) {
                for (int gx = 0; gx < 5; ++gx) {
                    if (!(rows[gy] & (0x10 >> gx)))
                        continue;
                    for (int py = 0; py < scale; ++py) {
                        for (int px = 0; px < scale; ++px) {
                            const int x = left + i * advance + gx * scale + px + shift;
                            const int y = top + gy * scale + py + shift;
                            if (pass == 0) {
                                canvas.Put(x, y, kShadow + (px + py) * 7 / (2 * scale));
                                continue;
                            }
                            // Bevel: light on the cell's upper left edge, dark on its lower right.
                            int level = (gy * scale + py) * (rampSize - 1) / (7 * scale);
                            if (px == 0 || py == 0)
                                level = level / 3;
                            else if (px == scale - 1 || py == scale - 1)
                                level = level + (rampSize - 1 - level) / 2;
                            canvas.Put(x, y, ramp + level);
                        }
                    }
                }
            }
        }
    }
}

// A bevelled frame with a rivet every 40 pixels.
void DrawFrame(Canvas& canvas)
{
    canvas.Ramp(kFrame, 20, {40, 40, 48}, {230, 220, 190});
    for (int ring = 0; ring < 4; ++ring) {
        const int index = kFrame + (ring == 1 ? 19 : ring == 2 ? 12 : 2);
        for (int x = ring; x < kWidth - ring; ++x) {
            canvas.At(x, ring) = uint8_t(index);
            canvas.At(x, kHeight - 1 - ring) = uint8_t(index);
        }
        for (int y = ring; y < kHeight - ring; ++y) {
            canvas.At(ring, y) = uint8_t(index);
            canvas.At(kWidth - 1 - ring, y) = uint8_t(index);
        }
    }
    for (int y = 20; y < kHeight - 4; y += 40) {
        canvas.At(1, y) = canvas.At(kWidth - 2, y) = uint8_t(kFrame + 6);
        canvas.At(2, y) = canvas.At(kWidth - 3, y) = uint8_t(kFrame + 9);
    }
    for (int x = 20; x < kWidth - 4; x += 40)
        canvas.At(x, 1) = canvas.At(x, kHeight - 2) = uint8_t(kFrame + 6);
}

void Draw(Canvas& canvas, const Scheme& scheme, int sparkles)
{
    for (int i = 0; i < 10; ++i) {
        canvas.palette[i] = kStaticLow[i];
        canvas.palette[246 + i] = kStaticHigh[i];
    }
    Random random{scheme.seed};
    DrawSky(canvas, scheme);
    DrawPlanet(canvas, scheme);
    DrawStars(canvas, scheme, random);
    DrawHills(canvas, scheme);
    DrawWater(canvas, scheme, sparkles);
    canvas.Ramp(kGold, 32, {255, 250, 210}, {170, 90, 10});
    canvas.Ramp(kShadow, 8, {0, 0, 0}, Mix(scheme.zenith, {0, 0, 0}, 1, 2));
    canvas.Ramp(kAccent, 32, scheme.accentBright, scheme.accentDark);
    DrawTitle(canvas, "VARNO", 9, 96, kGold, 32);
    DrawTitle(canvas, scheme.subtitle, 10, 178, kAccent, 32);
    DrawFrame(canvas);
}

size_t ResourceSize(const Canvas& canvas)
{
    size_t size = kBackcgOffsetField + 4 + 4 + kRleHeaderSize;
    for (uint32_t strip = 0; strip < kWidth / 4; ++strip)
        size += RleStripSize(canvas.pixels.data(), kWidth, kHeight, strip);
    return size;
}

// Brings the encoded size to exactly `target`: first the sparkle density,
// then single stars in the sky, each kept only if it does not overshoot.
bool Tune(Canvas& canvas, const Scheme& scheme, size_t target)
{
    int low = 0, high = 1000;  // sizes grow with the density
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        Canvas trial;
        Draw(trial, scheme, middle);
        if (ResourceSize(trial) <= target)
            low = middle;
        else
            high = middle - 1;
    }
    Draw(canvas, scheme, low);
    size_t size = ResourceSize(canvas);
    if (size > target)
        return false;

    Random random{scheme.seed ^ 0xA5A5A5A5u};
    for (int attempt = 0; size != target && attempt < 200000; ++attempt) {
        const int x = 8 + random.Below(kWidth - 16), y = 8 + random.Below(kHorizon - 60);
        uint8_t& pixel = canvas.At(x, y);
        if (pixel < kSky || pixel >= kSky + 40)
            continue;
        const uint32_t strip = uint32_t(x / 4);
        const size_t before = RleStripSize(canvas.pixels.data(), kWidth, kHeight, strip);
        const uint8_t old = pixel;
        pixel = uint8_t(kStar + random.Below(8));
        const size_t after = RleStripSize(canvas.pixels.data(), kWidth, kHeight, strip);
        if (after > before && size + (after - before) <= target)
            size += after - before;
        else
            pixel = old;
    }
    return size == target;
}

// A 32 x 32, 16-colour icon: the product's letter on its colour, in a frame.
std::vector<uint8_t> MakeIcon(const Scheme& scheme)
{
    static const Rgb kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                 {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                 {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                 {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    uint8_t colour[32][32];
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool edge = x == 0 || y == 0 || x == 31 || y == 31;
            const bool bevel = x == 1 || y == 1;
            colour[y][x] = edge ? 0 : bevel ? 7 : (x + y) % 9 == 0 ? 8 : scheme.iconBack;
        }
    const uint8_t* rows = GlyphRows(scheme.iconLetter);
    for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx)
            if (rows[gy] & (0x10 >> gx))
                for (int py = 0; py < 3; ++py)
                    for (int px = 0; px < 4; ++px) {
                        colour[6 + gy * 3 + py + 1][6 + gx * 4 + px + 1] = 0;  // shadow
                        colour[6 + gy * 3 + py][6 + gx * 4 + px] = scheme.iconFore;
                    }

    std::vector<uint8_t> ico;
    auto put16 = [&](uint32_t v) { ico.insert(ico.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    const uint32_t imageSize = 40 + 16 * 4 + 32 * 16 + 32 * 4;  // header, colours, 4-bit pixels, mask
    put16(0), put16(1), put16(1);                               // icon file, one image
    ico.insert(ico.end(), {32, 32, 16, 0});                     // 32 x 32, 16 colours
    put16(1), put16(4), put32(imageSize), put32(6 + 16);        // planes, bits, size, offset
    put32(40), put32(32), put32(64), put16(1), put16(4);        // header: height counts the mask too
    put32(0), put32(32 * 16 + 32 * 4), put32(0), put32(0), put32(0), put32(0);
    for (const Rgb& c : kVga)
        ico.insert(ico.end(), {c.blue, c.green, c.red, 0});
    for (int y = 31; y >= 0; --y)  // bottom-up
        for (int x = 0; x < 32; x += 2)
            ico.push_back(uint8_t(colour[y][x] << 4 | colour[y][x + 1]));
    ico.insert(ico.end(), 32 * 4, 0);  // fully opaque
    return ico;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: make_art Q3|KRN OUTDIR [PREVIEW.png]\n");
        return 2;
    }
    const Scheme* scheme = nullptr;
    for (const Scheme& candidate : kSchemes)
        if (strcmp(candidate.name, argv[1]) == 0)
            scheme = &candidate;
    if (!scheme) {
        fprintf(stderr, "make_art: unknown product %s\n", argv[1]);
        return 2;
    }

    Canvas canvas;
    if (!Tune(canvas, *scheme, scheme->resourceSize)) {
        fprintf(stderr, "make_art: cannot tune %s to %zu bytes\n", scheme->name, scheme->resourceSize);
        return 1;
    }
    uint8_t palette[kBackcgPaletteSize];
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = canvas.palette[i].blue;
        palette[3 * i + 1] = canvas.palette[i].green;
        palette[3 * i + 2] = canvas.palette[i].red;
    }
    const std::vector<uint8_t> resource = BuildBackcg(palette, EncodeRle(canvas.pixels.data(), kWidth, kHeight));
    const std::string dir = argv[2];
    std::string error;
    if (!WriteFile(dir + "/backcg.bin", resource) || !WriteFile(dir + "/icon.ico", MakeIcon(*scheme))) {
        fprintf(stderr, "make_art: cannot write into %s\n", dir.c_str());
        return 1;
    }
    if (argc == 4 && !WriteIndexedPng(argv[3], kWidth, kHeight, canvas.palette, canvas.pixels.data(), &error)) {
        fprintf(stderr, "make_art: %s\n", error.c_str());
        return 1;
    }
    printf("%s: %zu bytes\n", scheme->name, resource.size());
    return 0;
}
