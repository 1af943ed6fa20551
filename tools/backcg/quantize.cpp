#include "quantize.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace {

struct Tally {
    uint32_t colour;  // 0xRRGGBB
    uint64_t count;
};

int Channel(uint32_t colour, int channel) { return (colour >> (16 - 8 * channel)) & 0xFF; }

struct Box {
    std::vector<Tally> tallies;

    int WidestChannel(int* range) const
    {
        int best = 0;
        *range = -1;
        for (int channel = 0; channel < 3; ++channel) {
            int low = 255, high = 0;
            for (const Tally& tally : tallies) {
                low = std::min(low, Channel(tally.colour, channel));
                high = std::max(high, Channel(tally.colour, channel));
            }
            if (high - low > *range) {
                *range = high - low;
                best = channel;
            }
        }
        return best;
    }

    Rgb Mean() const
    {
        uint64_t sum[3] = {}, total = 0;
        for (const Tally& tally : tallies) {
            for (int channel = 0; channel < 3; ++channel)
                sum[channel] += Channel(tally.colour, channel) * tally.count;
            total += tally.count;
        }
        return {uint8_t((sum[0] + total / 2) / total), uint8_t((sum[1] + total / 2) / total),
                uint8_t((sum[2] + total / 2) / total)};
    }
};

uint32_t Pack(const Rgb& c) { return uint32_t(c.red) << 16 | c.green << 8 | c.blue; }

std::vector<Rgb> MedianCut(std::vector<Tally> tallies)
{
    std::vector<Box> boxes{{std::move(tallies)}};
    while (boxes.size() < 256) {
        // Split the box with the widest channel range; ties go to the first.
        size_t widest = boxes.size();
        int widestRange = 0, widestChannel = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int range;
            const int channel = boxes[i].WidestChannel(&range);
            if (boxes[i].tallies.size() > 1 && range > widestRange) {
                widest = i;
                widestRange = range;
                widestChannel = channel;
            }
        }
        if (widest == boxes.size())
            break;
        std::vector<Tally>& all = boxes[widest].tallies;
        std::sort(all.begin(), all.end(), [&](const Tally& a, const Tally& b) {
            const int ca = Channel(a.colour, widestChannel), cb = Channel(b.colour, widestChannel);
            return ca != cb ? ca < cb : a.colour < b.colour;
        });
        uint64_t total = 0, half = 0;
        for (const Tally& tally : all)
            total += tally.count;
        size_t cut = 0;
        while (cut + 1 < all.size() && (half += all[cut].count) < total / 2)
            ++cut;
        Box upper{std::vector<Tally>(all.begin() + cut + 1, all.end())};
        all.resize(cut + 1);
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes)
        palette.push_back(box.Mean());
    return palette;
}

uint8_t Nearest(const std::vector<Rgb>& palette, uint32_t colour)
{
    uint32_t bestDistance = UINT32_MAX;
    uint8_t best = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
        uint32_t distance = 0;
        const uint32_t entry = Pack(palette[i]);
        for (int channel = 0; channel < 3; ++channel) {
            const int d = Channel(colour, channel) - Channel(entry, channel);
            distance += uint32_t(d * d);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = uint8_t(i);
        }
    }
    return best;
}

}  // namespace

void Quantize(const std::vector<Rgb>& colours, std::vector<Rgb>* palette, std::vector<uint8_t>* indices)
{
    std::map<uint32_t, uint64_t> histogram;
    for (const Rgb& colour : colours)
        ++histogram[Pack(colour)];
    std::vector<Tally> tallies;
    for (const auto& [colour, count] : histogram)
        tallies.push_back({colour, count});

    palette->clear();
    if (tallies.size() <= 256) {
        for (const Tally& tally : tallies)
            palette->push_back({uint8_t(tally.colour >> 16), uint8_t(tally.colour >> 8), uint8_t(tally.colour)});
    } else {
        *palette = MedianCut(std::move(tallies));
    }

    std::map<uint32_t, uint8_t> mapped;
    indices->resize(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
        const uint32_t colour = Pack(colours[i]);
        auto found = mapped.find(colour);
        if (found == mapped.end())
            found = mapped.emplace(colour, Nearest(*palette, colour)).first;
        (*indices)[i] = found->second;
    }
}
