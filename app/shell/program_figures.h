#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/lexicon.h"

namespace veltranix {

// Delays from a frame's hand-over by the camera to the pointer's move.
struct DelaySummary {
    double meanMs = 0.0;
    double p95Ms = 0.0;  // the delay at 95 % of the sorted delays
    double maxMs = 0.0;
};

// None without delays.
std::optional<DelaySummary> SummariseDelays(std::vector<double> delaysMs);

// The timing log (VELTRANIX_TIMING_LOG): "frames=", "processed=" and, with
// delays, "mean_ms=", "p95_ms=" and "max_ms=" lines.
std::string TimingLogText(const std::vector<double>& delaysMs, std::uint64_t framesProcessed);

// Frames a second: the frames handled over the last two seconds (over the
// time since the first frame, if shorter), from their steady times in
// ascending order.
class FrameRate {
  public:
    void frameAt(double steadySeconds);
    double perSecond(double steadySeconds) const;

  private:
    std::deque<double> frameSeconds_;
    std::optional<double> firstSeconds_;
};

// The program's own figures: frames a second, counted always (the control
// interface's status reads them too), and for the about window the
// frame-to-pointer delay, the CPU share of one core and the camera. Delays
// and CPU are measured only between start() and stop(), while the window is
// open, over the last ten seconds. GUI thread.
class ProgramFigures {
  public:
    void start(long long nowMs, double cpuSeconds);
    void stop();
    bool measuring() const { return measuring_; }
    // A frame handed over at `handedOverMs` that moved the pointer `delayMs` later.
    void addFrame(long long handedOverMs, double delayMs);
    double framesPerSecond(long long nowMs) const { return frameRate_.perSecond(nowMs / 1000.0); }

    // Three lines in the lexicon's words: frames a second with the delay's
    // mean and 95th percentile, the CPU share, the camera; "-" for a figure
    // not measured yet.
    std::vector<std::string> Lines(const Lexicon& lexicon, long long nowMs, double cpuSeconds,
                                   std::string_view camera);

  private:
    struct Frame {
        long long handedOverMs;
        double delayMs;
    };
    struct CpuReading {
        long long atMs;
        double cpuSeconds;
    };
    void forgetBefore(long long nowMs);

    FrameRate frameRate_;
    bool measuring_ = false;
    std::deque<Frame> frames_;
    std::deque<CpuReading> cpu_;
};

}  // namespace veltranix
