// The LZSS compressor: hash chains over 3-byte prefixes, the longest match
// within 4,095 bytes, and one step of look-ahead (a literal now pays when
// the match one byte on is longer).
#include <algorithm>

#include "lzss.h"

namespace {

constexpr uint32_t kWindow = 4095;  // the largest distance
constexpr uint32_t kLongest = 16;   // the largest length
constexpr uint32_t kShortest = 3;   // a reference's 2 bytes must replace more than 2 literals
constexpr int kHashBits = 14;
constexpr int kChainLimit = 96;  // candidates tried per position

class Compressor {
public:
    Compressor(const uint8_t* data, size_t size)
        : data_(data), size_(size), head_(size_t(1) << kHashBits, -1), previous_(size, -1)
    {
    }

    std::vector<uint8_t> Run()
    {
        size_t at = 0;
        while (at < size_) {
            uint32_t distance = 0;
            const uint32_t length = Longest(at, &distance);
            Insert(at);
            uint32_t nextDistance = 0;
            if (length < kShortest || Longest(at + 1, &nextDistance) > length) {
                Literal(data_[at]);
                ++at;
                continue;
            }
            Reference(distance, length);
            for (size_t covered = at + 1; covered < at + length; ++covered)
                Insert(covered);
            at += length;
        }
        return std::move(out_);
    }

private:
    uint32_t Hash(size_t at) const
    {
        const uint32_t prefix = uint32_t(data_[at]) << 16 | data_[at + 1] << 8 | data_[at + 2];
        return (prefix * 2654435761u) >> (32 - kHashBits);
    }

    void Insert(size_t at)
    {
        if (at + kShortest > size_)
            return;
        const uint32_t hash = Hash(at);
        previous_[at] = head_[hash];
        head_[hash] = int32_t(at);
    }

    // The longest earlier match for the bytes at `at` (it may overlap them:
    // the decoder repeats as it copies).
    uint32_t Longest(size_t at, uint32_t* distance) const
    {
        if (at + kShortest > size_)
            return 0;
        const uint32_t most = uint32_t(std::min<size_t>(kLongest, size_ - at));
        uint32_t best = 0;
        int tries = 0;
        for (int32_t candidate = head_[Hash(at)];
             candidate >= 0 && at - size_t(candidate) <= kWindow && tries < kChainLimit;
             candidate = previous_[size_t(candidate)], ++tries) {
            uint32_t length = 0;
            while (length < most && data_[size_t(candidate) + length] == data_[at + length])
                ++length;
            if (length > best) {
                best = length;
                *distance = uint32_t(at - size_t(candidate));
                if (best == most)
                    break;
            }
        }
        return best;
    }

    // Starts a new flag byte every 8 tokens and sets this token's flag.
    void Flag(bool reference)
    {
        if (flagsUsed_ == 8) {
            flagAt_ = out_.size();
            out_.push_back(0);
            flagsUsed_ = 0;
        }
        if (reference)
            out_[flagAt_] |= uint8_t(0x80 >> flagsUsed_);
        ++flagsUsed_;
    }

    void Literal(uint8_t byte)
    {
        Flag(false);
        out_.push_back(byte);
    }

    void Reference(uint32_t distance, uint32_t length)
    {
        Flag(true);
        out_.push_back(uint8_t(distance));
        out_.push_back(uint8_t((length - 1) << 4 | distance >> 8));
    }

    const uint8_t* data_;
    size_t size_;
    std::vector<int32_t> head_, previous_;
    std::vector<uint8_t> out_;
    size_t flagAt_ = 0;
    int flagsUsed_ = 8;
};

}  // namespace

std::vector<uint8_t> LzssCompress(const uint8_t* data, size_t size) { return Compressor(data, size).Run(); }
