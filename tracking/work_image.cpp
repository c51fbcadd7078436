#include "tracking/work_image.h"

#include <array>
#include <cstddef>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace veltranix {

void FillWorkImage(const CaptureFrame& frame, const PixelOffsetTable& table, WorkImage& image) {
    const std::uint8_t* bytes = frame.bytes.data();
    const std::uint32_t* offsets = table.data();
    std::uint8_t* out = image.data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(kFramePixels); ++i) {
        out[i] = bytes[offsets[i]];
    }
}

namespace {

constexpr int kBand = 16;

#if defined(__x86_64__)
// Turns 16 rows of 16 bytes into 16 columns of 16 bytes in four rounds of
// interleaving: pairs of bytes, of 2-byte units, of 4-byte units, of halves.
void TransposeSixteen(const __m128i (&rows)[kBand], __m128i (&columns)[kBand]) {
    __m128i pairs[kBand];  // [half * 8 + p]: rows 2p, 2p + 1 in columns half * 8 ..
    for (int p = 0; p < 8; ++p) {
        pairs[p] = _mm_unpacklo_epi8(rows[2 * p], rows[2 * p + 1]);
        pairs[p + 8] = _mm_unpackhi_epi8(rows[2 * p], rows[2 * p + 1]);
    }
    __m128i quads[kBand];  // [group * 4 + q]: rows 4q .. 4q + 3 in columns group * 4 ..
    for (int half = 0; half < 2; ++half) {
        for (int q = 0; q < 4; ++q) {
            const __m128i upper = pairs[half * 8 + 2 * q];
            const __m128i lower = pairs[half * 8 + 2 * q + 1];
            quads[half * 8 + q] = _mm_unpacklo_epi16(upper, lower);
            quads[half * 8 + 4 + q] = _mm_unpackhi_epi16(upper, lower);
        }
    }
    __m128i octets[kBand];  // [group * 4 + 2 * o + k]: rows 8o .. 8o + 7, columns group * 4 + 2k ..
    for (int group = 0; group < 4; ++group) {
        for (int o = 0; o < 2; ++o) {
            const __m128i upper = quads[group * 4 + 2 * o];
            const __m128i lower = quads[group * 4 + 2 * o + 1];
            octets[group * 4 + 2 * o] = _mm_unpacklo_epi32(upper, lower);
            octets[group * 4 + 2 * o + 1] = _mm_unpackhi_epi32(upper, lower);
        }
    }
    for (int group = 0; group < 4; ++group) {
        for (int k = 0; k < 2; ++k) {
            const __m128i top = octets[group * 4 + k];
            const __m128i bottom = octets[group * 4 + 2 + k];
            columns[group * 4 + 2 * k] = _mm_unpacklo_epi64(top, bottom);
            columns[group * 4 + 2 * k + 1] = _mm_unpackhi_epi64(top, bottom);
        }
    }
}
#endif

// Transposes a band of 16 rows of 640 intensity bytes into the column-major
// image starting at row `firstRow`: each column gets 16 consecutive values.
void TransposeBand(const std::array<const std::uint8_t*, kBand>& rows, int firstRow,
                   std::uint8_t* image) {
#if defined(__x86_64__)
    for (int x = 0; x < kFrameWidth; x += kBand) {
        __m128i block[kBand];
        for (int i = 0; i < kBand; ++i) {
            block[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[i] + x));
        }
        __m128i columns[kBand];
        TransposeSixteen(block, columns);
        std::uint8_t* out = image + static_cast<std::ptrdiff_t>(x) * kFrameHeight + firstRow;
        for (int i = 0; i < kBand; ++i) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * kFrameHeight), columns[i]);
        }
    }
#else
    for (int x = 0; x < kFrameWidth; ++x) {
        std::uint8_t* out = image + static_cast<std::ptrdiff_t>(x) * kFrameHeight + firstRow;
        for (int i = 0; i < kBand; ++i) {
            out[i] = rows[i][x];
        }
    }
#endif
}

#if defined(__x86_64__)
// The third byte of every 3-byte pixel of a 640-pixel row, 16 pixels per step.
__attribute__((target("ssse3"))) void PackThirdBytes(const std::uint8_t* source,
                                                     std::uint8_t* row) {
    const __m128i first =
        _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i second =
        _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
    const __m128i third = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
    for (int x = 0; x < kFrameWidth; x += 16) {
        const std::uint8_t* pixels = source + x * 3;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 32));
        const __m128i reds =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, first), _mm_shuffle_epi8(b, second)),
                         _mm_shuffle_epi8(c, third));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), reds);
    }
}

// The first byte of every 2-byte pair of a 640-pixel row, 16 pixels per step.
void PackEvenBytes(const std::uint8_t* source, std::uint8_t* row) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    for (int x = 0; x < kFrameWidth; x += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x * 2));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x * 2 + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x),
                         _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low)));
    }
}
#endif

// One intensity byte every `pixelStep` bytes of a 640-pixel row, packed.
void PackSpacedRow(const std::uint8_t* source, std::ptrdiff_t pixelStep, std::uint8_t* row) {
#if defined(__x86_64__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (pixelStep == 3 && ssse3) {
        PackThirdBytes(source - 2, row);
        return;
    }
    if (pixelStep == 2) {
        PackEvenBytes(source, row);
        return;
    }
#endif
    for (int x = 0; x < kFrameWidth; ++x) {
        row[x] = source[x * pixelStep];
    }
}

// Copies a row-major intensity grid (stride and step in bytes) into the
// column-major image, 16 rows at a time; spaced intensities are first packed
// into `packed`, 16 rows of 640 bytes.
void TransposeIntensities(const std::uint8_t* first, std::ptrdiff_t rowStride,
                          std::ptrdiff_t pixelStep, std::uint8_t* image) {
    std::array<std::uint8_t, kBand * kFrameWidth> packed;
    std::array<const std::uint8_t*, kBand> rows{};
    for (int y0 = 0; y0 < kFrameHeight; y0 += kBand) {
        for (int i = 0; i < kBand; ++i) {
            const std::uint8_t* source = first + (y0 + i) * rowStride;
            if (pixelStep == 1) {
                rows[i] = source;
                continue;
            }
            std::uint8_t* row = packed.data() + i * kFrameWidth;
            PackSpacedRow(source, pixelStep, row);
            rows[i] = row;
        }
        TransposeBand(rows, y0, image);
    }
}

}  // namespace

void FillWorkImageByLayout(const CaptureFrame& frame, WorkImage& image) {
    const std::uint8_t* bytes = frame.bytes.data();
    switch (frame.layout) {
        case FrameLayout::Rgb24BottomUp:
            // Row y of the image is row 479 - y in memory; the red byte is third.
            TransposeIntensities(bytes + static_cast<std::ptrdiff_t>(kFrameHeight - 1) * 1920 + 2,
                                 -1920, 3, image.data());
            return;
        case FrameLayout::I420:
            TransposeIntensities(bytes, kFrameWidth, 1, image.data());
            return;
        case FrameLayout::Yuy2:
            TransposeIntensities(bytes, kFrameWidth * 2, 2, image.data());
            return;
    }
}

}  // namespace veltranix
