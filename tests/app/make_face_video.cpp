// Writes a video of the photographed face for the replay tool's test: still
// for STILL frames (140 unless given), then a slow sideways path.
#include <cstdio>
#include <cstdlib>

#include <opencv2/videoio.hpp>

#include "tests/support/face_sequence.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_face_video OUT.avi FRAMES [STILL]\n");
        return 2;
    }
    const int frames = std::atoi(argv[2]);
    const int still = argc == 4 ? std::atoi(argv[3]) : 140;
    cv::VideoWriter writer(argv[1], cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25.0,
                           cv::Size(640, 480));
    if (!writer.isOpened()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    const veltranix::testing::FaceSequence faces;
    for (int frame = 0; frame < frames; ++frame) {
        const double offsetX = frame < still ? 0.0 : (frame - still) * 1.5;
        writer.write(faces.renderBgr({offsetX, 0.0, 1.5, static_cast<std::uint32_t>(frame + 1)}));
    }
    return 0;
}
