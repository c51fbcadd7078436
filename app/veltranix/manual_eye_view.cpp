#include "app/veltranix/manual_eye_view.h"

#include "capture/frame_drawing.h"

namespace veltranix {

namespace {

constexpr FrameColour kGuideValid{0, 255, 0};
constexpr FrameColour kGuideRefused{255, 0, 0};

}  // namespace

ManualEyeView::ManualEyeView(Settings& settings, const Lexicon& lexicon, SkinLibrary& skins,
                             std::function<void(bool)> eyePairConfirmed)
    : settings_(settings),
      lexicon_(lexicon),
      skins_(skins),
      confirmed_(std::move(eyePairConfirmed)) {}

ManualEyeView::~ManualEyeView() {
    delete widget_.data();
}

void ManualEyeView::open(const ScreenRect& rect) {
    active_ = true;
    stillWanted_ = true;
    if (widget_ && logic_) {
        logic_->OnShownAgain();
    } else {
        const ManualEyePositions stored =
            persistence_ != nullptr ? persistence_->LoadManualEyePositions() : ManualEyePositions{};
        logic_ = std::make_unique<ManualEyeWindow>(*this, stored);
        widget_ = new ManualEyeWidget(*logic_, lexicon_, skins_);
    }
    widget_->Place(rect);
    widget_->show();
    widget_->raise();
    widget_->update();
}

void ManualEyeView::hideForMenu() {
    if (widget_) {
        widget_->hide();
    }
}

void ManualEyeView::close() {
    stillWanted_ = false;
    if (widget_) {
        widget_->close();
        // Deleted later: the close may come from a click on the window.
        widget_->deleteLater();
        widget_ = nullptr;
    }
    if (logic_ && logic_->eyesConfirmed()) {
        confirmed_(false);
    }
    logic_.reset();
}

void ManualEyeView::leave() {
    close();
    active_ = false;
}

void ManualEyeView::offerFrame(const CaptureFrame& frame) {
    if (stillWanted_ && widget_) {
        stillWanted_ = false;
        widget_->SetStillFrame(frame);
    }
}

void ManualEyeView::drawGuides(CaptureFrame& frame) const {
    if (!logic_ || !logic_->markersShown()) {
        return;
    }
    const FrameColour colour =
        logic_->result() == EyePairResult::Valid ? kGuideValid : kGuideRefused;
    for (const ScreenPoint eye : {logic_->leftMarker(), logic_->rightMarker()}) {
        FillFrameRect(frame, eye.x - kMarkerArmPixels, eye.y, eye.x + kMarkerArmPixels, eye.y + 1,
                      colour);
        FillFrameRect(frame, eye.x, eye.y - kMarkerArmPixels, eye.x + 1, eye.y + kMarkerArmPixels,
                      colour);
    }
}

bool ManualEyeView::bothEyesMarked() const {
    return logic_ && logic_->ConfirmedEyes().has_value();
}

void ManualEyeView::clearMarks() {
    if (logic_) {
        logic_->ClearMarks();
    }
    if (widget_) {
        widget_->update();
    }
}

void ManualEyeView::startTracking() {
    if (!logic_ || loop_ == nullptr) {
        return;
    }
    const std::optional<EyeLine> eyes = logic_->ConfirmedEyes();
    if (!eyes) {
        return;
    }
    // Hand-placed eyes are not undone by the automatic adjustment.
    settings_.autoAjuste = false;
    loop_->startWithEyes(*eyes);
}

void ManualEyeView::saveEyePositions(const ManualEyePositions& positions) {
    if (persistence_ != nullptr) {
        persistence_->SaveManualEyePositions(positions);
    }
}

void ManualEyeView::eyePairConfirmed(bool confirmed) {
    if (confirmed_) {
        confirmed_(confirmed);
    }
}

}  // namespace veltranix
