#include "HelpPages.h"

#include <QDir>

QUrl helpPage(const QString& programDir, bool chinese) {
    const QString support = QStringLiteral(TRN_SUPPORT_URL);
    if (!support.isEmpty())
        return QUrl(support);
    const QString language = chinese ? QStringLiteral("zh_CN") : QStringLiteral("en");
    return QUrl::fromLocalFile(QDir::cleanPath(
        QDir(programDir)
            .filePath(QStringLiteral("../share/doc/trnsetup/manual/%1/index.html").arg(language))));
}

QUrl supportedControllersPage(const QString& programDir, bool chinese) {
    QUrl url = helpPage(programDir, chinese);
    if (url.isLocalFile())
        url.setFragment(QStringLiteral("controllers"));
    return url;
}
