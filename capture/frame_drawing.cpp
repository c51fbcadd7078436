#include "capture/frame_drawing.h"

#include <algorithm>
#include <cstddef>

namespace veltranix {

void DrawFramePixel(CaptureFrame& frame, int x, int y, FrameColour colour, SampleChoice samples) {
    if (x < 0 || x >= kFrameWidth || y < 0 || y >= kFrameHeight ||
        frame.bytes.size() < FrameBufferBytes(frame.layout)) {
        return;
    }
    std::uint8_t* bytes = frame.bytes.data();
    const bool writeLuma = samples == SampleChoice::AllSamples;
    switch (frame.layout) {
        case FrameLayout::Rgb24BottomUp: {
            const std::size_t pixel =
                3 * (static_cast<std::size_t>(kFrameHeight - 1 - y) * kFrameWidth + x);
            bytes[pixel + 2] = colour.first;
            bytes[pixel + 1] = colour.second;
            bytes[pixel] = colour.third;
            return;
        }
        case FrameLayout::I420: {
            constexpr std::size_t kChromaPlane = kFramePixels / 4;
            const std::size_t chroma = static_cast<std::size_t>(y / 2) * (kFrameWidth / 2) +
                                       static_cast<std::size_t>(x / 2);
            if (writeLuma) {
                bytes[static_cast<std::size_t>(y) * kFrameWidth + x] = colour.first;
            }
            bytes[kFramePixels + kChromaPlane + chroma] = colour.second;  // V plane
            bytes[kFramePixels + chroma] = colour.third;                  // U plane
            return;
        }
        case FrameLayout::Yuy2: {
            const std::size_t pair =
                static_cast<std::size_t>(y) * kFrameWidth * 2 + static_cast<std::size_t>(x / 2) * 4;
            if (writeLuma) {
                bytes[pair + (x % 2 == 0 ? 0 : 2)] = colour.first;
            }
            bytes[pair + 3] = colour.second;
            bytes[pair + 1] = colour.third;
            return;
        }
    }
}

void FillFrameRect(CaptureFrame& frame, int left, int top, int right, int bottom,
                   FrameColour colour, SampleChoice samples) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kFrameWidth - 1);
    bottom = std::min(bottom, kFrameHeight - 1);
    if (left > right || top > bottom || frame.bytes.size() < FrameBufferBytes(frame.layout)) {
        return;
    }
    // Row by row: the tracker draws its marks on every frame.
    std::uint8_t* bytes = frame.bytes.data();
    const bool writeLuma = samples == SampleChoice::AllSamples;
    const auto width = static_cast<std::size_t>(right - left + 1);
    switch (frame.layout) {
        case FrameLayout::Rgb24BottomUp:
            for (int y = top; y <= bottom; ++y) {
                std::uint8_t* pixel =
                    bytes + 3 * (static_cast<std::size_t>(kFrameHeight - 1 - y) * kFrameWidth +
                                 static_cast<std::size_t>(left));
                for (std::size_t x = 0; x < width; ++x, pixel += 3) {
                    pixel[0] = colour.third;
                    pixel[1] = colour.second;
                    pixel[2] = colour.first;
                }
            }
            return;
        case FrameLayout::I420: {
            if (writeLuma) {
                for (int y = top; y <= bottom; ++y) {
                    std::fill_n(bytes + static_cast<std::size_t>(y) * kFrameWidth + left, width,
                                colour.first);
                }
            }
            constexpr std::size_t kChromaPlane = kFramePixels / 4;
            const auto chromaWidth = static_cast<std::size_t>(right / 2 - left / 2 + 1);
            for (int y = top / 2; y <= bottom / 2; ++y) {
                const std::size_t chroma = static_cast<std::size_t>(y) * (kFrameWidth / 2) +
                                           static_cast<std::size_t>(left / 2);
                std::fill_n(bytes + kFramePixels + chroma, chromaWidth, colour.third);  // U plane
                std::fill_n(bytes + kFramePixels + kChromaPlane + chroma, chromaWidth,
                            colour.second);  // V plane
            }
            return;
        }
        case FrameLayout::Yuy2:
            for (int y = top; y <= bottom; ++y) {
                std::uint8_t* line = bytes + static_cast<std::size_t>(y) * kFrameWidth * 2;
                for (int x = left; x <= right; ++x) {
                    std::uint8_t* pair = line + static_cast<std::size_t>(x / 2) * 4;
                    if (writeLuma) {
                        pair[x % 2 == 0 ? 0 : 2] = colour.first;
                    }
                    pair[3] = colour.second;
                    pair[1] = colour.third;
                }
            }
            return;
    }
}

void DrawDashedOutline(CaptureFrame& frame, int left, int top, int right, int bottom,
                       int thicknessPixels, int drawnPixels, int skippedPixels, FrameColour colour,
                       SampleChoice samples) {
    if (right < left || bottom < top || drawnPixels <= 0 || skippedPixels < 0) {
        return;
    }
    const int period = drawnPixels + skippedPixels;
    int along = 0;
    // Walks the outer edge clockwise; each step paints a run of
    // `thicknessPixels` inwards, so the dashes stay aligned at the corners.
    auto step = [&](int x, int y, int inwardX, int inwardY) {
        if (along % period < drawnPixels) {
            for (int depth = 0; depth < thicknessPixels; ++depth) {
                DrawFramePixel(frame, x + depth * inwardX, y + depth * inwardY, colour, samples);
            }
        }
        ++along;
    };
    for (int x = left; x < right; ++x)
        step(x, top, 0, 1);
    for (int y = top; y < bottom; ++y)
        step(right, y, -1, 0);
    for (int x = right; x > left; --x)
        step(x, bottom, 0, -1);
    for (int y = bottom; y > top; --y)
        step(left, y, 1, 0);
}

}  // namespace veltranix
