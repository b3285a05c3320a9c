#include "SettingsPage.h"

#include <QVBoxLayout>

#include "ResourceModule.h"

bool SettingsPage::create(const ResourceModule& module, int templateId, QWidget* parent,
                          QString* error) {
    setParent(parent);
    hide();
    form_ = module.createDialog(templateId, this, error);
    if (form_ == nullptr) return false;
    templateId_ = templateId;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_);
    form_->show();
    initialise();
    return true;
}

void SettingsPage::setVisible(bool visible) {
    if (form_ == nullptr) {  // not built yet: nothing to load or store
        QWidget::setVisible(visible);
        return;
    }
    const bool wasShown = !isHidden();
    QWidget::setVisible(visible);
    if (visible && !wasShown)
        load();
    else if (!visible && wasShown)
        store();
}
