#include "LinkProgress.h"

#include <QCoreApplication>

QString LinkProgress::text() const {
    switch (stage) {
        case Stage::Searching:
            return QCoreApplication::translate("Link", "Searching for the controller on %1")
                .arg(ports.join(QStringLiteral(", ")));
        case Stage::Reading:
            return step == 0 ? QCoreApplication::translate("Link", "Reading the configuration")
                             : QCoreApplication::translate("Link", "Reading block %1 of %2")
                                   .arg(step)
                                   .arg(steps);
        case Stage::Writing:
            return step == 0 ? QCoreApplication::translate("Link", "Writing the configuration")
                             : QCoreApplication::translate("Link", "Writing chunk %1 of %2")
                                   .arg(step)
                                   .arg(steps);
        case Stage::Committing:
            return QCoreApplication::translate("Link", "Committing the configuration");
    }
    return {};
}

QString PortOutcome::text() const {
    if (kind == Kind::NotOpened)
        return QCoreApplication::translate("Port", "cannot open %1: %2").arg(port, reason);
    return QCoreApplication::translate("Port", "%1: %2").arg(port, result());
}

QString PortOutcome::result() const {
    switch (kind) {
        case Kind::NotOpened:
            return QCoreApplication::translate("Port", "cannot be opened: %1").arg(reason);
        case Kind::Silent:
            return QCoreApplication::translate("Port", "opened, no answer");
        case Kind::BadFrame:
            return QCoreApplication::translate("Port", "answered with a bad checksum");
        case Kind::LineFailed:
            return QCoreApplication::translate("Port",
                                               "the line failed while waiting for an answer");
        case Kind::Refused:
            return QCoreApplication::translate("Port", "answered, but not as a controller (%1)")
                .arg(reason);
        case Kind::Accepted:
            return QCoreApplication::translate("Port", "controller found");
        case Kind::NotNeeded:
            return QCoreApplication::translate(
                "Port", "not needed, a controller answered earlier in the list");
    }
    return {};
}
