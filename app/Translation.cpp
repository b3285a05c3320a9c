#include "Translation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "CVexlaControllerApp.h"

ProgramTranslation::ProgramTranslation() = default;

ProgramTranslation::~ProgramTranslation() {
    for (const auto& t : installed_) QCoreApplication::removeTranslator(t.get());
}

QString ProgramTranslation::catalogueName() {
    return QStringLiteral("trnsetup_zh_CN.qm");
}

QString ProgramTranslation::catalogueDir(const QString& programDir) {
    return QFileInfo(moduleFile(programDir, QStringLiteral("chinese"))).absolutePath();
}

bool ProgramTranslation::install(bool chinese, const QString& catalogueDir) {
    if (!chinese)
        return true;
    const auto add = [this](const QString& name, const QString& dir) {
        auto t = std::make_unique<QTranslator>();
        if (!t->load(name, dir))
            return false;
        QCoreApplication::installTranslator(t.get());
        installed_.push_back(std::move(t));
        return true;
    };
    // Message box buttons follow the module's language where Qt's translation is installed.
    add(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return add(catalogueName(), catalogueDir);
}
