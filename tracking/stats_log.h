#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "capture/capture_frame.h"
#include "core/clock.h"
#include "core/program_folder.h"
#include "core/system_information_port.h"
#include "core/writable_folder.h"
#include "settings/settings.h"
#include "tracking/track_stages.h"

namespace veltranix {

// The UTC calendar date; the statistics log names its file after it.
struct CalendarDate {
    int day = 1;
    int month = 1;
    int year = 1970;
};

// Any thread.
class CalendarPort {
  public:
    virtual ~CalendarPort() = default;
    virtual CalendarDate utcDate() const = 0;
};

// The date of the system clock.
class SystemCalendar : public CalendarPort {
  public:
    CalendarDate utcDate() const override;
};

// "5_12_2026__14-7-9-45.txt" for 5 December 2026, 14:07:09.045 UTC.
std::string StatsFileName(const CalendarDate& date, const SystemTime& time);

// The frame format as the log's header names it.
std::string_view FrameFormatLabel(FrameLayout layout);

// The header, in Windows-1252 (its two accented letters are single bytes).
std::string StatsHeader(std::string_view frameFormatLabel, const SystemInformation& system);

// One line: elapsed seconds, eye distance, the two thresholds, the first eye's
// and the mouth's activity, the pointer and the trigger (-1 none, 0 eyes,
// 1 mouth, 2 dwell).
struct StatsLineValues {
    double elapsedSeconds = 0.0;
    int interocularDistance = 0;
    int eyeThreshold = 0;
    int mouthThreshold = 0;
    int eyeActivity = 0;
    int mouthActivity = 0;
    int pointerX = 0;
    int pointerY = 0;
    int gestureKind = -1;
};
std::string StatsLine(const StatsLineValues& values);

// Where the log's folder may live besides the program's folder.
using StatsFolderLocations = UserDataLocations;

// The "Statas" folder, created when missing: beside the program when its
// folder is writable, else $XDG_DATA_HOME/veltranix/Statas (with
// ~/.local/share when XDG_DATA_HOME is unset or relative). None when
// neither can be created and written.
std::optional<std::filesystem::path> PrepareStatsFolder(const ProgramFolder& folder,
                                                        const StatsFolderLocations& locations);

// Seconds since midnight of a reading, in single precision.
float SecondsSinceMidnight(const SystemTime& time);

struct StatsLogPorts {
    Clock& clock;
    const CalendarPort& calendar;
    const SystemInformationPort& system;
};

// The tracking statistics log: one file per program run with a header that
// describes the machine and one line per tracking frame. Written only when
// the debug switch of config.ini is exactly "si". The file is opened and
// closed for every line; a line that cannot be written is lost silently and
// the next one tries again. GUI thread.
class StatsLog {
  public:
    // `folder`: where the files go (see PrepareStatsFolder); none: nothing
    // is written.
    StatsLog(StatsLogPorts ports, std::string_view debugSwitch,
             std::optional<std::filesystem::path> folder);

    bool enabled() const { return enabled_; }
    // Starts the run's file: names it after the time of this call and writes
    // the header.
    void WriteHeader(FrameLayout layout);
    // One tracking frame's line; nothing before the header.
    void WriteLine(int interocularDistance, int eyeThreshold, int mouthThreshold, int eyeActivity,
                   int mouthActivity, ScreenPoint pointer, int gestureKind);
    const std::optional<std::filesystem::path>& file() const { return file_; }

  private:
    StatsLogPorts ports_;
    bool enabled_ = false;
    std::optional<std::filesystem::path> folder_;
    std::optional<std::filesystem::path> file_;
    float startSeconds_ = 0.0f;
};

// The statistics stage of the tracking loop: writes the frame's line.
class StatsLogStage : public StatisticsStage {
  public:
    StatsLogStage(StatsLog* log, const Settings& settings) : log_(log), settings_(settings) {}
    void writeLine(const StatisticsLine& line) override;
    void setLog(StatsLog* log) { log_ = log; }

  private:
    StatsLog* log_;
    const Settings& settings_;
};

}  // namespace veltranix
