#include "app/shell/manual_eye_window.h"

#include <cmath>
#include <utility>

#include "tracking/template_tracker.h"

namespace veltranix {

namespace {

constexpr double kMaxTiltRadians = 0.17;
constexpr double kMinEyeDistance = 70.0;
constexpr double kMaxEyeDistance = 125.0;
constexpr SkinFont kMessageFont{22, 12, FontWeight::Bold, Underline::No};
constexpr int kMessageY = 45;

double Distance(ScreenPoint a, ScreenPoint b) {
    return std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y));
}

bool InsideImageArea(ScreenPoint point) {
    return kEyeImageArea.left <= point.x && point.x <= kEyeImageArea.right &&
           kEyeImageArea.top <= point.y && point.y <= kEyeImageArea.bottom;
}

EyeLine LineOf(ScreenPoint left, ScreenPoint right) {
    return {left.x, left.y, right.x, right.y};
}

}  // namespace

EyePairResult ValidateEyePair(int leftX, int leftY, int rightX, int rightY) {
    const double dx = leftX - rightX;
    const double dy = leftY - rightY;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (distance == 0.0) {
        return EyePairResult::TooFar;
    }
    const double tilt = std::asin(std::abs(dy) / distance);
    if (kMinEyeDistance < distance && distance < kMaxEyeDistance && tilt <= kMaxTiltRadians) {
        return EyePairResult::Valid;
    }
    if (tilt > kMaxTiltRadians) {
        return EyePairResult::Tilted;
    }
    if (distance < kMinEyeDistance) {
        return EyePairResult::TooFar;
    }
    if (distance > kMaxEyeDistance) {
        return EyePairResult::TooNear;
    }
    return EyePairResult::Undecided;
}

ManualEyeWindow::ManualEyeWindow(ManualEyeActions& actions, const ManualEyePositions& stored)
    : actions_(actions),
      left_{stored.ullEsquerreX, stored.ullEsquerreY},
      right_{stored.ullDretX, stored.ullDretY} {
    // The stored pair counts as confirmed only when it still passes: a
    // store edited by hand must not start tracking from a bad pair.
    Validate();
    eyesConfirmed_ = result_ == EyePairResult::Valid;
    actions_.eyePairConfirmed(eyesConfirmed_);
}

void ManualEyeWindow::Validate() {
    // The marker on the picture's left is the left eye, whichever was moved.
    if (left_.x > right_.x) {
        std::swap(left_, right_);
    }
    result_ = ValidateEyePair(left_.x, left_.y, right_.x, right_.y);
    if (result_ == EyePairResult::Valid && !TemplateAndSearchInsideImage(LineOf(left_, right_))) {
        result_ = EyePairResult::OutsideImage;
    }
}

Repaint ManualEyeWindow::OnPointerMoved(ScreenPoint clientPoint) {
    const bool wasInside = pointer_.has_value();
    pointer_.reset();
    if (InsideImageArea(clientPoint)) {
        pointer_ = clientPoint;
    }
    return wasInside || pointer_ ? Repaint::Needed : Repaint::NotNeeded;
}

void ManualEyeWindow::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (!InsideImageArea(clientPoint)) {
        return;
    }
    markersShown_ = true;
    const bool wasConfirmed = eyesConfirmed_;
    eyesConfirmed_ = false;
    // The nearer marker moves; on a tie, the right one.
    if (Distance(clientPoint, left_) >= Distance(clientPoint, right_)) {
        right_ = clientPoint;
    } else {
        left_ = clientPoint;
    }
    Validate();
    if (result_ == EyePairResult::Valid) {
        eyesConfirmed_ = true;
        actions_.saveEyePositions({right_.x, right_.y, left_.x, left_.y});
        actions_.eyePairConfirmed(true);
    } else if (wasConfirmed) {
        actions_.eyePairConfirmed(false);
    }
}

void ManualEyeWindow::OnShownAgain() {
    markersShown_ = false;
    if (eyesConfirmed_) {
        eyesConfirmed_ = false;
        actions_.eyePairConfirmed(false);
    }
}

void ManualEyeWindow::ClearMarks() {
    OnShownAgain();
}

std::optional<EyeLine> ManualEyeWindow::ConfirmedEyes() const {
    if (!eyesConfirmed_ || result_ != EyePairResult::Valid) {
        return std::nullopt;
    }
    return LineOf(left_, right_);
}

std::optional<Crosshair> ManualEyeWindow::CrosshairView() const {
    if (!pointer_) {
        return std::nullopt;
    }
    const ScreenPoint p = *pointer_;
    return Crosshair{p, {p.x, 90}, {p.x, 395}, {74, p.y}, {570, p.y}};
}

RgbColour ManualEyeWindow::markerColour() const {
    return result_ == EyePairResult::Valid ? kMarkerValidColour : kMarkerRefusedColour;
}

std::optional<SkinText> ManualEyeWindow::Message(const Lexicon& lexicon) const {
    if (!markersShown_) {
        return std::nullopt;
    }
    LexiconKey key = LexiconKey::Pos;
    switch (result_) {
        case EyePairResult::Valid:
            key = LexiconKey::Pos;
            break;
        case EyePairResult::TooNear:
            key = LexiconKey::Near;
            break;
        case EyePairResult::TooFar:
            key = LexiconKey::Far;
            break;
        case EyePairResult::Tilted:
            key = LexiconKey::Tilt;
            break;
        case EyePairResult::OutsideImage:
            key = LexiconKey::EyesEdge;
            break;
        case EyePairResult::Undecided:
            return std::nullopt;
    }
    const std::string& text = lexicon.text(key);
    const int width = kMessageFont.widthPx * static_cast<int>(CharacterCount(text));
    return SkinText{
        text, {(kManualEyeWindowSize.width - width) / 2, kMessageY}, kMessageFont, kTextBlack};
}

}  // namespace veltranix
