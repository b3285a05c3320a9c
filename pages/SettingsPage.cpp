#include "SettingsPage.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include "CalibrationImage.h"
#include "NumberText.h"
#include "Prompter.h"
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
            *error = kit::lackingControl(module, templateId, missing);
        delete form;
        return false;
    }
    form_ = form;
    templateId_ = templateId;
    language_ = module.isChinese() ? config::Language::Chinese : config::Language::English;
    // The template's size is what the page needs at the font it was drawn with; a larger
    // desktop font needs more, so the size is kept as the least, not the most.
    form_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_);
    // Shown now, laid out when the page is: sizing every text for a page nobody sees yet is
    // most of what building a page costs, and a command builds pages it never shows.
    QLayout* own = form_->layout();
    if (own)
        own->setEnabled(false);
    form_->show();
    if (own)
        own->setEnabled(true);
    for (QLabel* l : form_->findChildren<QLabel*>())
        if (l->text().contains(u'{'))
            rangeTexts_.push_back({l, l->text()});
    for (QGroupBox* box : form_->findChildren<QGroupBox*>())
        boxes_.emplace_back(box, box->minimumHeight());
    {
        const QScopedValueRollback<int> own(settingControls_, settingControls_ + 1);
        initialise();
    }
    watchEdits();
    return true;
}

void SettingsPage::watchEdits() {
    const auto user = [this] {
        if (settingControls_ == 0)
            emit edited();
    };
    for (auto* s : form_->findChildren<QAbstractSlider*>())
        connect(s, &QAbstractSlider::valueChanged, this, user);
    for (auto* l : form_->findChildren<QComboBox*>())
        connect(l, &QComboBox::currentIndexChanged, this, user);
    for (auto* b : form_->findChildren<QAbstractButton*>())
        connect(b, &QAbstractButton::toggled, this, user);
    for (auto* e : form_->findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, user);
}

void SettingsPage::setVisible(bool visible) {
    if (form_ == nullptr) {  // not built yet: nothing to load or store
        QWidget::setVisible(visible);
        return;
    }
    const bool wasShown = !isHidden();
    QWidget::setVisible(visible);
    const QScopedValueRollback<int> own(settingControls_, settingControls_ + 1);
    if (visible && !wasShown) {
        load();
        refreshLabels();
        fillRanges();
        collapseEmptyBoxes();
    } else if (!visible && wasShown) {
        store();
    }
}

QWidget* SettingsPage::firstSetting() const {
    if (form_ == nullptr)
        return nullptr;
    // The focus chain is the window's; the page's controls are the ones inside the form.
    for (QWidget* w = form_->nextInFocusChain(); w != nullptr && w != form_;
         w = w->nextInFocusChain())
        if (form_->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(form_) &&
            (w->focusPolicy() & Qt::TabFocus) != 0)
            return w;
    return nullptr;
}

void SettingsPage::fillRanges() {
    static const QRegularExpression placeholder(QStringLiteral("\\{([a-z0-9_]+)\\}"));
    for (const RangeText& r : rangeTexts_) {
        QString text;
        qsizetype done = 0;
        for (const QRegularExpressionMatch& m : placeholder.globalMatch(r.text)) {
            const config::Setting* s = config::findSetting(m.capturedView(1));
            text += QStringView(r.text).mid(done, m.capturedStart() - done);
            text += s ? config::offeredText(*s, image, language_) : m.captured();
            done = m.capturedEnd();
        }
        r.label->setText(text + r.text.mid(done));
    }
}

void SettingsPage::collapseEmptyBoxes() {
    for (const auto& [box, minimum] : boxes_) {
        bool empty = true;
        for (const QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            empty = empty && w->isHidden();
        // Folded to no height rather than hidden: the box stays one of the page's controls.
        box->setMinimumHeight(empty ? 0 : minimum);
        box->setMaximumHeight(empty ? 0 : QWIDGETSIZE_MAX);
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

namespace {

kit::Format formatOf(const config::Setting& setting) {
    const QLatin1String unit(setting.unit);
    if (unit == QLatin1String("%"))
        return kit::percent;
    if (unit == QLatin1String("V"))
        return kit::volts;
    if (unit == QLatin1String("C"))
        return kit::celsius;
    return kit::plain;
}

const config::Setting& settingNamed(const char* key) {
    const config::Setting* s = config::findSetting(QLatin1String(key));
    Q_ASSERT_X(s, "SettingsPage", key);
    return *s;
}

}  // namespace

void SettingsPage::bindSlider(int sliderId, int labelId, const char* key, kit::Format format) {
    const config::Setting& s = settingNamed(key);
    bindings_.push_back({&s, sliderId, labelId});
    bindLabel(sliderId, labelId, format ? std::move(format) : formatOf(s));
}

void SettingsPage::bindPair(int onId, int offId, const char* key) {
    bindings_.push_back({&settingNamed(key), onId, offId});
}

void SettingsPage::bindList(int listId, const char* key) {
    bindings_.push_back({&settingNamed(key), listId, 0});
}

void SettingsPage::bindEdit(int editId, const char* key) {
    const config::Setting& s = settingNamed(key);
    bindings_.push_back({&s, editId, 0});
    QLineEdit* field = edit(editId);
    QAction* mark = field->addAction(QIcon(), QLineEdit::TrailingPosition);
    mark->setVisible(false);
    connect(field, &QLineEdit::textChanged, this,
            [this, field, mark, &s] { markNumber(field, mark, s); });
    markNumber(field, mark, s);
}

void SettingsPage::markNumber(QLineEdit* field, QAction* mark, const config::Setting& s) {
    const QString text = field->text();
    const std::int32_t number = kit::textToNumber(text);
    const bool refused =
        number < 0 || !config::offered(s, image, static_cast<std::uint32_t>(number));
    const bool misread = !refused && !kit::readsAsTyped(text);
    QString tip = tr("A decimal number: %1").arg(config::offeredText(s, image, language_));
    if (refused)
        tip += u'\n' + tr("This text is refused: the setting keeps its previous value.");
    else if (misread)
        tip += u'\n' + tr("This text is stored as %1.").arg(number);
    field->setToolTip(tip);
    mark->setToolTip(tip);
    mark->setVisible(refused || misread);
    mark->setIcon(field->style()->standardIcon(refused ? QStyle::SP_MessageBoxCritical
                                                       : QStyle::SP_MessageBoxWarning));
    // A tint as well as the icon: either alone is easily missed.
    QPalette palette = field->parentWidget() ? field->parentWidget()->palette() : QPalette();
    if (refused || misread)
        palette.setColor(QPalette::Base, refused ? QColor(255, 214, 214) : QColor(255, 240, 190));
    field->setPalette(palette);
}

const SettingsPage::Binding& SettingsPage::binding(const char* key) const {
    for (const Binding& b : bindings_)
        if (qstrcmp(b.setting->key, key) == 0)
            return b;
    qFatal("SettingsPage: %s is not bound", key);
}

const config::Setting& SettingsPage::setting(const char* key) const {
    return settingNamed(key);
}

std::vector<const config::Setting*> SettingsPage::boundSettings() const {
    std::vector<const config::Setting*> out;
    for (const Binding& b : bindings_) out.push_back(b.setting);
    return out;
}

bool SettingsPage::offers(const config::Setting& s) const {
    for (const Binding& b : bindings_) {
        if (b.setting != &s)
            continue;
        const QWidget* c = control(b.control);
        return c != nullptr && c->isEnabled() && c->isVisibleTo(this);
    }
    return false;
}

void SettingsPage::loadSlider(const char* key) {
    const Binding& b = binding(key);
    QSlider* s = slider(b.control);
    const auto divisor = static_cast<std::uint32_t>(b.setting->divisor);
    if (const auto span = config::offeredSpan(*b.setting, image))
        s->setRange(static_cast<int>(span->low / divisor), static_cast<int>(span->high / divisor));
    s->setValue(static_cast<int>(b.setting->raw(image) / divisor));
}

void SettingsPage::storeSlider(const char* key) {
    const Binding& b = binding(key);
    b.setting->setRaw(image, static_cast<std::uint32_t>(position(b.control) * b.setting->divisor));
}

void SettingsPage::loadPair(const char* key) {
    const Binding& b = binding(key);
    kit::setPair(option(b.control), option(b.other),
                 (b.setting->raw(image) != 0) != b.setting->inverted);
}

void SettingsPage::storePair(const char* key) {
    const Binding& b = binding(key);
    b.setting->setRaw(image, checked(b.control) != b.setting->inverted ? 1 : 0);
}

void SettingsPage::fillList(const char* key) {
    const Binding& b = binding(key);
    const QStringList items = config::pageItems(*b.setting, image);
    if (!items.isEmpty())
        kit::refill(list(b.control), items);
}

void SettingsPage::loadEdit(const char* key) {
    const Binding& b = binding(key);
    // Shown as stored, in range or not; the store's check catches what does not fit.
    setText(b.control, QString::number(b.setting->raw(image)));
}

bool SettingsPage::storeEdit(const char* key) {
    const Binding& b = binding(key);
    const std::int32_t number = kit::textToNumber(edit(b.control)->text());
    if (number < 0 || !config::offered(*b.setting, image, static_cast<std::uint32_t>(number))) {
        if (!quiet_) {
            QStringList later;
            for (auto it = bindings_.begin() + (&b - bindings_.data()) + 1; it != bindings_.end();
                 ++it)
                if (offers(*it->setting))
                    later << captionOf(it->control, *it->setting);
            prompter.tellWithDetail(
                config::refusalText(*b.setting),
                later.isEmpty() ? QString()
                                : tr("Not stored either, because the page stops at the refused "
                                     "value; they keep their previous values: %1")
                                      .arg(later.join(QStringLiteral(", "))));
            edit(b.control)->setFocus();
        }
        emit refused(captionOf(b.control, *b.setting), QLatin1String(b.setting->key));
        return false;
    }
    b.setting->setRaw(image, static_cast<std::uint32_t>(number));
    return true;
}

namespace {

// Whether the layout holds w, directly or in a layout nested in it.
bool holds(QLayout* layout, const QWidget* w) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w || (item->layout() != nullptr && holds(item->layout(), w)))
            return true;
    }
    return false;
}

}  // namespace

QString SettingsPage::captionOf(int controlId, const config::Setting& s) const {
    // Templates pair each control with a caption in column 0 of its grid row; the control may
    // sit in a layout of that cell (an option pair).
    const QWidget* field = control(controlId);
    auto* grid = field && field->parentWidget()
                     ? qobject_cast<QGridLayout*>(field->parentWidget()->layout())
                     : nullptr;
    for (int i = 0; grid != nullptr && i < grid->count(); ++i) {
        QLayoutItem* item = grid->itemAt(i);
        if (item->widget() != field && (item->layout() == nullptr || !holds(item->layout(), field)))
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        const QLayoutItem* caption = grid->itemAtPosition(row, 0);
        if (const auto* label = caption ? qobject_cast<const QLabel*>(caption->widget()) : nullptr)
            if (label != field && !label->text().isEmpty())
                return label->text();
        break;
    }
    return s.caption(language_);
}
