// Writes the demonstration video laid beside the program (demo/demo.y4m):
// the synthetic face still for calibration, then slow head movements, a
// pause, a blink, a mouth opening and 2 s of rest. Uncompressed YUV4MPEG2
// 4:2:0, 25 frames a second, at half the camera's size: the program reads
// the planes as a webcam delivers them and doubles them, with no decoding
// and no colour conversion while it plays.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "capture/synthetic_face.h"

namespace veltranix {
namespace {

constexpr int kRestFrames = 2 * 25;
constexpr double kNoiseSigma = 1.0;
constexpr double kPixelsPerFrame = 2.0;

class Script {
  public:
    // The face resting where it is for `frames` frames.
    void hold(int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            add(current_);
        }
    }
    // The face sliding to offset (x, y) at `kPixelsPerFrame`.
    void moveTo(double x, double y) {
        while (current_.offsetX != x || current_.offsetY != y) {
            current_.offsetX = Step(current_.offsetX, x);
            current_.offsetY = Step(current_.offsetY, y);
            add(current_);
        }
    }
    void blink(const std::vector<int>& lidPath) {
        for (const int down : lidPath) {
            FaceScene scene = current_;
            scene.firstLidDown = down;
            scene.secondLidDown = down;
            add(scene);
        }
    }
    void openMouth(const std::vector<int>& jawPath) {
        for (const int opening : jawPath) {
            FaceScene scene = current_;
            scene.mouthOpening = opening;
            add(scene);
        }
    }
    const std::vector<FaceScene>& scenes() const { return scenes_; }

  private:
    static double Step(double from, double to) {
        if (from < to) {
            return from + kPixelsPerFrame < to ? from + kPixelsPerFrame : to;
        }
        return from - kPixelsPerFrame > to ? from - kPixelsPerFrame : to;
    }
    void add(FaceScene scene) {
        scene.noiseSigma = kNoiseSigma;
        scene.noiseSeed = static_cast<std::uint32_t>(scenes_.size() + 1);
        scenes_.push_back(scene);
    }
    FaceScene current_;
    std::vector<FaceScene> scenes_;
};

std::vector<FaceScene> DemoScenes() {
    Script script;
    // Detection warms up over 21 frames; calibration wants about 1 s to
    // settle and 3 s of a steady face.
    script.hold(150);
    // Right, left, up and down in the picture, each back to the middle.
    // In the absolute mode these reach about halfway to the screen's edges.
    const std::pair<double, double> path[] = {{30.0, 0.0},  {0.0, 0.0}, {-30.0, 0.0}, {0.0, 0.0},
                                              {0.0, -20.0}, {0.0, 0.0}, {0.0, 20.0},  {0.0, 0.0}};
    for (const auto& [x, y] : path) {
        script.moveTo(x, y);
        script.hold(15);
    }
    script.hold(65);
    script.blink({6, 12, 18, 18, 18, 18, 12, 6, 0});
    script.hold(50);
    script.openMouth({4, 8, 12, 16, 16, 16, 16, 16, 16, 16, 16, 12, 8, 4, 0});
    script.hold(kRestFrames);
    return script.scenes();
}

int Run(const std::filesystem::path& photograph, const std::filesystem::path& output) {
    const std::optional<SyntheticFace> face = SyntheticFace::Load(photograph);
    if (!face) {
        std::fprintf(stderr, "make_demo_video: cannot read the photograph %s\n",
                     photograph.c_str());
        return 1;
    }
    std::filesystem::path partial = output;
    partial += ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_demo_video: cannot write %s\n", partial.c_str());
        return 1;
    }
    constexpr int kHalfWidth = kFrameWidth / 2;
    constexpr int kHalfHeight = kFrameHeight / 2;
    bool written = std::fprintf(file, "YUV4MPEG2 W%d H%d F25:1 Ip A1:1 C420jpeg\n", kHalfWidth,
                                kHalfHeight) > 0;
    cv::Mat half;
    cv::Mat planes;
    for (const FaceScene& scene : DemoScenes()) {
        cv::resize(face->renderBgr(scene), half, cv::Size(kHalfWidth, kHalfHeight), 0, 0,
                   cv::INTER_AREA);
        cv::cvtColor(half, planes, cv::COLOR_BGR2YUV_I420);
        const std::size_t bytes = planes.total() * planes.elemSize();
        written = written && std::fputs("FRAME\n", file) >= 0 &&
                  std::fwrite(planes.ptr<std::uint8_t>(0), 1, bytes, file) == bytes;
    }
    written = std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "make_demo_video: cannot write %s\n", partial.c_str());
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return 1;
    }
    std::error_code error;
    std::filesystem::rename(partial, output, error);
    if (error) {
        std::fprintf(stderr, "make_demo_video: cannot rename %s: %s\n", partial.c_str(),
                     error.message().c_str());
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace veltranix

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_video PHOTOGRAPH OUT.y4m\n");
        return 2;
    }
    return veltranix::Run(argv[1], argv[2]);
}
