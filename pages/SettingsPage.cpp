#include "SettingsPage.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
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
#include "Mnemonics.h"
#include "NumberText.h"
#include "PageCatalogue.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "WidgetForm.h"

namespace {

// A page is read out as a panel named after its step: a screen reader says which step the
// focus moved into when the wizard changes page.
QAccessibleInterface* pageAccessible(const QString&, QObject* object) {
    if (auto* page = qobject_cast<SettingsPage*>(object))
        return new QAccessibleWidget(page, QAccessible::Pane);
    return nullptr;
}

}  // namespace

SettingsPage::SettingsPage(PageContext context, int templateId)
    : image(context.image), prompter(context.prompter) {
    static const bool readAsPanels = (QAccessible::installFactory(pageAccessible), true);
    Q_UNUSED(readAsPanels);
    if (const model::PageKind* kind = model::pageKind(templateId); kind && kind->rules)
        rules_ = kind->rules(image);
}

SettingsPage::~SettingsPage() = default;

std::span<const kit::Required> SettingsPage::requiredControls() const {
    return rules_ ? rules_->controls() : std::span<const kit::Required>{};
}

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
    widgets_ = std::make_unique<WidgetForm>(this, form_);
    {
        const QScopedValueRollback<int> own(settingControls_, settingControls_ + 1);
        if (rules_)
            rules_->attach(*widgets_);
        initialise();
    }
    nameControls();
    watchEdits();
    return true;
}

void SettingsPage::initialise() {
    if (!rules_)
        return;
    for (const model::PageRules::Binding& b : rules_->bindings()) {
        if (b.of == model::PageRules::Binding::Of::Slider)
            bindLabel(b);
        else if (b.of == model::PageRules::Binding::Of::Edit)
            bindEdit(b);
    }
    for (int id : rules_->refreshingLists())
        connect(control<QComboBox>(id), &QComboBox::currentIndexChanged, this,
                &SettingsPage::refreshLabels);
    for (int id : rules_->refreshingOptions())
        connect(control<QAbstractButton>(id), &QAbstractButton::clicked, this,
                &SettingsPage::refreshLabels);
    // A user's click only: a load or a store sets the buttons without the rules' reaction.
    for (const kit::Required& r : rules_->controls())
        if (r.kind == kit::Kind::Option)
            connect(control<QAbstractButton>(r.id), &QAbstractButton::clicked, this,
                    [this, id = r.id] { rules_->clicked(id); });
}

void SettingsPage::load() {
    if (rules_)
        rules_->load();
}

void SettingsPage::refreshed() {
    if (rules_)
        rules_->refreshed();
}

void SettingsPage::store() {
    if (!rules_)
        return;
    const config::Setting* refused = rules_->store();
    if (refused == nullptr)
        return;
    refusal_ = refused;
    const model::PageRules::Binding& b = *rules_->bindingOf(*refused);
    if (!quiet_)
        tellRefused(b);
    emit this->refused(captionOf(b.control, *refused), QLatin1String(refused->key));
}

void SettingsPage::tellRefused(const model::PageRules::Binding& b) {
    // A page's store stops at a refusal, and pages bind their settings in the order they
    // store them: the settings bound after this one are not stored either.
    QStringList later;
    const auto& all = rules_->bindings();
    for (auto it = all.begin() + (&b - all.data()) + 1; it != all.end(); ++it)
        if (offers(*it->setting))
            later << captionOf(it->control, *it->setting);
    prompter.tellWithDetail(config::refusalText(*b.setting),
                            later.isEmpty()
                                ? QString()
                                : tr("Not stored either, because the page stops at the refused "
                                     "value; they keep their previous values: %1")
                                      .arg(later.join(QStringLiteral(", "))));
    control(b.control)->setFocus();
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
        describeControls();
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

void SettingsPage::nameControls() {
    // Read out by their captions: a slider's own text is its group box's, an option button's
    // only "Enable", a list's its current item.
    if (!rules_)
        return;
    using Of = model::PageRules::Binding::Of;
    for (const model::PageRules::Binding& b : rules_->bindings()) {
        const QString caption = mnemonic::plain(captionOf(b.control, *b.setting));
        if (b.of != Of::Pair) {
            control(b.control)->setAccessibleName(caption);
            // A list's name on this platform is its current item; its caption reaches a
            // screen reader as the label it is labelled by.
            if (QLabel* label = captionLabel(b.control); label && b.of == Of::List)
                label->setBuddy(control(b.control));
            continue;
        }
        for (const int id : {b.control, b.other}) {
            QAbstractButton* button = control<QAbstractButton>(id);
            //: An option button as a screen reader says it: the setting, then the choice.
            button->setAccessibleName(tr("%1: %2").arg(caption, mnemonic::plain(button->text())));
        }
    }
}

void SettingsPage::describeControls() {
    // The range or the choices this controller offers, which change with its variant.
    if (!rules_)
        return;
    using Of = model::PageRules::Binding::Of;
    for (const model::PageRules::Binding& b : rules_->bindings()) {
        if (b.of == Of::Pair)
            continue;
        QString offered = b.of == Of::List ? config::choicesText(*b.setting, image, language_)
                                           : config::offeredText(*b.setting, image, language_);
        if (auto* list = control<QComboBox>(b.control); list && offered.isEmpty()) {
            QStringList items;  // a list whose items the template keeps
            for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
            offered = items.join(QStringLiteral(", "));
        }
        control(b.control)->setAccessibleDescription(offered);
    }
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
    for (const LabelBinding& l : labels_)
        l.label->setText(l.binding->format(control<QSlider>(l.binding->control)->value()));
    refreshed();
}

void SettingsPage::bindLabel(const model::PageRules::Binding& binding) {
    auto* s = control<QSlider>(binding.control);
    labels_.push_back({&binding, control<QLabel>(binding.other)});
    connect(s, &QSlider::valueChanged, this, &SettingsPage::refreshLabels);
    connect(s, &QSlider::rangeChanged, this, &SettingsPage::refreshLabels);
}

void SettingsPage::bindEdit(const model::PageRules::Binding& binding) {
    const config::Setting& s = *binding.setting;
    auto* field = control<QLineEdit>(binding.control);
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

std::vector<const config::Setting*> SettingsPage::boundSettings() const {
    std::vector<const config::Setting*> out;
    if (rules_)
        for (const auto& b : rules_->bindings()) out.push_back(b.setting);
    return out;
}

bool SettingsPage::offers(const config::Setting& s) const {
    return rules_ && rules_->offers(s);
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

QLabel* SettingsPage::captionLabel(int controlId) const {
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
        if (auto* label = caption ? qobject_cast<QLabel*>(caption->widget()) : nullptr)
            if (label != field && !label->text().isEmpty())
                return label;
        break;
    }
    return nullptr;
}

QString SettingsPage::captionOf(int controlId, const config::Setting& s) const {
    const QLabel* label = captionLabel(controlId);
    return label != nullptr ? label->text() : s.caption(language_);
}
