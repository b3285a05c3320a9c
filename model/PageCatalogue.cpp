#include "PageCatalogue.h"

#include <QCoreApplication>
#include <QDir>

#include "Step2Rules.h"
#include "Step3Rules.h"
#include "Step4Rules.h"
#include "Step5Rules.h"
#include "Step7Rules.h"
#include "V0204Rules.h"

namespace model {

namespace {

template <class Rules>
PageKind kind(const char* name, bool (*fits)(const CalibrationImage&)) {
    return {name, Rules::Template, Rules::Controls, fits,
            [](CalibrationImage& image) -> std::unique_ptr<PageRules> {
                return std::make_unique<Rules>(image);
            }};
}

bool always(const CalibrationImage&) {
    return true;
}

// The motor and speed page comes with the settings it holds.
bool hasSpeedPage(const CalibrationImage& image) {
    return config::findSetting("top_speed")->inFirmware(image);
}

const PageKind Catalogue[] = {
    kind<Step2Rules>("CStep2", always),
    kind<Step3Rules>("CStep3", always),
    kind<V0204Rules>("V0204", hasSpeedPage),
    kind<Step5Rules>("CStep5", hasRegeneration),
    kind<Step4Rules>("CStep4", always),
    kind<Step7Rules>("CStep7", isJ1939Variant),
    {"CStep6", Step6Controls::Template, Step6Controls::Controls, always, nullptr},
};

}  // namespace

std::span<const PageKind> pageCatalogue() {
    return Catalogue;
}

const PageKind* pageKind(int templateId) {
    for (const PageKind& k : Catalogue)
        if (k.templateId == templateId)
            return &k;
    return nullptr;
}

QString lackingControlText(const QString& moduleFile, int templateId, const QString& missing) {
    return QCoreApplication::translate(
               "Pages", "The language module %1 cannot be used: template %2 has no %3.")
        .arg(QDir::toNativeSeparators(moduleFile))
        .arg(templateId)
        .arg(missing);
}

}  // namespace model
