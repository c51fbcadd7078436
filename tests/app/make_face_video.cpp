// Writes a video of the photographed face for the replay tool's test: still
// for STILL frames (140 unless given), then a slow sideways path; scaled to
// WIDTHxHEIGHT when given (any size, one pixel wide included).
#include <cstdio>
#include <cstdlib>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "tests/support/face_sequence.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: make_face_video OUT.avi FRAMES [STILL [WIDTHxHEIGHT]]\n");
        return 2;
    }
    const int frames = std::atoi(argv[2]);
    const int still = argc >= 4 ? std::atoi(argv[3]) : 140;
    cv::Size size(640, 480);
    if (argc == 5 && std::sscanf(argv[4], "%dx%d", &size.width, &size.height) != 2) {
        std::fprintf(stderr, "make_face_video: bad size %s\n", argv[4]);
        return 2;
    }
    // OpenCV's own MJPG writer, unlike FFmpeg's, writes pictures of any size.
    cv::VideoWriter writer(argv[1], argc == 5 ? cv::CAP_OPENCV_MJPEG : cv::CAP_ANY,
                           cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25.0, size);
    if (!writer.isOpened()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    const veltranix::testing::FaceSequence faces;
    cv::Mat scaled;
    for (int frame = 0; frame < frames; ++frame) {
        const double offsetX = frame < still ? 0.0 : (frame - still) * 1.5;
        const cv::Mat picture =
            faces.renderBgr({offsetX, 0.0, 1.5, static_cast<std::uint32_t>(frame + 1)});
        if (picture.size() == size) {
            writer.write(picture);
        } else {
            cv::resize(picture, scaled, size, 0, 0, cv::INTER_AREA);
            writer.write(scaled);
        }
    }
    return 0;
}
