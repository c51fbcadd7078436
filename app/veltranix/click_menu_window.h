#pragma once

#include <QPointer>

#include "app/ui/click_menu_widget.h"
#include "macros/macro_set.h"
#include "pointer/click_type_menu.h"
#include "settings/lexicon.h"
#include "settings/settings.h"

namespace veltranix {

// The click-type menu's window as the menu logic sees it: created at the
// first show, then hidden and shown again until the program closes it.
// GUI thread.
class ClickMenuWindow final : public ClickMenuWindowPort {
  public:
    ClickMenuWindow(const Settings& settings, const Lexicon& lexicon, SkinLibrary& skins)
        : settings_(settings), lexicon_(lexicon), skins_(skins) {}
    ~ClickMenuWindow() override;

    // The menu exists after its window port; the macros are the program's.
    void attach(ClickTypeMenu& menu) { menu_ = &menu; }
    void attachMacros(const MacroSets& macros) { macros_ = &macros; }

    bool show(const ScreenRect& rect) override;
    void hide() override;
    void repaint() override;

    // After a size change: the cells are rebuilt by the menu; a menu that is
    // shown is hidden, so that it opens next time at the new size.
    void rebuild();
    // Shutdown: the window is destroyed.
    void close();
    QWidget* widget() const { return widget_.data(); }

  private:
    const Settings& settings_;
    const Lexicon& lexicon_;
    SkinLibrary& skins_;
    ClickTypeMenu* menu_ = nullptr;
    const MacroSets* macros_ = nullptr;
    QPointer<ClickMenuWidget> widget_;
};

}  // namespace veltranix
