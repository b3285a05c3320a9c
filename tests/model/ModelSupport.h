#pragma once
// The real English templates, read from the source tree as the commands read them from the
// module, and a controller's pages built from them.

#include <gtest/gtest.h>

#include <QFile>

#include "../support/RandomImage.h"
#include "UnitPages.h"

inline QByteArray templateText(int id, QString* why = nullptr) {
    QFile f(QStringLiteral(TRN_SOURCE_DIR "/resources/english/dialog/%1.ui").arg(id));
    if (!f.open(QIODevice::ReadOnly)) {
        if (why)
            *why = f.errorString();
        return {};
    }
    return f.readAll();
}

// A controller's pages, each loaded once (as the wizard's walk over them does).
struct Pages {
    explicit Pages(const CalibrationImage& from) : image(from), pages(image) {
        QString error;
        EXPECT_TRUE(pages.build(templateText, QStringLiteral("english.rcc"), &error))
            << error.toStdString();
        pages.walk().start();
        pages.walk().rewrite({});
    }
    bool offers(const char* key) const {
        const config::Setting& s = *config::findSetting(QLatin1String(key));
        const model::PageRules* rules = pages.walk().rulesOf(s);
        return rules != nullptr && rules->offers(s);
    }
    std::uint32_t raw(const char* key) const {
        return config::findSetting(QLatin1String(key))->raw(image);
    }
    CalibrationImage image;
    model::UnitPages pages;
};
