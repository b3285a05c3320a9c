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

template <class Controls>
PageKind kind(const char* name, bool (*fits)(const CalibrationImage&),
              std::unique_ptr<PageRules> (*rules)(CalibrationImage&)) {
    return {name, Controls::Template, requiredControls<Controls>(), fits, rules};
}

bool always(const CalibrationImage&) {
    return true;
}

// The motor and speed page comes with the settings it holds.
bool hasSpeedPage(const CalibrationImage& image) {
    return config::findSetting("top_speed")->inFirmware(image);
}

const PageKind Catalogue[] = {
    kind<Step2Controls>("CStep2", always, makeStep2Rules),
    kind<Step3Controls>("CStep3", always, makeStep3Rules),
    kind<V0204Controls>("V0204", hasSpeedPage, makeV0204Rules),
    kind<Step5Controls>("CStep5", hasRegeneration, makeStep5Rules),
    kind<Step4Controls>("CStep4", always, makeStep4Rules),
    kind<Step7Controls>("CStep7", isJ1939Variant, makeStep7Rules),
    {"CStep6", Step6Controls::Template, {}, always, nullptr},
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
