#include "app/shell/program_figures.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace veltranix {

namespace {

constexpr long long kFiguresSpanMs = 10000;
constexpr double kFrameRateSpanSeconds = 2.0;

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The text with each "{name}" replaced by its value.
std::string Filled(std::string text,
                   std::initializer_list<std::pair<std::string_view, std::string>> values) {
    for (const auto& [name, value] : values) {
        const std::string placeholder = "{" + std::string(name) + "}";
        for (std::size_t at = text.find(placeholder); at != std::string::npos;
             at = text.find(placeholder, at + value.size())) {
            text.replace(at, placeholder.size(), value);
        }
    }
    return text;
}

}  // namespace

std::optional<DelaySummary> SummariseDelays(std::vector<double> delaysMs) {
    if (delaysMs.empty()) {
        return std::nullopt;
    }
    std::sort(delaysMs.begin(), delaysMs.end());
    double sum = 0.0;
    for (const double ms : delaysMs) {
        sum += ms;
    }
    return DelaySummary{sum / static_cast<double>(delaysMs.size()),
                        delaysMs[delaysMs.size() * 95 / 100], delaysMs.back()};
}

std::string TimingLogText(const std::vector<double>& delaysMs, std::uint64_t framesProcessed) {
    std::ostringstream out;
    out << "frames=" << delaysMs.size() << '\n' << "processed=" << framesProcessed << '\n';
    if (const std::optional<DelaySummary> summary = SummariseDelays(delaysMs)) {
        out << "mean_ms=" << summary->meanMs << '\n'
            << "p95_ms=" << summary->p95Ms << '\n'
            << "max_ms=" << summary->maxMs << '\n';
    }
    return out.str();
}

void FrameRate::frameAt(double steadySeconds) {
    if (!firstSeconds_) {
        firstSeconds_ = steadySeconds;
    }
    frameSeconds_.push_back(steadySeconds);
    while (frameSeconds_.front() < steadySeconds - kFrameRateSpanSeconds) {
        frameSeconds_.pop_front();
    }
}

double FrameRate::perSecond(double steadySeconds) const {
    if (!firstSeconds_) {
        return 0.0;
    }
    const double spanStart = steadySeconds - kFrameRateSpanSeconds;
    const auto frames = std::count_if(frameSeconds_.begin(), frameSeconds_.end(),
                                      [&](double at) { return at >= spanStart; });
    // Right after the start the span is the time since the first frame; a
    // stalled camera reads falling, down to zero.
    const double span = std::min(kFrameRateSpanSeconds, steadySeconds - *firstSeconds_);
    return span > 0.0 ? static_cast<double>(frames) / span : 0.0;
}

void ProgramFigures::start(long long nowMs, double cpuSeconds) {
    frames_.clear();
    cpu_.assign(1, {nowMs, cpuSeconds});
    measuring_ = true;
}

void ProgramFigures::stop() {
    measuring_ = false;
    frames_.clear();
    cpu_.clear();
}

void ProgramFigures::addFrame(long long handedOverMs, double delayMs) {
    frameRate_.frameAt(static_cast<double>(handedOverMs) / 1000.0);
    if (measuring_) {
        frames_.push_back({handedOverMs, delayMs});
        forgetBefore(handedOverMs);
    }
}

void ProgramFigures::forgetBefore(long long nowMs) {
    while (!frames_.empty() && frames_.front().handedOverMs <= nowMs - kFiguresSpanMs) {
        frames_.pop_front();
    }
    // The oldest reading inside the span stays: the share is taken from it.
    while (cpu_.size() > 1 && cpu_[1].atMs <= nowMs - kFiguresSpanMs) {
        cpu_.pop_front();
    }
}

std::vector<std::string> ProgramFigures::Lines(const Lexicon& lexicon, long long nowMs,
                                               double cpuSeconds, std::string_view camera) {
    std::string perSecond = "-";
    std::string cpuShare = "-";
    std::optional<DelaySummary> delays;
    if (measuring_) {
        forgetBefore(nowMs);
        perSecond = OneDecimal(framesPerSecond(nowMs));
        const CpuReading& first = cpu_.front();
        if (nowMs > first.atMs) {
            cpuShare = OneDecimal(100.0 * (cpuSeconds - first.cpuSeconds) * 1000.0 /
                                  static_cast<double>(nowMs - first.atMs));
        }
        cpu_.push_back({nowMs, cpuSeconds});
        std::vector<double> delaysMs;
        for (const Frame& frame : frames_) {
            delaysMs.push_back(frame.delayMs);
        }
        delays = SummariseDelays(std::move(delaysMs));
    }
    return {Filled(lexicon.text(LexiconKey::AboutFrames),
                   {{"fps", perSecond},
                    {"mean", delays ? OneDecimal(delays->meanMs) : "-"},
                    {"p95", delays ? OneDecimal(delays->p95Ms) : "-"}}),
            Filled(lexicon.text(LexiconKey::AboutCpu), {{"cpu", cpuShare}}),
            Filled(lexicon.text(LexiconKey::AboutCamera),
                   {{"camera", camera.empty() ? std::string("-") : std::string(camera)}})};
}

}  // namespace veltranix
