#include "WidgetForm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "Controls.h"
#include "PageKit.h"

template <class T>
T* WidgetForm::control(int id) const {
    return findControl<T>(form_, id);
}

void WidgetForm::setRange(int slider, int low, int high) {
    control<QSlider>(slider)->setRange(low, high);
}

void WidgetForm::setPosition(int slider, int position) {
    control<QSlider>(slider)->setValue(position);
}

int WidgetForm::position(int slider) const {
    return control<QSlider>(slider)->value();
}

int WidgetForm::count(int list) const {
    return control<QComboBox>(list)->count();
}

void WidgetForm::select(int list, int index) {
    kit::select(control<QComboBox>(list), index);
}

int WidgetForm::selected(int list) const {
    return kit::selected(control<QComboBox>(list));
}

void WidgetForm::refill(int list, const QStringList& items) {
    kit::refill(control<QComboBox>(list), items);
}

void WidgetForm::setChecked(int option, bool checked) {
    control<QAbstractButton>(option)->setChecked(checked);
}

bool WidgetForm::checked(int option) const {
    return control<QAbstractButton>(option)->isChecked();
}

void WidgetForm::clearPair(int on, int off) {
    kit::clearPair(control<QAbstractButton>(on), control<QAbstractButton>(off));
}

void WidgetForm::setText(int id, const QString& text) {
    control(id)->setProperty("text", text);
}

QString WidgetForm::text(int id) const {
    return control(id)->property("text").toString();
}

void WidgetForm::show(int id, bool shown) {
    control(id)->setVisible(shown);
}

void WidgetForm::enable(int id, bool enabled) {
    control(id)->setEnabled(enabled);
}

bool WidgetForm::offered(int id) const {
    const QWidget* c = control(id);
    return c != nullptr && c->isEnabled() && c->isVisibleTo(page_);
}
