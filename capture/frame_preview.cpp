#include "capture/frame_preview.h"

#include <algorithm>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace veltranix {

namespace {

#if defined(__x86_64__)
__attribute__((target("avx2"))) inline __m256i Widen(const std::uint8_t* bytes) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)));
}

__attribute__((target("avx2"))) inline __m256i Times(__m256i a, int factor) {
    return _mm256_mullo_epi32(a, _mm256_set1_epi32(factor));
}

// (sum + 128) >> 8, held to 0..255.
__attribute__((target("avx2"))) inline __m256i Channel(__m256i sum) {
    const __m256i shifted = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(128)), 8);
    return _mm256_min_epi32(_mm256_max_epi32(shifted, _mm256_setzero_si256()),
                            _mm256_set1_epi32(255));
}

// YuvToArgb for eight samples at a time, in the same integer steps.
__attribute__((target("avx2"))) int YuvRowToArgbAvx2(const std::uint8_t* luma,
                                                     const std::uint8_t* u, const std::uint8_t* v,
                                                     int count, std::uint32_t* out) {
    int done = 0;
    for (; done + 8 <= count; done += 8) {
        const __m256i c = Times(_mm256_sub_epi32(Widen(luma + done), _mm256_set1_epi32(16)), 298);
        const __m256i d = _mm256_sub_epi32(Widen(u + done), _mm256_set1_epi32(128));
        const __m256i e = _mm256_sub_epi32(Widen(v + done), _mm256_set1_epi32(128));
        const __m256i red = Channel(_mm256_add_epi32(c, Times(e, 409)));
        const __m256i green =
            Channel(_mm256_sub_epi32(_mm256_sub_epi32(c, Times(d, 100)), Times(e, 208)));
        const __m256i blue = Channel(_mm256_add_epi32(c, Times(d, 516)));
        const __m256i argb =
            _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(static_cast<int>(0xFF000000u)),
                                            _mm256_slli_epi32(red, 16)),
                            _mm256_or_si256(_mm256_slli_epi32(green, 8), blue));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + done), argb);
    }
    return done;
}
#endif

// Converts `count` gathered samples of one output row.
void YuvRowToArgb(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v, int count,
                  std::uint32_t* out) {
    int done = 0;
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        done = YuvRowToArgbAvx2(luma, u, v, count, out);
    }
#endif
    for (; done < count; ++done) {
        out[done] = YuvToArgb(luma[done], u[done], v[done]);
    }
}

}  // namespace

void RenderFramePreview(const CaptureFrame& frame, int widthPixels, int heightPixels,
                        std::span<std::uint32_t> pixels) {
    if (widthPixels <= 0 || heightPixels <= 0 ||
        pixels.size() < static_cast<std::size_t>(widthPixels) * heightPixels ||
        frame.bytes.size() < FrameBufferBytes(frame.layout)) {
        return;
    }
    std::vector<int> sourceColumn(widthPixels);
    for (int x = 0; x < widthPixels; ++x) {
        sourceColumn[x] = x * kFrameWidth / widthPixels;
    }
    // The YUV samples of one output row, gathered so that they convert in a run.
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(widthPixels) * 3);
    std::uint8_t* lumas = samples.data();
    std::uint8_t* us = lumas + widthPixels;
    std::uint8_t* vs = us + widthPixels;
    const std::uint8_t* bytes = frame.bytes.data();
    for (int y = 0; y < heightPixels; ++y) {
        const int row = y * kFrameHeight / heightPixels;
        std::uint32_t* out = pixels.data() + static_cast<std::size_t>(y) * widthPixels;
        switch (frame.layout) {
            case FrameLayout::Rgb24BottomUp: {
                const std::uint8_t* line = bytes + (kFrameHeight - 1 - row) * kFrameWidth * 3;
                for (int x = 0; x < widthPixels; ++x) {
                    const std::uint8_t* pixel = line + sourceColumn[x] * 3;
                    out[x] = preview_detail::Argb(pixel[2], pixel[1], pixel[0]);
                }
                break;
            }
            case FrameLayout::I420: {
                const std::uint8_t* lumaLine = bytes + row * kFrameWidth;
                const std::uint8_t* uLine = bytes + kFramePixels + (row / 2) * (kFrameWidth / 2);
                const std::uint8_t* vLine = uLine + kFramePixels / 4;
                for (int x = 0; x < widthPixels; ++x) {
                    const int column = sourceColumn[x];
                    lumas[x] = lumaLine[column];
                    us[x] = uLine[column / 2];
                    vs[x] = vLine[column / 2];
                }
                YuvRowToArgb(lumas, us, vs, widthPixels, out);
                break;
            }
            case FrameLayout::Yuy2: {
                const std::uint8_t* line = bytes + row * kFrameWidth * 2;
                for (int x = 0; x < widthPixels; ++x) {
                    const int column = sourceColumn[x];
                    const std::uint8_t* pair = line + (column / 2) * 4;
                    lumas[x] = pair[(column % 2) * 2];
                    us[x] = pair[1];
                    vs[x] = pair[3];
                }
                YuvRowToArgb(lumas, us, vs, widthPixels, out);
                break;
            }
        }
    }
}

}  // namespace veltranix
