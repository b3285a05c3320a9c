// Renders every setting page as it looks after loading the simulator's sample controller at
// several firmware versions, so that each variant of a page can be looked at without a
// controller.
//
//   trnrenderpages <bundle.rcc> <outdir> [XXYY ...]
//
// writes <outdir>/<language>-<page>-<firmware>[-<variant>].png for each page and firmware
// (default firmware: 0203 0207 0301 0302 0402 0403 0404 0405).
#include <QApplication>
#include <QFont>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "CalibrationImage.h"
#include "PageBook.h"
#include "Prompter.h"
#include "RenderStart.h"
#include "SimController.h"

namespace {

// Loading a page shows no messages; storing is never reached here.
class SilentPrompter : public Prompter {
public:
    Answer ask(int, Buttons, const QString&) override { return Answer::Ok; }
    void tell(const QString&) override {}
};

// A page that shows CAN settings is drawn for a CAN variant as well.
bool showsCan(const SettingsPage& page) {
    const auto bound = page.boundSettings();
    return std::any_of(bound.begin(), bound.end(), [](const config::Setting* s) {
        return s->needs == config::Needs::CanVariant;
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    // --font-size N: the application font in points, to see the pages as a desktop set to it would.
    if (const qsizetype at = args.indexOf(QStringLiteral("--font-size"));
        at > 0 && at + 1 < args.size()) {
        const int points = args[at + 1].toInt();
        if (points < 6 || points > 30) {
            std::fprintf(stderr, "trnrenderpages: --font-size takes 6 to 30 points\n");
            return 2;
        }
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
        args.remove(at, 2);
    }
    if (args.size() < 3) {
        std::fprintf(stderr,
                     "usage: trnrenderpages [--font-size N] <bundle.rcc> <outdir> [XXYY ...]\n");
        return 2;
    }
    QList<unsigned> firmware;
    for (const QString& arg : args.mid(3)) {
        bool ok = false;
        const unsigned v = arg.toUInt(&ok, 16);
        if (!ok || arg.size() != 4) {
            std::fprintf(stderr, "trnrenderpages: firmware must be four hex digits: %s\n",
                         qPrintable(arg));
            return 2;
        }
        firmware << v;
    }
    if (firmware.isEmpty())
        firmware = {0x0203, 0x0207, 0x0301, 0x0302, 0x0402, 0x0403, 0x0404, 0x0405};

    RenderStart render;
    if (!render.start("trnrenderpages", args[1], args[2]))
        return 1;
    QString error;
    SilentPrompter prompter;
    int failures = 0;
    for (const PageKind& p : pageCatalogue()) {
        for (unsigned version : firmware) {
            QString variants = QStringLiteral("J");
            for (qsizetype v = 0; v < variants.size(); ++v) {
                const QChar variant = variants[v];
                CalibrationImage image;
                const SimController::Image sample = SimController::sampleImage();
                std::copy(sample.begin(), sample.end(), image.data());
                image.setByte(Field::VersionMajor, static_cast<std::uint8_t>(version >> 8));
                image.setByte(Field::VersionMinor, static_cast<std::uint8_t>(version));
                image.setByte(Field::Variant, static_cast<std::uint8_t>(variant.toLatin1()));

                QWidget host;
                std::unique_ptr<SettingsPage> page = makePage(p.templateId, {image, prompter});
                if (!page->create(render.module, p.templateId, &host, &error)) {
                    std::fprintf(stderr, "trnrenderpages: %s\n", qPrintable(error));
                    ++failures;
                    continue;
                }
                if (v == 0 && showsCan(*page))
                    variants += QLatin1Char('C');
                host.show();
                page->show();
                // As large as the page asks to be, wrapped texts included.
                QSize size = page->sizeHint();
                if (page->hasHeightForWidth())
                    size.setHeight(std::max(size.height(), page->heightForWidth(size.width())));
                page->resize(size);
                host.resize(page->size());
                QApplication::processEvents();
                QString file = QStringLiteral("%1-%2-%3")
                                   .arg(render.language, QLatin1String(p.name), versionText(image));
                if (variants.size() > 1)
                    file += QStringLiteral("-") + variant;
                const QString path = render.save("trnrenderpages", *page, file);
                if (path.isEmpty()) {
                    ++failures;
                    continue;
                }
                std::printf("%s  %dx%d\n", qPrintable(path), page->width(), page->height());
                std::fflush(stdout);
                page.reset();
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
