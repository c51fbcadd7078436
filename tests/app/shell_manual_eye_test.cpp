#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/shell/manual_eye_window.h"
#include "tracking/template_tracker.h"

namespace veltranix {
namespace {

class RecordingEyeActions : public ManualEyeActions {
  public:
    void saveEyePositions(const ManualEyePositions& positions) override {
        saved.push_back(positions);
    }
    void eyePairConfirmed(bool confirmed) override { confirmations.push_back(confirmed); }
    std::vector<ManualEyePositions> saved;
    std::vector<bool> confirmations;
};

TEST(ValidateEyePair, FollowsTheDistanceAndTiltRule) {
    const struct {
        int leftX, leftY, rightX, rightY;
        EyePairResult expected;
    } cases[] = {
        {313, 219, 423, 219, EyePairResult::Valid},
        {313, 219, 373, 219, EyePairResult::TooFar},     // 60 apart
        {313, 219, 423, 239, EyePairResult::Tilted},     // asin(20 / 111.8) = 0.18
        {313, 219, 383, 219, EyePairResult::Undecided},  // exactly 70
        {313, 219, 438, 219, EyePairResult::Undecided},  // exactly 125
        {313, 219, 439, 219, EyePairResult::TooNear},
        {300, 200, 300, 200, EyePairResult::TooFar},  // one point: no division by zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValidateEyePair(c.leftX, c.leftY, c.rightX, c.rightY), c.expected)
            << c.leftX << "," << c.leftY << " " << c.rightX << "," << c.rightY;
    }
}

TEST(TemplateAndSearchInsideImage, RefusesPairsNearTheEdges) {
    const struct {
        EyeLine eyes;
        bool inside;
    } cases[] = {
        {{85, 200, 185, 200}, true},   {{84, 200, 184, 200}, false},
        {{200, 65, 300, 65}, true},    {{200, 64, 300, 64}, false},
        {{200, 374, 300, 374}, true},  {{200, 375, 300, 375}, false},
        {{454, 200, 554, 200}, true},  {{455, 200, 555, 200}, false},
        {{300, 200, 200, 200}, false},  // crossed: no template
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TemplateAndSearchInsideImage(c.eyes), c.inside)
            << c.eyes.leftX << "," << c.eyes.leftY << " " << c.eyes.rightX;
    }
}

// Markers walked down to a level pair at y 385, whose search would leave the
// picture; the level pair at y 300 on the way is valid and stored.
const std::vector<ScreenPoint> kToTheBottomEdge{{423, 300}, {313, 300}, {423, 385}, {313, 385}};

TEST(ManualEyeWindow, ClicksMoveTheNearerMarkerAndOnlyValidPairsAreKept) {
    using enum EyePairResult;
    const ManualEyePositions defaults;  // right 423,219; left 313,219
    const struct {
        const char* what;
        std::vector<ScreenPoint> clicks;
        ScreenPoint left, right;
        EyePairResult result;
        bool confirmed;
        std::size_t saves;
    } cases[] = {
        {"halfway moves the right marker", {{368, 219}}, {313, 219}, {368, 219}, TooFar, false, 0},
        {"x 570 is outside the picture", {{570, 219}}, {313, 219}, {423, 219}, Valid, true, 0},
        {"new valid pair stored", {{300, 230}, {405, 230}}, {300, 230}, {405, 230}, Valid, true, 2},
        {"tilted", {{423, 240}}, {313, 219}, {423, 240}, Tilted, false, 0},
        {"crossed: in order", {{380, 100}, {300, 100}}, {300, 100}, {313, 219}, Tilted, false, 0},
        {"near the edge", kToTheBottomEdge, {313, 385}, {423, 385}, OutsideImage, false, 1},
    };
    for (const auto& c : cases) {
        RecordingEyeActions actions;
        ManualEyeWindow window(actions, defaults);
        for (const ScreenPoint click : c.clicks) {
            window.OnLeftButtonDown(click);
        }
        EXPECT_EQ(window.leftMarker(), c.left) << c.what;
        EXPECT_EQ(window.rightMarker(), c.right) << c.what;
        EXPECT_EQ(window.result(), c.result) << c.what;
        EXPECT_EQ(window.ConfirmedEyes().has_value(), c.confirmed) << c.what;
        EXPECT_EQ(actions.saved.size(), c.saves) << c.what;
    }
}

TEST(ManualEyeWindow, StoresThePairAndStartsFromIt) {
    RecordingEyeActions actions;
    ManualEyeWindow window(actions, {});
    EXPECT_EQ(actions.confirmations, std::vector<bool>{true});
    window.OnLeftButtonDown({330, 225});  // the left marker is nearer
    ASSERT_EQ(actions.saved.size(), 1u);
    const ManualEyePositions& saved = actions.saved[0];
    EXPECT_EQ((std::array{saved.ullDretX, saved.ullDretY, saved.ullEsquerreX, saved.ullEsquerreY}),
              (std::array{423, 219, 330, 225}));
    EXPECT_EQ(window.ConfirmedEyes(), (EyeLine{330, 225, 423, 219}));

    // Shown again after a menu: markers hidden, no longer confirmed.
    window.OnShownAgain();
    EXPECT_FALSE(window.markersShown());
    EXPECT_FALSE(window.ConfirmedEyes().has_value());
    EXPECT_EQ(actions.confirmations.back(), false);
}

TEST(ManualEyeWindow, AStoredPairThatNoLongerPassesIsNotConfirmed) {
    RecordingEyeActions actions;
    ManualEyeWindow window(actions, {600, 450, 500, 450});
    EXPECT_EQ(window.result(), EyePairResult::OutsideImage);
    EXPECT_FALSE(window.ConfirmedEyes().has_value());
    EXPECT_EQ(actions.confirmations, std::vector<bool>{false});
}

TEST(ManualEyeWindow, SaysWhatIsWrongInTheLexiconsWords) {
    Lexicon lexicon;
    const auto set = [&lexicon](LexiconKey key, std::string text) {
        lexicon.slots[static_cast<std::size_t>(key)] = std::move(text);
    };
    set(LexiconKey::Pos, "Good position");
    set(LexiconKey::Far, "Too far away");
    set(LexiconKey::EyesEdge, "Eyes too near the edge of the picture");
    const struct {
        std::vector<ScreenPoint> clicks;
        std::optional<std::string> text;
    } cases[] = {
        {{}, "Good position"},
        {{{368, 219}}, "Too far away"},
        {kToTheBottomEdge, "Eyes too near the edge of the picture"},
        {{{313, 219}, {383, 219}}, std::nullopt},  // exactly 70: no verdict
    };
    for (const auto& c : cases) {
        RecordingEyeActions actions;
        ManualEyeWindow window(actions, {});
        for (const ScreenPoint click : c.clicks) {
            window.OnLeftButtonDown(click);
        }
        const std::optional<SkinText> message = window.Message(lexicon);
        ASSERT_EQ(message.has_value(), c.text.has_value());
        if (message) {
            EXPECT_EQ(message->text, *c.text);
            // Centred at 12 pixels a character, at y 45.
            EXPECT_EQ(message->origin,
                      (ScreenPoint{(640 - 12 * static_cast<int>(c.text->size())) / 2, 45}));
        }
    }
}

}  // namespace
}  // namespace veltranix
