#pragma once

#include <string_view>

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace veltranix {

// How far a macro with pauses has played: a small translucent window on top
// of everything that never takes the focus. GUI thread; the player's
// display hands its updates over.
class MacroProgressWindow final : public QWidget {
  public:
    // The bar's range; the player sets positions up to 275 of it.
    static constexpr int kBarRange = 280;
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 60;

    MacroProgressWindow();
    // Centred across, (screen height - 360) / 2 from the top.
    void PlaceOnScreen(int screenWidth, int screenHeight);
    void SetProgress(int barPosition, std::string_view counterText);

  private:
    QLabel* title_ = nullptr;
    QLineEdit* counter_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace veltranix
