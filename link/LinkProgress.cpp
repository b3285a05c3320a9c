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
    switch (kind) {
        case Kind::NotOpened:
            return QCoreApplication::translate("Port", "cannot open %1: %2").arg(port, reason);
        case Kind::Silent:
            return QCoreApplication::translate("Port", "%1: opened, no answer").arg(port);
        case Kind::BadFrame:
            return QCoreApplication::translate("Port", "%1: answered with a bad checksum")
                .arg(port);
        case Kind::LineFailed:
            return QCoreApplication::translate("Port",
                                               "%1: the line failed while waiting for an answer")
                .arg(port);
        case Kind::Refused:
            return QCoreApplication::translate("Port", "%1: answered, but not as a controller (%2)")
                .arg(port, reason);
        case Kind::Accepted:
            return QCoreApplication::translate("Port", "%1: controller found").arg(port);
        case Kind::NotNeeded:
            return QCoreApplication::translate(
                       "Port", "%1: not needed, a controller answered earlier in the list")
                .arg(port);
    }
    return {};
}
