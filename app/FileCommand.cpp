// show and diff: configuration files without a controller.
#include "CommandRun.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <tuple>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "HelpPages.h"
#include "Journal.h"
#include "JsonReport.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"
#include "Translation.h"
#include "UnitPages.h"
#include "UnitRunner.h"

namespace cli {

QString Run::identityLine(const CalibrationImage& unit) {
    return QStringLiteral("%1 (variant %2, firmware %3, serial %4)")
        .arg(unit.text(Field::Model, Field::ModelLength).trimmed(), unit.text(Field::Variant, 1),
             versionText(unit), serialText(unit));
}

int Run::show() {
    const std::optional<config::SettingsFile> file = loadSettings(files[0]);
    if (!file)
        return loadFailure;
    const CalibrationImage& unit = file->reference;
    document.insert(QStringLiteral("file"), files[0]);
    document.insert(QStringLiteral("identity"), report::identity(unit));
    document.insert(QStringLiteral("settings"), report::settings(file->content(), language));
    out(identityLine(unit));
    for (const QString& line : config::settingLines(file->content(), language)) out(line);
    return Done;
}

// As diff(1): 0 the same, 1 they differ (the controller they name included), 2 trouble.
int Run::diff() {
    document.insert(QStringLiteral("files"), QJsonArray::fromStringList(files));
    const std::optional<config::SettingsFile> a = loadSettings(files[0]);
    const std::optional<config::SettingsFile> b = a ? loadSettings(files[1]) : std::nullopt;
    if (!a || !b)
        return Usage;
    document.insert(QStringLiteral("identity"),
                    report::identityChanges(a->reference, b->reference));
    document.insert(QStringLiteral("changes"),
                    report::changes(a->content(), b->content(), language));
    const QStringList lines =
        config::identityLines(a->reference, b->reference, language) +
        config::changeLines(config::changes(a->content(), b->content(), language), language);
    for (const QString& line : lines) out(line);
    return lines.isEmpty() ? Done : Failed;
}

}  // namespace cli
