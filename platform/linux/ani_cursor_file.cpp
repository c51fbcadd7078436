#include "platform/linux/ani_cursor_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

namespace veltranix {
namespace {

constexpr std::size_t kMaxImages = 1024;
constexpr std::size_t kMaxSteps = 4096;
constexpr int kMaxSide = 256;
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

// A bounds-checked little-endian reader over a byte range.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - position_; }
    bool skip(std::size_t count) {
        if (count > left()) {
            return false;
        }
        position_ += count;
        return true;
    }
    std::optional<std::string_view> take(std::size_t count) {
        if (count > left()) {
            return std::nullopt;
        }
        const auto part = bytes_.substr(position_, count);
        position_ += count;
        return part;
    }
    std::optional<std::uint32_t> u32() {
        const auto part = take(4);
        if (!part) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int index = 3; index >= 0; --index) {
            value = (value << 8) | static_cast<unsigned char>((*part)[index]);
        }
        return value;
    }
    std::optional<std::uint16_t> u16() {
        const auto part = take(2);
        if (!part) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(static_cast<unsigned char>((*part)[0]) |
                                          (static_cast<unsigned char>((*part)[1]) << 8));
    }

  private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

struct Chunk {
    std::string_view tag;
    std::string_view data;
};

// The next chunk of a RIFF body (with its pad byte skipped); none at the end
// or when the chunk claims more than there is.
std::optional<Chunk> NextChunk(Reader& reader, std::string* error) {
    const auto tag = reader.take(4);
    const auto size = reader.u32();
    if (!tag || !size) {
        *error = "a chunk header is cut short";
        return std::nullopt;
    }
    const auto data = reader.take(*size);
    if (!data) {
        *error = "chunk \"" + std::string(*tag) + "\" runs past the end of the file";
        return std::nullopt;
    }
    if (*size % 2 == 1 && reader.left() > 0) {
        reader.skip(1);
    }
    return Chunk{*tag, *data};
}

bool ParseIconImage(std::string_view bytes, CursorImage* image, std::string* error) {
    Reader reader(bytes);
    const auto reserved = reader.u16();
    const auto type = reader.u16();
    const auto count = reader.u16();
    if (!reserved || !type || !count || *reserved != 0 || (*type != 1 && *type != 2) ||
        *count == 0) {
        *error = "a frame is not an icon or cursor image";
        return false;
    }
    // The first entry: width, height, colours, reserved, hot spot x, y, size, offset.
    const auto sizes = reader.take(4);
    const auto hotspotX = reader.u16();
    const auto hotspotY = reader.u16();
    const auto imageBytes = reader.u32();
    const auto imageOffset = reader.u32();
    if (!sizes || !hotspotX || !hotspotY || !imageBytes || !imageOffset) {
        *error = "a frame's image directory is cut short";
        return false;
    }
    if (*imageOffset > bytes.size() || *imageBytes > bytes.size() - *imageOffset) {
        *error = "a frame's image lies outside the frame";
        return false;
    }
    const std::string_view dib = bytes.substr(*imageOffset, *imageBytes);
    if (dib.size() >= 4 && dib.substr(1, 3) == "PNG") {
        *error = "PNG frames are not supported";
        return false;
    }
    Reader header(dib);
    const auto headerSize = header.u32();
    const auto width = header.u32();
    const auto doubledHeight = header.u32();
    const auto planes = header.u16();
    const auto bitCount = header.u16();
    const auto compression = header.u32();
    if (!headerSize || !width || !doubledHeight || !planes || !bitCount || !compression ||
        *headerSize < 40 || *headerSize > dib.size()) {
        *error = "a frame's bitmap header is cut short";
        return false;
    }
    const auto signedWidth = static_cast<std::int32_t>(*width);
    const auto signedHeight = static_cast<std::int32_t>(*doubledHeight) / 2;
    if (signedWidth <= 0 || signedHeight <= 0 || signedWidth > kMaxSide ||
        signedHeight > kMaxSide) {
        *error = "a frame's size is out of range";
        return false;
    }
    if (*compression != 0 || (*bitCount != 32 && *bitCount != 24)) {
        *error = "only uncompressed 24- and 32-bit frames are supported";
        return false;
    }
    const std::size_t w = static_cast<std::size_t>(signedWidth);
    const std::size_t h = static_cast<std::size_t>(signedHeight);
    const std::size_t bytesPerPixel = *bitCount / 8;
    const std::size_t colourStride = (w * bytesPerPixel + 3) / 4 * 4;
    const std::size_t maskStride = (w + 31) / 32 * 4;
    const std::size_t pixelStart = *headerSize;
    if (dib.size() - pixelStart < colourStride * h + maskStride * h) {
        *error = "a frame's pixels are cut short";
        return false;
    }
    const auto* colour = reinterpret_cast<const unsigned char*>(dib.data() + pixelStart);
    const auto* mask = colour + colourStride * h;
    bool anyAlpha = false;
    if (bytesPerPixel == 4) {
        for (std::size_t index = 0; index < h; ++index) {
            for (std::size_t x = 0; x < w; ++x) {
                anyAlpha = anyAlpha || colour[index * colourStride + x * 4 + 3] != 0;
            }
        }
    }
    image->width = signedWidth;
    image->height = signedHeight;
    image->hotspotX = std::min<int>(*hotspotX, signedWidth - 1);
    image->hotspotY = std::min<int>(*hotspotY, signedHeight - 1);
    image->argbPixels.assign(w * h, 0);
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t sourceRow = h - 1 - y;  // bitmaps are stored bottom up
        for (std::size_t x = 0; x < w; ++x) {
            const unsigned char* pixel = colour + sourceRow * colourStride + x * bytesPerPixel;
            const bool transparent =
                (mask[sourceRow * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
            std::uint32_t alpha = anyAlpha ? pixel[3] : (transparent ? 0 : 255);
            if (!anyAlpha && transparent) {
                alpha = 0;
            }
            // Xcursor wants premultiplied ARGB.
            const auto premultiply = [alpha](unsigned char value) {
                return static_cast<std::uint32_t>(value) * alpha / 255;
            };
            image->argbPixels[y * w + x] = (alpha << 24) | (premultiply(pixel[2]) << 16) |
                                           (premultiply(pixel[1]) << 8) | premultiply(pixel[0]);
        }
    }
    return true;
}

}  // namespace

int StepsDurationMs(std::span<const CursorStep> steps) {
    int total = 0;
    for (const auto& step : steps) {
        total += step.delayMs;
    }
    return total;
}

std::size_t AnimatedCursor::stepAt(double part) const {
    const auto last = static_cast<double>(steps.size() - 1);
    return static_cast<std::size_t>(std::lround(std::clamp(part, 0.0, 1.0) * last));
}

bool ParseAnimatedCursor(std::string_view bytes, AnimatedCursor* cursor, std::string* error) {
    std::string ignored;
    if (error == nullptr) {
        error = &ignored;
    }
    Reader file(bytes);
    const auto riff = file.take(4);
    const auto riffSize = file.u32();
    const auto form = file.take(4);
    if (!riff || !riffSize || !form || *riff != "RIFF" || *form != "ACON") {
        *error = "not an animated cursor (RIFF ACON) file";
        return false;
    }
    if (*riffSize < 4 || *riffSize - 4 > file.left()) {
        *error = "the file is shorter than its RIFF header says";
        return false;
    }
    Reader body(bytes.substr(12, *riffSize - 4));
    std::optional<std::string_view> header;
    std::optional<std::string_view> rates;
    std::optional<std::string_view> sequence;
    std::vector<std::string_view> icons;
    while (body.left() >= 8) {
        const auto chunk = NextChunk(body, error);
        if (!chunk) {
            return false;
        }
        if (chunk->tag == "anih") {
            header = chunk->data;
        } else if (chunk->tag == "rate") {
            rates = chunk->data;
        } else if (chunk->tag == "seq ") {
            sequence = chunk->data;
        } else if (chunk->tag == "LIST" && chunk->data.substr(0, 4) == "fram") {
            Reader list(chunk->data.substr(4));
            while (list.left() >= 8) {
                const auto icon = NextChunk(list, error);
                if (!icon) {
                    return false;
                }
                if (icon->tag == "icon") {
                    if (icons.size() == kMaxImages) {
                        *error = "too many frames";
                        return false;
                    }
                    icons.push_back(icon->data);
                }
            }
        }
    }
    if (!header || header->size() < 36) {
        *error = "the \"anih\" header is missing or short";
        return false;
    }
    Reader fields(*header);
    fields.skip(4);
    const std::uint32_t imageCount = *fields.u32();
    const std::uint32_t stepCount = *fields.u32();
    fields.skip(16);
    const std::uint32_t defaultJiffies = *fields.u32();
    const std::uint32_t flags = *fields.u32();
    if ((flags & 1) == 0) {
        *error = "raw (non-icon) frames are not supported";
        return false;
    }
    if (imageCount == 0 || imageCount != icons.size()) {
        *error = "the header's frame count does not match the frames";
        return false;
    }
    const bool sequenced = (flags & 2) != 0 && sequence.has_value();
    const std::size_t steps = sequenced || rates ? stepCount : imageCount;
    if (steps == 0 || steps > kMaxSteps) {
        *error = "the step count is out of range";
        return false;
    }
    if ((sequenced && sequence->size() / 4 < steps) || (rates && rates->size() / 4 < steps)) {
        *error = "the \"seq \" or \"rate\" chunk is shorter than the step count";
        return false;
    }
    if (!sequenced && steps > imageCount) {
        *error = "more steps than frames without a sequence";
        return false;
    }
    AnimatedCursor result;
    for (const auto icon : icons) {
        CursorImage image;
        if (!ParseIconImage(icon, &image, error)) {
            return false;
        }
        result.images.push_back(std::move(image));
    }
    Reader sequenceReader(sequenced ? *sequence : std::string_view());
    Reader rateReader(rates ? *rates : std::string_view());
    for (std::size_t index = 0; index < steps; ++index) {
        const std::uint32_t image = sequenced ? *sequenceReader.u32() : index;
        const std::uint32_t jiffies = rates ? *rateReader.u32() : defaultJiffies;
        if (image >= imageCount) {
            *error = "the sequence names a frame that does not exist";
            return false;
        }
        if (jiffies > 60u * 3600u) {
            *error = "a frame's display time is out of range";
            return false;
        }
        result.steps.push_back({image, static_cast<int>(jiffies * 1000 / 60)});
    }
    *cursor = std::move(result);
    return true;
}

bool ReadAnimatedCursorFile(const std::filesystem::path& path, AnimatedCursor* cursor,
                            std::string* error) {
    std::string ignored;
    if (error == nullptr) {
        error = &ignored;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open " + path.string();
        return false;
    }
    std::string bytes;
    bytes.resize(kMaxFileBytes + 1);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxFileBytes) {
        *error = path.string() + " is too large for a cursor";
        return false;
    }
    if (!ParseAnimatedCursor(bytes, cursor, error)) {
        *error = path.string() + ": " + *error;
        return false;
    }
    return true;
}

const AnimatedCursor* AnimatedCursorCache::load(const std::filesystem::path& path,
                                                std::string* error) {
    std::error_code failed;
    const auto written = std::filesystem::last_write_time(path, failed);
    if (cursor_ && !failed && path == path_ && written == written_) {
        return &*cursor_;
    }
    cursor_.reset();
    AnimatedCursor cursor;
    if (!ReadAnimatedCursorFile(path, &cursor, error)) {
        return nullptr;
    }
    if (cursor.images.empty() || cursor.steps.empty()) {
        if (error != nullptr) {
            *error = "the cursor has no pictures";
        }
        return nullptr;
    }
    path_ = path;
    written_ = written;
    cursor_ = std::move(cursor);
    ++reads_;
    return &*cursor_;
}

}  // namespace veltranix
