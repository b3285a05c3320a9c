#include "PageBook.h"

#include <set>

#include <QScopedValueRollback>

#include "CStep2.h"
#include "CStep3.h"
#include "CStep4.h"
#include "CStep5.h"
#include "CStep6.h"
#include "CStep7.h"
#include "CalibrationImage.h"
#include "ResourceModule.h"
#include "V0204.h"

namespace {

template <class Page>
PageKind kind(const char* name, bool (*fits)(const CalibrationImage&)) {
    return {
        name, Page::Template, Page::Controls, fits,
        [](PageContext c) -> std::unique_ptr<SettingsPage> { return std::make_unique<Page>(c); }};
}

bool always(const CalibrationImage&) {
    return true;
}

bool from0204(const CalibrationImage& image) {
    return image.version().atLeast(0x0204);
}

const PageKind Catalogue[] = {
    kind<CStep2>("CStep2", always), kind<CStep3>("CStep3", always),
    kind<V0204>("V0204", from0204), kind<CStep5>("CStep5", hasRegeneration),
    kind<CStep4>("CStep4", always), kind<CStep7>("CStep7", isJ1939Variant),
    kind<CStep6>("CStep6", always),
};

// The control mode's old speed coding: byte 30 and its copy both 2.
constexpr std::uint8_t OldSpeedCoding = 2;

}  // namespace

std::span<const PageKind> pageCatalogue() {
    return Catalogue;
}

QString Adjustment::text(const CalibrationImage& image, config::Language language) const {
    using Kind = config::Message::Kind;
    const QString key = QLatin1String(setting->key);
    const QString file = config::fileText(*setting, image, asWritten);
    const QString instead = config::fileText(*setting, image, written);
    config::Message message{Kind::Interlocked, line, {key, file, instead}};
    switch (why) {
        case Why::OutOfRange:
            message = {Kind::Adjusted,
                       line,
                       {key, file, config::offeredText(*setting, image, language), instead}};
            break;
        case Why::NotOffered:
            message.kind = Kind::NotOffered;
            break;
        case Why::Refused:
            message.kind = Kind::RefusedValue;
            break;
        case Why::Interlock:
            break;
    }
    return message.text(language);
}

PageBook::PageBook(PageContext context) : image_(context.image), prompter_(context.prompter) {}

PageBook::~PageBook() = default;

bool PageBook::build(const ResourceModule& module, QWidget* parent, QString* error) {
    const PageContext context{image_, prompter_};
    pages_.clear();  // built again for another controller
    current_ = 0;
    for (const PageKind& k : Catalogue) {
        if (!k.fits(image_))
            continue;
        std::unique_ptr<SettingsPage> page = k.make(context);
        if (!page->create(module, k.templateId, parent, error))
            return false;
        page->hide();
        connect(page.get(), &SettingsPage::refused, this,
                [this](const QString& field, const QString& key) {
                    if (refusedKeys_)
                        refusedKeys_->append(key);
                    else
                        emit refused(field);
                });
        connect(page.get(), &SettingsPage::edited, this, &PageBook::edited);
        pages_.push_back(std::move(page));
    }
    // Without its page the regeneration switch would stay as read, unseen and unchangeable.
    if (!hasRegeneration(image_))
        config::findSetting("regeneration")->setRaw(image_, 0);
    return true;
}

SettingsPage* PageBook::page(unsigned n) const {
    return n >= 1 && n <= pages_.size() ? pages_[n - 1].get() : nullptr;
}

void PageBook::show(unsigned n) {
    // The page being left stores its fields before the page entered loads them, in both
    // directions, so that whatever one page changes in the other's fields is seen.
    const QScopedValueRollback<int> guard(changing_, changing_ + 1);
    for (unsigned i = 1; i <= count(); ++i)
        if (i != n)
            page(i)->hide();
    if (SettingsPage* entered = page(n))
        entered->show();
    current_ = std::clamp(n, 1u, std::max(count(), 1u));
}

bool PageBook::start() {
    show(1);
    return upgradeOldSpeedCoding();
}

bool PageBook::upgradeOldSpeedCoding() {
    if (image_.byte(Field::ControlMode) != OldSpeedCoding ||
        image_.byte(Field::ControlModeCopy) != OldSpeedCoding)
        return false;
    const config::Setting& mode = *config::findSetting("control_mode");
    mode.setRaw(image_, config::itemCode(mode, image_, u"torque").value_or(0));
    return true;
}

bool PageBook::rewrite(const std::function<bool(CalibrationImage&)>& change) {
    const QScopedValueRollback<int> guard(changing_, changing_ + 1);
    const unsigned at = current_;
    while (current_ < count()) show(current_ + 1);
    if (change && !change(image_))
        return false;
    while (current_ > 1) show(current_ - 1);
    while (current_ < at) show(current_ + 1);
    return true;
}

SettingsPage* PageBook::showing(const config::Setting& setting) const {
    for (const auto& p : pages_)
        for (const config::Setting* s : p->boundSettings())
            if (s == &setting)
                return p.get();
    return nullptr;
}

PageBook::Applied PageBook::apply(const config::ConfigFile& file) {
    if (auto refused = config::refusal(file.image(), image_))
        return {std::move(refused), {}};

    using Why = Adjustment::Why;
    const auto& values = file.values();
    // Lines the controller keeps its own value for, and why.
    std::vector<std::optional<Why>> kept(values.size());
    std::optional<CalibrationImage> stored;  // every page's fields, before the file
    QStringList refusedKeys;
    const QScopedValueRollback<QStringList*> collecting(refusedKeys_, &refusedKeys);
    for (auto& p : pages_) p->setQuiet(true);

    // A value can make another one unavailable (the forward switch takes the foot switch):
    // apply, see what the pages offer, and again without what they did not take.
    for (std::size_t round = 0; round <= values.size(); ++round) {
        refusedKeys.clear();
        rewrite([&](CalibrationImage& image) {
            if (!stored)
                stored = image;
            image = *stored;
            for (std::size_t i = 0; i < values.size(); ++i)
                if (!kept[i])
                    values[i].setting->setRaw(image, values[i].raw);
            return true;
        });
        bool more = false;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (kept[i])
                continue;
            const config::Setting& s = *values[i].setting;
            const SettingsPage* p = showing(s);
            if (refusedKeys.contains(QLatin1String(s.key)))
                kept[i] = Why::Refused;
            else if (p != nullptr && !p->offers(s))
                kept[i] = Why::NotOffered;
            more = more || kept[i].has_value();
        }
        if (!more)
            break;
    }
    // The page shown stores too, so that what it would write is what is compared.
    if (SettingsPage* shown = page(current_)) {
        const QScopedValueRollback<int> guard(changing_, changing_ + 1);
        shown->hide();
        shown->show();
    }
    for (auto& p : pages_) p->setQuiet(false);

    Applied applied;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const config::ConfigFile::Value& v = values[i];
        const std::uint32_t written = v.setting->raw(image_);
        if (written == v.raw)
            continue;
        const Why why = kept[i]                                       ? *kept[i]
                        : !config::offered(*v.setting, image_, v.raw) ? Why::OutOfRange
                                                                      : Why::Interlock;
        applied.adjustments.push_back({v.setting, v.line, v.raw, written, why});
    }
    return applied;
}
