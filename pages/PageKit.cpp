#include "PageKit.h"

#include <memory>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include "Controls.h"
#include "PageCatalogue.h"
#include "ResourceModule.h"

namespace kit {

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

QString missingControl(const QWidget* form, std::span<const Required> controls) {
    for (const Required& required : controls) {
        const QWidget* control = findControl(form, required.id);
        if (control == nullptr || !control->inherits(model::className(required.kind)))
            return model::missingText(required);
    }
    return {};
}

QString lackingControl(const ResourceModule& module, int templateId, const QString& missing) {
    return model::lackingControlText(module.fileName(), templateId, missing);
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
