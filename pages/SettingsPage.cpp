#include "SettingsPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "ResourceModule.h"

bool SettingsPage::create(const ResourceModule& module, int templateId, QWidget* parent,
                          QString* error) {
    setParent(parent);
    hide();
    QWidget* form = module.createDialog(templateId, this, error);
    if (form == nullptr)
        return false;
    const QString missing = kit::missingControl(form, requiredControls());
    if (!missing.isEmpty()) {
        if (error)
            *error = QStringLiteral("The language module %1 cannot be used: template %2 has no %3.")
                         .arg(module.fileName())
                         .arg(templateId)
                         .arg(missing);
        delete form;
        return false;
    }
    form_ = form;
    templateId_ = templateId;
    // The template's size is what the page needs at the font it was drawn with; a larger
    // desktop font needs more, so the size is kept as the least, not the most.
    form_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
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
    if (visible && !wasShown) {
        load();
        refreshLabels();
    } else if (!visible && wasShown) {
        store();
    }
}

void SettingsPage::refreshLabels() {
    for (const LabelBinding& binding : labels_)
        binding.label->setText(binding.format(binding.slider->value()));
    refreshed();
}

void SettingsPage::bindLabel(int sliderId, int labelId, kit::Format format) {
    QSlider* s = slider(sliderId);
    labels_.push_back({s, label(labelId), std::move(format)});
    connect(s, &QSlider::valueChanged, this, &SettingsPage::refreshLabels);
    connect(s, &QSlider::rangeChanged, this, &SettingsPage::refreshLabels);
}

void SettingsPage::refreshOnChange(int listId) {
    connect(list(listId), &QComboBox::currentIndexChanged, this, &SettingsPage::refreshLabels);
}

QSlider* SettingsPage::slider(int id) const {
    return control<QSlider>(id);
}
QComboBox* SettingsPage::list(int id) const {
    return control<QComboBox>(id);
}
QAbstractButton* SettingsPage::option(int id) const {
    return control<QAbstractButton>(id);
}
QLabel* SettingsPage::label(int id) const {
    return control<QLabel>(id);
}
QLineEdit* SettingsPage::edit(int id) const {
    return control<QLineEdit>(id);
}

void SettingsPage::setSlider(int id, int minimum, int maximum, int position) {
    QSlider* s = slider(id);
    s->setRange(minimum, maximum);
    s->setValue(position);
}

int SettingsPage::position(int id) const {
    return slider(id)->value();
}
bool SettingsPage::checked(int id) const {
    return option(id)->isChecked();
}
void SettingsPage::setText(int id, const QString& text) {
    control(id)->setProperty("text", text);
}

void SettingsPage::showControls(std::initializer_list<int> ids, bool visible) {
    for (int id : ids) control(id)->setVisible(visible);
}

void SettingsPage::enableControls(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) control(id)->setEnabled(enabled);
}
