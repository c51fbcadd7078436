#include "tracking/stats_log.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "core/timing.h"

namespace veltranix {

namespace {

constexpr float kSecondsPerDay = 86400.0f;

void AppendToFile(const std::filesystem::path& file, const std::string& text) {
    std::FILE* stream = std::fopen(file.c_str(), "ab");
    if (stream == nullptr) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fclose(stream);
}

}  // namespace

CalendarDate SystemCalendar::utcDate() const {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    const std::chrono::year_month_day date{today};
    return {static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(static_cast<unsigned>(date.month())), static_cast<int>(date.year())};
}

std::string StatsFileName(const CalendarDate& date, const SystemTime& time) {
    char name[64];
    std::snprintf(name, sizeof name, "%d_%d_%d__%d-%d-%d-%d.txt", date.day, date.month, date.year,
                  time.hour, time.minute, time.second, time.millisecond);
    return name;
}

std::string_view FrameFormatLabel(FrameLayout layout) {
    switch (layout) {
        case FrameLayout::Rgb24BottomUp:
            return "640x480 RGB";
        case FrameLayout::I420:
            return "640x480 YUV420";
        case FrameLayout::Yuy2:
            return "640x480 YUV400";
    }
    return "";
}

std::string StatsHeader(std::string_view frameFormatLabel, const SystemInformation& system) {
    // "Resolució" and "Memòria" with o-acute (0xF3) and o-grave (0xF2).
    const std::string label(frameFormatLabel);
    const std::string format =
        "Resoluci\xF3: %s\nSystema Op: %s\nTipo: %s\nNum Pro: %u\nMem\xF2ria RAM:  %u MB\n\n"
        "Temps  Dist_Ulls  nUll  nBoca Ull_sum  Boca_sum  X  Y  Tclic\n";
    const int length =
        std::snprintf(nullptr, 0, format.c_str(), label.c_str(), system.operatingSystemName.c_str(),
                      system.processorBrand.c_str(), system.processorCount, system.memoryMegabytes);
    std::string header(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(header.data(), header.size(), format.c_str(), label.c_str(),
                  system.operatingSystemName.c_str(), system.processorBrand.c_str(),
                  system.processorCount, system.memoryMegabytes);
    header.pop_back();
    return header;
}

std::string StatsLine(const StatsLineValues& values) {
    char line[160];
    std::snprintf(line, sizeof line, "%.2lf %d %d %d %d %d %d %d %d\n", values.elapsedSeconds,
                  values.interocularDistance, values.eyeThreshold, values.mouthThreshold,
                  values.eyeActivity, values.mouthActivity, values.pointerX, values.pointerY,
                  values.gestureKind);
    return line;
}

std::optional<std::filesystem::path> PrepareStatsFolder(const ProgramFolder& folder,
                                                        const StatsFolderLocations& locations) {
    return PrepareWritableFolder(folder, locations, "Statas");
}

float SecondsSinceMidnight(const SystemTime& time) {
    const long milliseconds =
        time.hour * 3600000L + time.minute * 60000L + time.second * 1000L + time.millisecond;
    return static_cast<float>(milliseconds) / 1000.0f;
}

StatsLog::StatsLog(StatsLogPorts ports, std::string_view debugSwitch,
                   std::optional<std::filesystem::path> folder)
    : ports_(ports), enabled_(debugSwitch == "si"), folder_(std::move(folder)) {}

void StatsLog::WriteHeader(FrameLayout layout) {
    if (!enabled_ || !folder_) {
        return;
    }
    const SystemTime time = ports_.clock.utcNow();
    const CalendarDate date = ports_.calendar.utcDate();
    startSeconds_ = SecondsSinceMidnight(time);
    file_ = *folder_ / StatsFileName(date, time);
    AppendToFile(*file_, StatsHeader(FrameFormatLabel(layout), ports_.system.systemInformation()));
}

void StatsLog::WriteLine(int interocularDistance, int eyeThreshold, int mouthThreshold,
                         int eyeActivity, int mouthActivity, ScreenPoint pointer, int gestureKind) {
    if (!enabled_ || !file_) {
        return;
    }
    float elapsed = SecondsSinceMidnight(ports_.clock.utcNow()) - startSeconds_;
    if (elapsed < 0.0f) {
        // Past midnight: the readings carry no date, the day rolled over.
        elapsed += kSecondsPerDay;
    }
    AppendToFile(*file_,
                 StatsLine({elapsed, interocularDistance, eyeThreshold, mouthThreshold, eyeActivity,
                            mouthActivity, pointer.x, pointer.y, gestureKind}));
}

void StatsLogStage::writeLine(const StatisticsLine& line) {
    if (log_ == nullptr) {
        return;
    }
    log_->WriteLine(line.interocularDistance, settings_.eyeThreshold, settings_.mouthThreshold,
                    TruncateTowardZero(line.eyeActivity.value_or(0.0)),
                    TruncateTowardZero(line.mouthActivity.value_or(0.0)), line.pointer,
                    line.gestureKind);
}

}  // namespace veltranix
