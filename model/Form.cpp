#include "Form.h"

#include <iterator>

#include <QCoreApplication>

namespace model {

namespace {

// Each kind's template class, and how messages name it; in the order of Kind.
struct KindText {
    Kind kind;
    const char* className;
    const char* description;
};
constexpr KindText Kinds[] = {
    {Kind::Label, "QLabel", "a label"},
    {Kind::Slider, "QSlider", "a slider"},
    {Kind::List, "QComboBox", "a drop-down list"},
    {Kind::Option, "QRadioButton", "an option button"},
    {Kind::Edit, "QLineEdit", "an edit field"},
    {Kind::Button, "QPushButton", "a push button"},
    {Kind::Group, "QGroupBox", "a group box"},
    {Kind::Widget, "QWidget", "a control"},
};
static_assert(std::size(Kinds) == static_cast<std::size_t>(Kind::Widget) + 1);

const KindText& textOf(Kind kind) {
    const auto at = static_cast<std::size_t>(kind);
    Q_ASSERT(at < std::size(Kinds) && Kinds[at].kind == kind);
    return Kinds[at];
}

}  // namespace

const char* className(Kind kind) {
    return textOf(kind).className;
}

const char* description(Kind kind) {
    return textOf(kind).description;
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
