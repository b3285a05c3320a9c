#include "TemplateForm.h"

#include <algorithm>

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace model {

namespace {

// The number of a control's name ("id1034"); 0 for other names.
int idOf(QStringView name) {
    if (!name.startsWith(u"id"))
        return 0;
    bool number = false;
    const int id = name.mid(2).toInt(&number);
    return number ? id : 0;
}

}  // namespace

std::unique_ptr<TemplateForm> TemplateForm::read(const QByteArray& ui,
                                                 std::span<const Required> required, QString* why) {
    std::unique_ptr<TemplateForm> form(new TemplateForm);
    QXmlStreamReader xml(ui);
    // The widget each open element belongs to, innermost last; -1 outside any.
    std::vector<int> widgets;
    std::vector<QStringView> path;  // names of the open elements
    QString property, group;
    bool comboItem = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            const int owner = widgets.empty() ? -1 : widgets.back();
            if (name == u"widget") {
                Control c;
                c.className = xml.attributes().value(QLatin1String("class")).toString();
                c.parent = widgets.size() > 1 ? widgets.back() : -1;
                const int index = static_cast<int>(form->controls_.size());
                if (const int id = idOf(xml.attributes().value(QLatin1String("name"))); id != 0)
                    form->byId_.insert(id, form->controls_.size());
                form->controls_.push_back(c);
                widgets.push_back(index);
            } else if (name == u"buttongroup") {
                group = xml.attributes().value(QLatin1String("name")).toString();
                form->groups_.insert(group, true);
            } else if (name == u"property" || name == u"attribute") {
                property = xml.attributes().value(QLatin1String("name")).toString();
            } else if (name == u"item" && owner >= 0 && !path.empty() && path.back() == u"widget" &&
                       form->controls_[static_cast<std::size_t>(owner)].className ==
                           QLatin1String("QComboBox")) {
                comboItem = true;
            } else if ((name == u"number" || name == u"bool" || name == u"string") &&
                       !property.isEmpty()) {
                const QString value = xml.readElementText();
                if (owner < 0 && group.isEmpty())
                    continue;
                if (!group.isEmpty() && owner < 0) {
                    if (property == QLatin1String("exclusive"))
                        form->groups_[group] = value == QLatin1String("true");
                    continue;
                }
                Control& c = form->controls_[static_cast<std::size_t>(owner)];
                const bool yes = value == QLatin1String("true");
                if (comboItem && property == QLatin1String("text")) {
                    c.items << value;
                    if (c.index < 0)
                        c.index = 0;  // a list given items selects its first
                } else if (comboItem) {
                } else if (property == QLatin1String("minimum")) {
                    c.low = value.toInt();
                    c.high = std::max(c.high, c.low);
                    c.position = std::clamp(c.position, c.low, c.high);
                } else if (property == QLatin1String("maximum")) {
                    c.high = value.toInt();
                    c.low = std::min(c.low, c.high);
                    c.position = std::clamp(c.position, c.low, c.high);
                } else if (property == QLatin1String("value")) {
                    c.position = std::clamp(value.toInt(), c.low, c.high);
                } else if (property == QLatin1String("text")) {
                    c.text = value;
                } else if (property == QLatin1String("checked")) {
                    c.checked = yes;
                } else if (property == QLatin1String("visible")) {
                    c.hidden = c.hidden || !yes;
                } else if (property == QLatin1String("hiddenOnCreate")) {
                    c.hidden = c.hidden || yes;
                } else if (property == QLatin1String("enabled")) {
                    c.disabled = !yes;
                } else if (property == QLatin1String("buttonGroup")) {
                    c.group = value;
                }
                continue;  // readElementText consumed the end element
            }
            path.push_back(name);
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = xml.name();
            if (name == u"widget")
                widgets.pop_back();
            else if (name == u"buttongroup")
                group.clear();
            else if (name == u"property" || name == u"attribute")
                property.clear();
            else if (name == u"item")
                comboItem = false;
            if (!path.empty())
                path.pop_back();
        }
    }
    if (xml.hasError() || form->controls_.empty()) {
        *why = xml.hasError() ? xml.errorString() : QStringLiteral("it holds no widget");
        return nullptr;
    }
    for (const Required& r : required) {
        const auto it = form->byId_.constFind(r.id);
        const bool fits = it != form->byId_.constEnd() &&
                          (r.kind == Kind::Widget ||
                           form->controls_[*it].className == QLatin1String(className(r.kind)));
        if (!fits) {
            *why = missingText(r);
            return nullptr;
        }
    }
    return form;
}

TemplateForm::Control& TemplateForm::at(int id) {
    const auto it = byId_.constFind(id);
    return it == byId_.constEnd() ? none_ : controls_[*it];
}

const TemplateForm::Control& TemplateForm::at(int id) const {
    const auto it = byId_.constFind(id);
    return it == byId_.constEnd() ? none_ : controls_[*it];
}

void TemplateForm::setRange(int slider, int low, int high) {
    Control& c = at(slider);
    c.low = low;
    c.high = std::max(low, high);
    c.position = std::clamp(c.position, c.low, c.high);
}

void TemplateForm::setPosition(int slider, int position) {
    Control& c = at(slider);
    c.position = std::clamp(position, c.low, c.high);
}

int TemplateForm::position(int slider) const {
    return at(slider).position;
}

int TemplateForm::count(int list) const {
    return static_cast<int>(at(list).items.size());
}

void TemplateForm::select(int list, int index) {
    Control& c = at(list);
    c.index = index >= 0 && index < c.items.size() ? index : -1;
}

int TemplateForm::selected(int list) const {
    return at(list).index;
}

void TemplateForm::refill(int list, const QStringList& items) {
    Control& c = at(list);
    c.items = items;
    c.index = items.isEmpty() ? -1 : 0;
}

std::vector<TemplateForm::Control*> TemplateForm::exclusiveWith(const Control& button,
                                                                bool* exclusive) {
    std::vector<Control*> with;
    if (!button.group.isEmpty()) {
        *exclusive = groups_.value(button.group, true);
        if (*exclusive)
            for (Control& c : controls_)
                if (c.group == button.group)
                    with.push_back(&c);
        return with;
    }
    // Option buttons of one parent exclude each other unless a group holds them.
    *exclusive = button.className == QLatin1String("QRadioButton");
    if (*exclusive)
        for (Control& c : controls_)
            if (c.group.isEmpty() && c.parent == button.parent &&
                c.className == QLatin1String("QRadioButton"))
                with.push_back(&c);
    return with;
}

void TemplateForm::setChecked(int option, bool checked) {
    Control& c = at(option);
    bool exclusive = false;
    const std::vector<Control*> with = exclusiveWith(c, &exclusive);
    if (!checked) {
        // The checked button of an exclusive set cannot be taken back.
        if (!(exclusive && c.checked))
            c.checked = false;
        return;
    }
    for (Control* other : with) other->checked = false;
    c.checked = true;
}

bool TemplateForm::checked(int option) const {
    return at(option).checked;
}

void TemplateForm::clearPair(int on, int off) {
    at(on).checked = false;
    at(off).checked = false;
}

void TemplateForm::setText(int id, const QString& text) {
    at(id).text = text;
}

QString TemplateForm::text(int id) const {
    return at(id).text;
}

void TemplateForm::show(int id, bool shown) {
    at(id).hidden = !shown;
}

void TemplateForm::enable(int id, bool enabled) {
    at(id).disabled = !enabled;
}

bool TemplateForm::offered(int id) const {
    const auto it = byId_.constFind(id);
    if (it == byId_.constEnd())
        return false;
    for (int i = static_cast<int>(*it); i >= 0; i = controls_[static_cast<std::size_t>(i)].parent) {
        const Control& c = controls_[static_cast<std::size_t>(i)];
        if (c.hidden || c.disabled)
            return false;
    }
    return true;
}

}  // namespace model
