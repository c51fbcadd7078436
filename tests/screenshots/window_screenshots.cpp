// window_screenshots: writes a PNG of every form of the main window and every
// popup, in the three window sizes and the four languages, for people to
// look at; with --manual, the pictures of the user manuals instead.
//
//   window_screenshots FOLDER             name_Language_sizeN.png
//   window_screenshots --manual FOLDER    name_Language.png, smallest size
//
// Runs without a display (QT_QPA_PLATFORM=offscreen).

#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>

#include "tests/screenshots/window_gallery.h"

using namespace veltranix::testing;

namespace {

bool Save(const QImage& image, const std::filesystem::path& path) {
    if (image.save(QString::fromStdString(path.string()))) {
        return true;
    }
    std::fprintf(stderr, "window_screenshots: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const bool manual = argc == 3 && std::string(argv[1]) == "--manual";
    if (argc != 2 && !manual) {
        std::fprintf(stderr, "usage: window_screenshots [--manual] FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[argc - 1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool saved = true;
    for (const char* language : kLanguages) {
        const std::optional<veltranix::Lexicon> lexicon = LoadLanguage(language);
        if (!lexicon) {
            std::fprintf(stderr, "window_screenshots: the %s lexicon does not load\n", language);
            return 1;
        }
        for (const WindowSize& size : kWindowSizes) {
            if (manual && size.tamany != 0) {
                continue;
            }
            PaintWindows(*lexicon, size, [&](const WindowPicture& picture) {
                const std::string suffix = std::string("_") + language;
                if (!manual) {
                    saved &= Save(picture.image,
                                  folder / (picture.name + suffix + size.suffix + ".png"));
                    return;
                }
                for (const ManualPicture& wanted : kManualPictures) {
                    if (picture.name == wanted.galleryName) {
                        saved &=
                            Save(picture.image, folder / (wanted.manualName + suffix + ".png"));
                    }
                }
            });
        }
    }
    return saved ? 0 : 1;
}
