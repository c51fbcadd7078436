#include "app/shell/system_options_menu.h"

#include <array>

namespace veltranix {

namespace {

using enum SystemControl;

// In hit-test order: language, sound, size, automatic pause, reset,
// buttons, start at log-on.
constexpr std::array<HitCell<SystemControl>, 15> kControls{{
    {LanguageNext, {178, 32, 200, 65}},
    {LanguagePrevious, {380, 32, 400, 65}},
    {SoundYes, {178, 111, 200, 129}},
    {SoundNo, {178, 151, 200, 169}},
    {SizeSmall, {178, 201, 200, 220}},
    {SizeMedium, {178, 239, 200, 256}},
    {SizeBig, {322, 201, 341, 220}},
    {AutoPauseYes, {178, 294, 200, 311}},
    {AutoPauseNo, {178, 334, 200, 353}},
    {TrasPausa, {178, 383, 200, 402}},
    {AutoAjuste, {178, 426, 200, 443}},
    {Ok, {106, 472, 252, 501}},
    {Cancel, {355, 472, 501, 501}},
    {AutoStartYes, {501, 111, 523, 129}},
    {AutoStartNo, {501, 151, 523, 169}},
}};

constexpr std::array<int, 1> kTimerPeriods{SystemOptionsMenu::kAnimationPeriodMs};

constexpr int kLastPauseFrame = 2;

DesignRect DesignOf(SystemControl control) {
    return kControls[static_cast<std::size_t>(control)].design;
}

}  // namespace

std::optional<SystemControl> SystemControlAt(ScreenPoint clientPoint, float sizeFactor) {
    return HitTable<SystemControl>(kControls, sizeFactor).Hit(clientPoint);
}

std::span<const HitCell<SystemControl>> SystemControlCells() {
    return kControls;
}

ScreenRect SystemControlRect(SystemControl control, float sizeFactor) {
    return ScaleDesignRect(DesignOf(control), sizeFactor);
}

SystemOptionsMenu::SystemOptionsMenu(SystemMenuServices services, OptionsMenuHost& host)
    : services_(std::move(services)),
      host_(host),
      languageIndex_(services_.lexicon.languageIndex) {}

std::span<const int> SystemOptionsMenu::timerPeriodsMs() const {
    return kTimerPeriods;
}

Repaint SystemOptionsMenu::OnPointerMoved(ScreenPoint clientPoint) {
    const std::optional<SystemControl> hovered =
        SystemControlAt(clientPoint, SizeFactor(services_.settings.sizeFactor));
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

void SystemOptionsMenu::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (const std::optional<SystemControl> control =
            SystemControlAt(clientPoint, SizeFactor(services_.settings.sizeFactor))) {
        Click(*control);
    }
}

Repaint SystemOptionsMenu::OnTimer(std::size_t) {
    // 0, 1, 2, 1, 0, 1, ...: the pause picture breathes.
    if (pauseFrame_ + pauseStep_ < 0 || pauseFrame_ + pauseStep_ > kLastPauseFrame) {
        pauseStep_ = -pauseStep_;
    }
    pauseFrame_ += pauseStep_;
    return Repaint::Needed;
}

void SystemOptionsMenu::StepLanguage(int step) {
    const auto& languages = services_.lexicon.languageList;
    if (languages.empty()) {
        return;
    }
    const int count = static_cast<int>(languages.size());
    languageIndex_ = ((languageIndex_ + step) % count + count) % count;
    // A copy: the load rewrites the lexicon the name lives in.
    const std::string name = languages[static_cast<std::size_t>(languageIndex_)];
    if (LoadLexicon(services_.lexicon, name, services_.folder, services_.userInterface) ==
        LexiconLoad::ExitProgram) {
        services_.userInterface.requestShutdown();
        return;
    }
    host_.lexiconReloaded();
}

void SystemOptionsMenu::Click(SystemControl control) {
    if (closed_) {
        return;
    }
    Settings& settings = services_.settings;
    switch (control) {
        case LanguageNext:
            StepLanguage(1);
            return;
        case LanguagePrevious:
            StepLanguage(-1);
            return;
        case SoundYes:
        case SoundNo:
            settings.so = control == SoundYes ? 1 : 0;
            return;
        case SizeSmall:
            settings.tamany = 0;
            return;
        case SizeMedium:
            settings.tamany = 1;
            return;
        case SizeBig:
            settings.tamany = 2;
            return;
        case AutoPauseYes:
        case AutoPauseNo:
            settings.autoPause = control == AutoPauseYes ? 1 : 0;
            return;
        case AutoStartYes:
        case AutoStartNo:
            settings.autoStart = control == AutoStartYes ? 1 : 0;
            return;
        case TrasPausa:
            settings.trasPausa = !settings.trasPausa;
            return;
        case AutoAjuste:
            if (!services_.handPlacedEyes.load()) {
                settings.autoAjuste = !settings.autoAjuste;
            }
            return;
        case Ok:
        case Cancel:
            Finish(control);
            return;
    }
}

void SystemOptionsMenu::Finish(SystemControl button) {
    closed_ = true;
    host_.closeOptionsMenu(kind());
    LexiconLoad load = LexiconLoad::Loaded;
    if (button == Ok) {
        load = services_.persistence.SaveSystemSettings(languageIndex_).lexiconLoad;
    } else {
        load = services_.persistence.LoadSystemSettings();
    }
    if (load == LexiconLoad::ExitProgram) {
        services_.userInterface.requestShutdown();
        return;
    }
    host_.lexiconReloaded();
    services_.persistence.LayoutWindows(services_.settings.tamany);
}

void SystemOptionsMenu::OnClosedFromOutside() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (services_.persistence.LoadSystemSettings() == LexiconLoad::ExitProgram) {
        services_.userInterface.requestShutdown();
    }
}

OptionsMenuView SystemOptionsMenu::View(const Lexicon& lexicon) const {
    const Settings& settings = services_.settings;
    const float s = SizeFactor(settings.sizeFactor);
    OptionsMenuView view;
    view.skin = kSystemMenuSkin;
    view.pictures.push_back(
        {"PAUSE_0" + std::to_string(pauseFrame_), ScaleDesignRect({300, 292, 385, 357}, s)});

    const auto mark = [&](SystemControl control) {
        const DesignRect d = DesignOf(control);
        view.checkMarks.push_back(CheckMarkAt(d.left + (d.right - d.left - kCheckMarkWidth) / 2,
                                              d.top + (d.bottom - d.top - kCheckMarkHeight) / 2,
                                              s));
    };
    mark(settings.so == 1 ? SoundYes : SoundNo);
    if (settings.tamany >= 0 && settings.tamany <= 2) {
        mark(std::array{SizeSmall, SizeMedium, SizeBig}[static_cast<std::size_t>(settings.tamany)]);
    }
    mark(settings.autoPause == 1 ? AutoPauseYes : AutoPauseNo);
    mark(settings.autoStart == 1 ? AutoStartYes : AutoStartNo);
    if (settings.trasPausa) {
        mark(TrasPausa);
    }
    if (settings.autoAjuste) {
        mark(AutoAjuste);
    }

    const auto text = [&](const std::string& words, double x, double y, int height,
                          const DesignRect& box, Underline underline = Underline::No) {
        view.texts.push_back(ScaledMenuText(words, x, y, height, 12, box, s, underline));
    };
    const auto key = [&](LexiconKey k, double x, double y, const DesignRect& box) {
        text(lexicon.text(k), x, y, 20, box);
    };
    const auto heading = [&](LexiconKey k, double x, double y, int height, const DesignRect& box) {
        text(lexicon.text(k), x, y, height, box, Underline::Yes);
    };
    heading(LexiconKey::Language, 10, 15, 20, {10, 10, 176, 40});
    const auto& languages = lexicon.languageList;
    if (languageIndex_ >= 0 && languageIndex_ < static_cast<int>(languages.size())) {
        const std::string& name = languages[static_cast<std::size_t>(languageIndex_)];
        text(name, CentredTextX(200, 180, CharacterCount(name), 12), 42, 20, {200, 32, 380, 65});
    }
    heading(LexiconKey::Sound, 10, 103, 20, {10, 98, 176, 128});
    key(LexiconKey::Yes, 210, 111, {205, 106, 305, 134});
    key(LexiconKey::No, 210, 151, {205, 146, 305, 174});
    heading(LexiconKey::Size, 10, 197, 20, {10, 192, 176, 222});
    key(LexiconKey::Small, 210, 201, {205, 196, 320, 224});
    key(LexiconKey::Medium, 210, 239, {205, 234, 400, 262});
    key(LexiconKey::Big, 348, 201, {343, 196, 598, 224});
    heading(LexiconKey::AutoPause, 10, 290, 19, {10, 285, 176, 315});
    key(LexiconKey::Yes, 210, 295, {205, 290, 298, 318});
    key(LexiconKey::No, 210, 336, {205, 331, 298, 359});
    heading(LexiconKey::AutoStart, 310, 103, 19, {310, 98, 499, 128});
    key(LexiconKey::Yes, 534, 111, {529, 106, 598, 134});
    key(LexiconKey::No, 534, 151, {529, 146, 598, 174});
    heading(LexiconKey::Reset, 10, 377, 20, {10, 372, 176, 402});
    key(LexiconKey::TrasPausa, 210, 385, {205, 380, 598, 408});
    key(LexiconKey::AutoAjuste, 210, 429, {205, 424, 598, 452});
    const auto button = [&](LexiconKey k, SystemControl control) {
        const DesignRect d = DesignOf(control);
        const std::string& words = lexicon.text(k);
        text(words, CentredTextX(d.left, d.right - d.left, CharacterCount(words), 12), 480, 20, d);
    };
    button(LexiconKey::Ok, Ok);
    button(LexiconKey::Cancel, Cancel);

    if (hovered_) {
        view.outlines.push_back({SystemControlRect(*hovered_, s)});
    }
    return view;
}

}  // namespace veltranix
