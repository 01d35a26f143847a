#pragma once
// The per-channel means of a row of K x K pixel blocks (CInteriorBlocks in
// RenderSurfaceSmooth.cpp): K rows of blue, green, red bytes, `stride` bytes
// apart; block i holds the 3 K bytes from 3 K i on in each row.
//
// Each row's bytes are first summed down the K rows (16 bits a byte, with
// the least and greatest of each), then across the K pixels of each block,
// 32 bytes at a time where the processor has AVX2, for K a power of two up
// to 8; other K are taken block by block. One walk over the blocks serves both.
// Integer sums and least and greatest values do not depend on the order they
// are taken in, so the means are those of the pixel-by-pixel loop.

#include <cstddef>
#include <cstdint>

struct CBlockRows {
    const std::uint8_t* pixels = nullptr;
    std::size_t stride = 0;
    int K = 1;
    int count = 0; // blocks
};

// For each block: colours[3 i + c] = (sum + K K / 2) / (K K) of channel c,
// and uneven[i] = 1 when a channel's greatest level is more than `spread`
// above its least, else 0.
void BlockMeans(const CBlockRows& rows, int spread, std::uint8_t* colours, std::uint8_t* uneven) noexcept;

// For each block with pick[i] set: colours[3 i + c] = sum / (K K) of channel
// c, truncated; the others are left as they are.
void TruncatedBlockMeans(const CBlockRows& rows, const std::uint8_t* pick, std::uint8_t* colours) noexcept;
