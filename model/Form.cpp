#include "Form.h"

#include <QCoreApplication>

namespace model {

const char* className(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return "QLabel";
        case Kind::Slider:
            return "QSlider";
        case Kind::List:
            return "QComboBox";
        case Kind::Option:
            return "QRadioButton";
        case Kind::Edit:
            return "QLineEdit";
        case Kind::Button:
            return "QPushButton";
        case Kind::Group:
            return "QGroupBox";
        case Kind::Widget:
            break;
    }
    return "QWidget";
}

const char* description(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return "a label";
        case Kind::Slider:
            return "a slider";
        case Kind::List:
            return "a drop-down list";
        case Kind::Option:
            return "an option button";
        case Kind::Edit:
            return "an edit field";
        case Kind::Button:
            return "a push button";
        case Kind::Group:
            return "a group box";
        case Kind::Widget:
            break;
    }
    return "a control";
}

QString missingText(const Required& required) {
    return QCoreApplication::translate("Pages", "control %1 (%2)")
        .arg(required.id)
        .arg(QLatin1String(description(required.kind)));
}

void setPair(Form& form, int on, int off, bool enabled) {
    form.setChecked(on, enabled);
    form.setChecked(off, !enabled);
}

void selectNibble(Form& form, int list, int nibble, int fallback) {
    form.select(list, nibble >= 0 && nibble < form.count(list) ? nibble : fallback);
}

void showControls(Form& form, std::initializer_list<int> ids, bool shown) {
    for (int id : ids) form.show(id, shown);
}

void enableControls(Form& form, std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) form.enable(id, enabled);
}

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
    // "Off" in Chinese in every module: the page has always shown it so.
    return [format = std::move(format)](int value) {
        return value == 0 ? QStringLiteral("禁止") : format(value);
    };
}

}  // namespace model
