#include "app/replay/clip_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <opencv2/imgproc.hpp>

#include "capture/capture_frame.h"

namespace veltranix {

namespace {

// The marks are accurate to about 0.2 s.
constexpr double kMarkSlackSeconds = 0.2;
constexpr double kCatchSeconds = 1.0;

bool IsDeliberate(const std::string& kind) {
    return kind == "eyes_closed_deliberate" || kind == "mouth_open";
}

GestureClick ClickOf(const std::string& kind) {
    return kind == "mouth_open" ? GestureClick::Mouth : GestureClick::Eye;
}

std::vector<std::string> SplitRow(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ',')) {
        if (!cell.empty() && cell.back() == '\r') {
            cell.pop_back();
        }
        cells.push_back(cell);
    }
    return cells;
}

std::optional<double> ParseDouble(const std::string& text) {
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(value)) {
            return std::nullopt;
        }
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The rows of a list whose first cell is `clip`, header skipped.
std::optional<std::vector<std::vector<std::string>>> RowsOf(const std::string& file,
                                                            const std::string& clip,
                                                            std::string& problem) {
    std::ifstream in(file);
    if (!in) {
        problem = "cannot read " + file;
        return std::nullopt;
    }
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> cells = SplitRow(line);
        if (!cells.empty() && cells[0] == clip) {
            rows.push_back(std::move(cells));
        }
    }
    return rows;
}

bool Within(double seconds, const ClipEvent& event, double after) {
    return seconds >= event.startSeconds - kMarkSlackSeconds &&
           seconds <= std::max(event.endSeconds, event.startSeconds + after) + kMarkSlackSeconds;
}

}  // namespace

std::vector<ClipEvent> ReadClipEvents(const std::string& file, const std::string& clip,
                                      std::string& problem) {
    const auto rows = RowsOf(file, clip, problem);
    std::vector<ClipEvent> events;
    if (!rows) {
        return events;
    }
    for (const std::vector<std::string>& cells : *rows) {
        const std::optional<double> start =
            cells.size() == 4 ? ParseDouble(cells[1]) : std::nullopt;
        const std::optional<double> end = cells.size() == 4 ? ParseDouble(cells[2]) : std::nullopt;
        if (!start || !end || *end < *start) {
            problem = file + ": a malformed row for " + clip;
            return {};
        }
        events.push_back({*start, *end, cells[3]});
    }
    return events;
}

std::optional<ClipPlacement> ReadClipPlacement(const std::string& file, const std::string& clip,
                                               std::string& problem) {
    const auto rows = RowsOf(file, clip, problem);
    if (!rows) {
        return std::nullopt;
    }
    if (rows->size() != 1 || (*rows)[0].size() != 3) {
        problem = file + ": no single row for " + clip;
        return std::nullopt;
    }
    const std::optional<double> height = ParseDouble((*rows)[0][1]);
    const std::optional<double> top = ParseDouble((*rows)[0][2]);
    if (!height || !top || *height < 16 || *height > kFrameHeight || *top < 0 ||
        *top + *height > kFrameHeight) {
        problem = file + ": the row for " + clip + " does not fit a 640 x 480 picture";
        return std::nullopt;
    }
    return ClipPlacement{static_cast<int>(*height), static_cast<int>(*top)};
}

void PlaceClipPicture(const cv::Mat& picture, const ClipPlacement& placement, cv::Mat& frame) {
    frame.create(kFrameHeight, kFrameWidth, CV_8UC3);
    frame.setTo(cv::Scalar(128, 128, 128));
    const int width =
        std::max(1, static_cast<int>(std::lround(static_cast<double>(picture.cols) *
                                                 placement.heightPx / std::max(1, picture.rows))));
    cv::Mat scaled;
    cv::resize(picture, scaled, cv::Size(width, placement.heightPx), 0, 0, cv::INTER_AREA);
    // A picture wider than the frame keeps its middle.
    const int shown = std::min(width, kFrameWidth);
    const cv::Rect from((width - shown) / 2, 0, shown, placement.heightPx);
    const cv::Rect to((kFrameWidth - shown) / 2, placement.topPx, shown, placement.heightPx);
    scaled(from).copyTo(frame(to));
}

int ClipScore::caught() const {
    return static_cast<int>(
        std::count_if(deliberate.begin(), deliberate.end(),
                      [](const auto& result) { return result.caughtAtSeconds; }));
}

double ClipScore::largestMovePx() const {
    double largest = 0.0;
    for (const DeliberateResult& result : deliberate) {
        largest = std::max(largest, result.largestMovePx);
    }
    return largest;
}

ClipScore ScoreClip(const std::vector<ReplayedFrame>& frames,
                    const std::vector<ClipEvent>& events) {
    ClipScore score;
    for (const ReplayedFrame& frame : frames) {
        if (frame.tracking && !score.trackingFromSeconds) {
            score.trackingFromSeconds = frame.clipSeconds;
        }
        if (frame.click == GestureClick::None) {
            continue;
        }
        bool inside = false;
        bool talking = false;
        bool blinking = false;
        for (const ClipEvent& event : events) {
            if (IsDeliberate(event.kind)) {
                inside = inside || Within(frame.clipSeconds, event, kCatchSeconds);
            } else if (event.kind == "talking") {
                talking = talking || Within(frame.clipSeconds, event, 0.0);
            } else if (event.kind == "blink") {
                blinking = blinking || Within(frame.clipSeconds, event, 0.0);
            }
        }
        ++(inside ? score.clicksInside : score.clicksOutside);
        score.clicksTalking += !inside && talking ? 1 : 0;
        score.clicksBlinking += !inside && blinking ? 1 : 0;
    }
    const int passes = frames.empty() ? 0 : frames.back().pass + 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (const ClipEvent& event : events) {
            if (!IsDeliberate(event.kind)) {
                continue;
            }
            const auto at = [&](double seconds) {
                return std::find_if(frames.begin(), frames.end(), [&](const ReplayedFrame& f) {
                    return f.pass == pass && f.clipSeconds >= seconds;
                });
            };
            const auto start = at(event.startSeconds);
            if (start == frames.end() || !start->tracking) {
                continue;  // not seen while tracking
            }
            DeliberateResult result{pass, event, std::nullopt, 0.0};
            const auto from = start;
            std::optional<ScreenPoint> reference;
            for (auto frame = from; frame != frames.end() && frame->pass == pass; ++frame) {
                const bool inCatch = frame->clipSeconds <= event.startSeconds + kCatchSeconds &&
                                     frame->clipSeconds >= event.startSeconds - kCatchSeconds;
                if (frame->pointer) {
                    if (!reference) {
                        reference = frame->pointer;
                    }
                    result.largestMovePx = std::max(result.largestMovePx,
                                                    std::hypot(frame->pointer->x - reference->x,
                                                               frame->pointer->y - reference->y));
                }
                if (inCatch && frame->click == ClickOf(event.kind)) {
                    result.caughtAtSeconds = frame->clipSeconds;
                    break;
                }
                if (frame->clipSeconds >
                    std::max(event.endSeconds, event.startSeconds + kCatchSeconds)) {
                    break;
                }
            }
            score.deliberate.push_back(result);
        }
    }
    return score;
}

std::string DescribeScore(const ClipScore& score) {
    std::string text;
    char line[200];
    if (score.trackingFromSeconds) {
        std::snprintf(line, sizeof line, "tracking from: %.2f s\n", *score.trackingFromSeconds);
    } else {
        std::snprintf(line, sizeof line, "tracking from: never\n");
    }
    text += line;
    std::snprintf(line, sizeof line,
                  "gesture clicks: inside deliberate events %d, outside %d (talking %d, blinks "
                  "%d)\n",
                  score.clicksInside, score.clicksOutside, score.clicksTalking,
                  score.clicksBlinking);
    text += line;
    std::snprintf(line, sizeof line, "deliberate events caught: %d of %zu\n", score.caught(),
                  score.deliberate.size());
    text += line;
    for (const DeliberateResult& result : score.deliberate) {
        if (result.caughtAtSeconds) {
            std::snprintf(line, sizeof line,
                          "event pass %d %.2f-%.2f s %s: caught at %.2f s, pointer moved %.1f px\n",
                          result.pass + 1, result.event.startSeconds, result.event.endSeconds,
                          result.event.kind.c_str(), *result.caughtAtSeconds, result.largestMovePx);
        } else {
            std::snprintf(line, sizeof line,
                          "event pass %d %.2f-%.2f s %s: missed, pointer moved %.1f px\n",
                          result.pass + 1, result.event.startSeconds, result.event.endSeconds,
                          result.event.kind.c_str(), result.largestMovePx);
        }
        text += line;
    }
    std::snprintf(line, sizeof line, "largest pointer movement in a gesture: %.1f px\n",
                  score.largestMovePx());
    text += line;
    return text;
}

}  // namespace veltranix
