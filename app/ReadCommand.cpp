// read: controllers into configuration files.
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

// The image read into a configuration file at path ("-": standard output).
int Run::saveRead(const CalibrationImage& image, const QString& path, UnitReport& unit,
                  UnitChannel& channel) {
    unit.controller = image;
    unit.settings = report::settings(image, language);
    unit.outcome = QStringLiteral("failed");
    const QString text = config::ConfigFile::write(
        image, {QDateTime::currentDateTime(), config::programText()}, language);
    if (path == QLatin1String("-")) {
        // The file is the whole output: no line about it is mixed in.
        if (!writeStdout(text, channel))
            return Failed;
        unit.outcome = QStringLiteral("saved");
        return Done;
    }
    if (auto failure = config::saveText(path, text)) {
        channel.fail(failure->text(language));
        return Failed;
    }
    unit.file = path;
    unit.outcome = QStringLiteral("saved");
    channel.say(QCoreApplication::translate("Commands", "Read %1 (firmware %2, serial %3) into %4")
                    .arg(image.text(Field::Model, Field::ModelLength).trimmed(), versionText(image),
                         serialText(image), visibleText(path)));
    return Done;
}

int Run::read(ControllerLink& link) {
    if (output != QLatin1String("-") && !mayReplace(output))
        return Failed;
    UnitReport unit;
    unit.port = ports.size() == 1 ? ports[0] : QString();
    DirectChannel channel(unit);
    CalibrationImage image;
    if (connectAndRead(link, image, channel, ports)) {
        unit.port = link.portName;
        unit.status = saveRead(image, output, unit, channel);
    } else {
        unit.outcome = QStringLiteral("unreachable");
        unit.status = Failed;
    }
    reportUnits({unit});
    return unit.status;
}

// Every controller that answers into the folder output, one file a unit named by it. The
// files are saved once all are read, in port order, so that two units that name themselves
// alike cannot race for one file.
int Run::readAll() {
    if (QFileInfo info(output); info.exists() && !info.isDir()) {
        err(QCoreApplication::translate(
                "Commands",
                "%1 is not a folder: read --all-ports saves one file a unit into "
                "the folder -o names")
                .arg(visibleText(output)));
        return Usage;
    }
    if (!makeFolder(output))
        return Failed;
    std::vector<UnitReport> units =
        runOnPorts([this](ControllerLink& link, UnitReport& unit, UnitChannel& channel) {
            CalibrationImage image;
            if (connectAndRead(link, image, channel, {unit.port})) {
                unit.controller = image;
                return;
            }
            unit.outcome = QStringLiteral("unreachable");
            unit.status = Failed;
        });
    QHash<QString, QString> taken;  // file name -> the port of the unit saved there
    for (UnitReport& unit : units) {
        if (!unit.controller)
            continue;
        const QString name = config::unitFileName(*unit.controller);
        if (taken.contains(name)) {
            unit.errors << QCoreApplication::translate("Commands",
                                                       "not saved: the unit on %1 is also %2")
                               .arg(visibleText(taken.value(name)),
                                    config::unitName(*unit.controller));
            unit.outcome = QStringLiteral("failed");
            unit.status = Failed;
            continue;
        }
        taken.insert(name, unit.port);
        DirectChannel kept(unit, false);  // printed with the unit's other lines
        unit.status = saveRead(*unit.controller, QDir(output).filePath(name), unit, kept);
    }
    return finishBatch(units, QCoreApplication::translate("Commands", "saved"));
}

bool Run::makeFolder(const QString& folder) {
    if (QDir().mkpath(folder))
        return true;
    err(config::Message{
        config::Message::Kind::WriteFailed,
        0,
        {folder, QCoreApplication::translate("Commands", "cannot create the folder")}}
            .text(language));
    return false;
}

}  // namespace cli
