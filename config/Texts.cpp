#include "Texts.h"

#include <QTranslator>

namespace config {

namespace {

const QTranslator& chinese() {
    // Loaded once, then only read: any thread may ask it.
    static const QTranslator* const catalogue = [] {
        auto* t = new QTranslator;
        if (!t->load(QStringLiteral(":/trnsetup/catalogue/trnsetup_zh_CN.qm")))
            qWarning("trnsetup: the Chinese catalogue compiled into the program is missing");
        return t;
    }();
    return *catalogue;
}

}  // namespace

QString translated(Language language, const char* context, const char* source) {
    if (language == Language::Chinese) {
        const QString text = chinese().translate(context, source);
        if (!text.isEmpty())
            return text;
    }
    return QString::fromUtf8(source);
}

}  // namespace config
