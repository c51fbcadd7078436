#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "capture/capture_frame.h"

namespace cv {
class VideoCapture;
}

namespace veltranix {

// Makes a camera picture of any size into a 640 x 480 blue-green-red frame:
// the largest centred 4:3 part, scaled. Grey and four-channel pictures are
// taken as well. Returns an empty string, or why the picture cannot be used
// (empty, or too small to hold a 4:3 part of at least one pixel).
std::string CropToCameraFrame(const cv::Mat& picture, cv::Mat& frame);

// How a video file's pictures are turned to be shown upright.
enum class PictureTurn { Upright, QuarterClockwise, HalfTurn, QuarterAnticlockwise };

// Takes the turning of a just-opened video's pictures over from the reader
// and returns the turn its rotation flag asks for (None when the reader
// cannot leave the turning to us). OpenCV 4.6 turns pictures flagged with a
// quarter turn the wrong way, upside down.
PictureTurn TakeOverPictureTurn(cv::VideoCapture& video);
// The picture turned (`turned` shares `stored`'s pixels when there is no turn).
void TurnPicture(const cv::Mat& stored, cv::Mat& turned, PictureTurn turn);

// Writes a 640 x 480 blue-green-red frame (top row first) into `bytes` in a
// capture layout; `bytes` is resized to the layout's size.
void BgrToLayout(const cv::Mat& bgr, FrameLayout layout, std::vector<std::uint8_t>& bytes);

// Writes a 320 x 240 I420 picture (its Y, U and V planes one after another)
// into `bytes` in the I420 layout at 640 x 480, every sample doubled both
// ways: the cheap path for pictures of exactly half the frame's size, such
// as the demo's.
void DoubleHalfSizeI420(const std::uint8_t* half, std::vector<std::uint8_t>& bytes);

// The same for a 320 x 240 blue-green-red picture (top row first). `planar`
// is scratch space, kept by the caller between pictures.
void HalfSizeBgrToI420(const cv::Mat& bgr, cv::Mat& planar, std::vector<std::uint8_t>& bytes);

}  // namespace veltranix
