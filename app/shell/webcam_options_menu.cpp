#include "app/shell/webcam_options_menu.h"

#include <algorithm>

namespace veltranix {

namespace {

using enum WebcamControl;

// In hit-test order: mirror, speed, range, pointer mode, buttons, camera.
constexpr std::array<HitCell<WebcamControl>, 15> kControls{{
    {InvertNormal, {163, 13, 311, 101}},
    {InvertMirrored, {441, 13, 590, 101}},
    {Speed1, {163, 127, 277, 170}},
    {Speed2, {320, 127, 433, 170}},
    {Speed3, {477, 127, 590, 170}},
    {Range1, {163, 196, 277, 276}},
    {Range2, {320, 196, 433, 276}},
    {Range3, {477, 196, 590, 276}},
    {ModeDisabled, {12, 301, 144, 342}},
    {ModeRelative, {163, 302, 367, 450}},
    {ModeAbsolute, {388, 302, 590, 450}},
    {Ok, {108, 472, 254, 501}},
    {Cancel, {357, 472, 503, 501}},
    {CameraPrevious, {163, 516, 219, 562}},
    {CameraNext, {534, 516, 590, 562}},
}};

// The camera's name between the two arrows, after the mark of the one in
// use; its characters narrow so that a driver's longest name fits.
constexpr DesignRect kCameraNameBox{256, 518, 526, 560};
constexpr ScreenPoint kCameraInUseMark{229, 528};
constexpr int kCameraNameTop = 530;
constexpr int kCameraNameHeight = 18;
constexpr int kCameraNameWidestCharacter = 10;

constexpr std::array<int, 1> kTimerPeriods{WebcamOptionsMenu::kAnimationPeriodMs};

// The animations of the two pointer modes, 150 x 113 units each.
constexpr int kAnimationWidth = 150;
constexpr int kAnimationHeight = 113;
constexpr ScreenPoint kRelativeAnimation{207, 328};
constexpr ScreenPoint kAbsoluteAnimation{430, 328};

struct RowControls {
    WebcamRow row;
    std::array<std::optional<WebcamControl>, 3> options;
};

constexpr std::array<RowControls, 4> kRows{{
    {WebcamRow::Invertir, {InvertNormal, InvertMirrored, std::nullopt}},
    {WebcamRow::Velocidad, {Speed1, Speed2, Speed3}},
    {WebcamRow::MoveCara, {Range1, Range2, Range3}},
    {WebcamRow::TipoMoveRatoli, {ModeDisabled, ModeRelative, ModeAbsolute}},
}};

// The row and option of a choice control; none for OK and cancel.
std::optional<std::pair<WebcamRow, std::size_t>> OptionOf(WebcamControl control) {
    for (const RowControls& row : kRows) {
        for (std::size_t option = 0; option < row.options.size(); ++option) {
            if (row.options[option] == control) {
                return std::make_pair(row.row, option);
            }
        }
    }
    return std::nullopt;
}

DesignRect DesignOf(WebcamControl control) {
    return kControls[static_cast<std::size_t>(control)].design;
}

// Where the check mark sits inside a selected option.
ScreenPoint CheckMarkOffset(WebcamRow row, std::size_t option) {
    switch (row) {
        case WebcamRow::Invertir:
            return {5, 5};
        case WebcamRow::Velocidad:
        case WebcamRow::MoveCara:
            return {5, 3};
        case WebcamRow::TipoMoveRatoli:
            break;
    }
    return option == 0 ? ScreenPoint{10, 8} : ScreenPoint{9, 8};
}

int NextFrame(int frame) {
    return frame >= WebcamOptionsMenu::kLastAnimationFrame ? WebcamOptionsMenu::kFirstAnimationFrame
                                                           : frame + 1;
}

}  // namespace

std::optional<WebcamControl> WebcamControlAt(ScreenPoint clientPoint, float sizeFactor) {
    return HitTable<WebcamControl>(kControls, sizeFactor).Hit(clientPoint);
}

std::span<const HitCell<WebcamControl>> WebcamControlCells() {
    return kControls;
}

ScreenRect WebcamControlRect(WebcamControl control, float sizeFactor) {
    return ScaleDesignRect(DesignOf(control), sizeFactor);
}

WebcamOptionsMenu::WebcamOptionsMenu(Settings& settings, SettingsPersistence& persistence,
                                     OptionsMenuHost& host, CameraChoicePort* cameras)
    : settings_(settings),
      persistence_(persistence),
      host_(host),
      backup_(settings.webcamChoiceRows),
      cameraPort_(cameras),
      storedCamera_(settings.cameraPath) {
    if (cameraPort_ != nullptr) {
        cameras_ = cameraPort_->listCameras();
    }
    // The row starts at the camera in use, else at the one chosen before.
    const auto& list = cameras_.cameras;
    for (const std::string& path : {cameras_.pathInUse, settings.cameraPath}) {
        const auto found = std::find_if(list.begin(), list.end(),
                                        [&](const CameraChoice& c) { return c.path == path; });
        if (!path.empty() && found != list.end()) {
            cameraIndex_ = static_cast<std::size_t>(found - list.begin());
            break;
        }
    }
}

const CameraChoice* WebcamOptionsMenu::shownCamera() const {
    return cameraIndex_ < cameras_.cameras.size() ? &cameras_.cameras[cameraIndex_] : nullptr;
}

void WebcamOptionsMenu::StepCamera(int step) {
    const int count = static_cast<int>(cameras_.cameras.size());
    if (count == 0) {
        return;
    }
    cameraIndex_ =
        static_cast<std::size_t>(((static_cast<int>(cameraIndex_) + step) % count + count) % count);
    settings_.cameraPath = cameras_.cameras[cameraIndex_].path;
}

std::span<const int> WebcamOptionsMenu::timerPeriodsMs() const {
    return kTimerPeriods;
}

Repaint WebcamOptionsMenu::OnPointerMoved(ScreenPoint clientPoint) {
    const std::optional<WebcamControl> hovered =
        WebcamControlAt(clientPoint, SizeFactor(settings_.sizeFactor));
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

void WebcamOptionsMenu::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (const std::optional<WebcamControl> control =
            WebcamControlAt(clientPoint, SizeFactor(settings_.sizeFactor))) {
        Click(*control);
    }
}

Repaint WebcamOptionsMenu::OnTimer(std::size_t) {
    relativeFrame_ = NextFrame(relativeFrame_);
    absoluteFrame_ = NextFrame(absoluteFrame_);
    return Repaint::Needed;
}

void WebcamOptionsMenu::Click(WebcamControl control) {
    if (closed_) {
        return;
    }
    auto& rows = settings_.webcamChoiceRows;
    if (control == Ok || control == Cancel) {
        closed_ = true;
        if (control == Ok) {
            persistence_.SaveWebcamSettings();
        } else {
            persistence_.LoadWebcamSettings();
        }
        host_.closeOptionsMenu(kind());
        // Another camera than the one in use was chosen.
        if (control == Ok && cameraPort_ != nullptr && settings_.cameraPath != storedCamera_ &&
            settings_.cameraPath != cameras_.pathInUse) {
            cameraPort_->openStoredCamera();
        }
        return;
    }
    if (control == CameraPrevious || control == CameraNext) {
        StepCamera(control == CameraNext ? 1 : -1);
        return;
    }
    const auto [row, option] = *OptionOf(control);
    WebcamChoiceRow& flags = rows[static_cast<std::size_t>(row)];
    if (row != WebcamRow::TipoMoveRatoli) {
        flags.fill(0);
        flags[option] = 1;
        persistence_.ApplyWebcamSettings();
        return;
    }
    if (settings_.pointerMoveMode != 1) {
        backup_ = rows;
    }
    flags.fill(0);
    flags[option] = 1;
    if (option > 0) {
        settings_.pointerMoveMode = static_cast<std::int32_t>(option) + 1;
    } else if (settings_.pointerMoveMode != 1) {
        host_.askBeforeDisablingHeadMovement();
    }
}

void WebcamOptionsMenu::OnClosedFromOutside() {
    if (!closed_) {
        closed_ = true;
        persistence_.LoadWebcamSettings();
    }
}

void WebcamOptionsMenu::OnWarningAnswer(WarningChoice choice) {
    if (choice == WarningChoice::Ok) {
        settings_.pointerMoveMode = 1;
    } else {
        settings_.webcamChoiceRows = backup_;
    }
}

OptionsMenuView WebcamOptionsMenu::View(const Lexicon& lexicon) const {
    const float s = SizeFactor(settings_.sizeFactor);
    OptionsMenuView view;
    view.skin = kWebcamMenuSkin;
    const auto animation = [s](const char* name, int frame, ScreenPoint at) {
        return MenuPicture{
            name + std::to_string(frame),
            ScaleDesignRect({at.x, at.y, at.x + kAnimationWidth, at.y + kAnimationHeight}, s)};
    };
    view.pictures.push_back(animation("RELATIVO", relativeFrame_, kRelativeAnimation));
    view.pictures.push_back(animation("ABSOLUTE", absoluteFrame_, kAbsoluteAnimation));

    for (const RowControls& row : kRows) {
        const WebcamChoiceRow& flags =
            settings_.webcamChoiceRows[static_cast<std::size_t>(row.row)];
        for (std::size_t option = 0; option < row.options.size(); ++option) {
            if (!row.options[option] || flags[option] != 1) {
                continue;
            }
            // "Disabled" is marked by the mode in force, whatever the row says.
            if (row.row == WebcamRow::TipoMoveRatoli && option == 0) {
                continue;
            }
            const DesignRect design = DesignOf(*row.options[option]);
            const ScreenPoint offset = CheckMarkOffset(row.row, option);
            view.checkMarks.push_back(
                CheckMarkAt(design.left + offset.x, design.top + offset.y, s));
        }
    }
    if (settings_.pointerMoveMode == 1) {
        const DesignRect design = DesignOf(ModeDisabled);
        view.checkMarks.push_back(CheckMarkAt(design.left + 10, design.top + 8, s));
    }

    const auto centredText = [&](const std::string& text, double left, double span, double y,
                                 int height, int width, const DesignRect& box) {
        view.texts.push_back(ScaledMenuText(
            text, CentredTextX(left, span, CharacterCount(text), width), y, height, width, box, s));
    };
    const auto centred = [&](LexiconKey key, double left, double span, double y, int height,
                             int width, const DesignRect& box) {
        centredText(lexicon.text(key), left, span, y, height, width, box);
    };
    centred(LexiconKey::Disabled, 40, 104, 315, 15, 7, {40, 301, 144, 342});
    centred(LexiconKey::Relative, 208, 148, 310, 15, 7, {208, 302, 356, 328});
    centred(LexiconKey::Absolute, 431, 148, 310, 15, 7, {431, 302, 579, 328});
    centred(LexiconKey::Ok, 109, 146, 480, 20, 15, DesignOf(Ok));
    centred(LexiconKey::Cancel, 356, 148, 480, 20, 15, DesignOf(Cancel));

    const CameraChoice* camera = shownCamera();
    if (camera != nullptr && camera->path == cameras_.pathInUse) {
        view.checkMarks.push_back(CheckMarkAt(kCameraInUseMark.x, kCameraInUseMark.y, s));
    }
    const std::string& name = camera != nullptr ? camera->name : lexicon.text(LexiconKey::NoCamera);
    const int span = kCameraNameBox.right - kCameraNameBox.left;
    const int width =
        std::clamp(span / static_cast<int>(std::max<std::size_t>(CharacterCount(name), 1)), 1,
                   kCameraNameWidestCharacter);
    centredText(name, kCameraNameBox.left, span, kCameraNameTop, kCameraNameHeight, width,
                kCameraNameBox);

    if (hovered_) {
        view.outlines.push_back({WebcamControlRect(*hovered_, s)});
    }
    return view;
}

}  // namespace veltranix
