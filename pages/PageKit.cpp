#include "PageKit.h"

#include <memory>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include "Controls.h"
#include "ResourceModule.h"

namespace kit {

QString plain(int value) {
    return QString::number(value);
}
QString percent(int value) {
    return QStringLiteral("%1%").arg(value);
}
QString volts(int value) {
    return QStringLiteral("%1V").arg(value);
}
QString celsius(int value) {
    return QStringLiteral("%1C").arg(value);
}

QString sensorVolts(int value) {
    // Multiply first, then add: the order decides the rounding of values such as 45 (2.3V).
    const double volt = value * 0.03 + 1.0;
    return QString::asprintf("%.1fV", volt);
}

Format offAtZero(Format format) {
    return [format = std::move(format)](int value) {
        return value == 0 ? QStringLiteral("禁止") : format(value);
    };
}

void select(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int selected(const QComboBox* list) {
    return list->currentIndex();
}

void refill(QComboBox* list, const QStringList& items) {
    list->clear();
    list->addItems(items);
}

void selectNibble(QComboBox* list, int nibble, int fallback) {
    select(list, nibble >= 0 && nibble < list->count() ? nibble : fallback);
}

void setPair(QAbstractButton* enable, QAbstractButton* disable, bool enabled) {
    enable->setChecked(enabled);
    disable->setChecked(!enabled);
}

void clearPair(QAbstractButton* enable, QAbstractButton* disable) {
    // An exclusive group never lets its last checked button go.
    for (QAbstractButton* button : {enable, disable}) {
        QButtonGroup* group = button->group();
        const bool exclusive = group != nullptr && group->exclusive();
        if (exclusive)
            group->setExclusive(false);
        const bool autoExclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(autoExclusive);
        if (exclusive)
            group->setExclusive(true);
    }
}

namespace {

struct KindInfo {
    const char* className;
    const char* description;
};

KindInfo info(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return {"QLabel", "a label"};
        case Kind::Slider:
            return {"QSlider", "a slider"};
        case Kind::List:
            return {"QComboBox", "a drop-down list"};
        case Kind::Option:
            return {"QRadioButton", "an option button"};
        case Kind::Edit:
            return {"QLineEdit", "an edit field"};
        case Kind::Button:
            return {"QPushButton", "a push button"};
        case Kind::Group:
            return {"QGroupBox", "a group box"};
        case Kind::Widget:
            break;
    }
    return {"QWidget", "a control"};
}

}  // namespace

QString missingControl(const QWidget* form, std::span<const Required> controls) {
    for (const Required& required : controls) {
        const KindInfo kind = info(required.kind);
        const QWidget* control = findControl(form, required.id);
        if (control == nullptr || !control->inherits(kind.className))
            return QCoreApplication::translate("Pages", "control %1 (%2)")
                .arg(required.id)
                .arg(QLatin1String(kind.description));
    }
    return {};
}

QString lackingControl(const ResourceModule& module, int templateId, const QString& missing) {
    return QCoreApplication::translate(
               "Pages", "The language module %1 cannot be used: template %2 has no %3.")
        .arg(QDir::toNativeSeparators(module.fileName()))
        .arg(templateId)
        .arg(missing);
}

QString checkTemplate(const ResourceModule& module, int templateId,
                      std::span<const Required> controls) {
    QString error;
    const std::unique_ptr<QWidget> form(module.createDialog(templateId, nullptr, &error));
    if (!form)
        return QCoreApplication::translate("Pages", "The language module %1 cannot be used: %2")
            .arg(QDir::toNativeSeparators(module.fileName()), error);
    const QString missing = missingControl(form.get(), controls);
    return missing.isEmpty() ? QString() : lackingControl(module, templateId, missing);
}

}  // namespace kit
