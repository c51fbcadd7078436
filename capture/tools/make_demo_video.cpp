// Writes the demonstration video laid beside the program (demo/demo.avi):
// the synthetic face still for calibration, then slow head movements, a
// pause, a blink, a mouth opening and rest. MJPG in AVI, 25 frames a second,
// at half the camera's size: the program doubles it back, which costs far
// less than decoding a full-size picture 25 times a second.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "capture/synthetic_face.h"

namespace veltranix {
namespace {

constexpr double kFramesPerSecond = 25.0;
constexpr int kTotalFrames = 35 * 25;
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
    const int written = static_cast<int>(script.scenes().size());
    if (written < kTotalFrames) {
        script.hold(kTotalFrames - written);
    }
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
    partial += ".partial.avi";
    cv::VideoWriter writer(partial.string(), cv::CAP_FFMPEG,
                           cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), kFramesPerSecond,
                           cv::Size(kFrameWidth / 2, kFrameHeight / 2));
    if (!writer.isOpened()) {
        std::fprintf(stderr, "make_demo_video: cannot write %s\n", partial.c_str());
        return 1;
    }
    cv::Mat half;
    for (const FaceScene& scene : DemoScenes()) {
        cv::resize(face->renderBgr(scene), half, cv::Size(kFrameWidth / 2, kFrameHeight / 2), 0, 0,
                   cv::INTER_AREA);
        writer.write(half);
    }
    writer.release();
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
        std::fprintf(stderr, "usage: make_demo_video PHOTOGRAPH OUT.avi\n");
        return 2;
    }
    return veltranix::Run(argv[1], argv[2]);
}
