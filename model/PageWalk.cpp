#include "PageWalk.h"

#include <algorithm>

#include <QScopedValueRollback>

namespace model {

namespace {

// The control mode's old speed coding: byte 30 and its copy both 2.
constexpr std::uint8_t OldSpeedCoding = 2;

}  // namespace

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

void PageWalk::setPages(std::vector<WalkedPage*> pages) {
    pages_ = std::move(pages);
    current_ = 0;
}

void PageWalk::clearUnseenSettings() {
    if (!hasRegeneration(image_))
        config::findSetting("regeneration")->setRaw(image_, 0);
}

void PageWalk::leave(WalkedPage& page) {
    const config::Setting* refusedBy = page.leave();
    if (refusedBy != nullptr && refusedKeys_ != nullptr)
        refusedKeys_->append(QLatin1String(refusedBy->key));
}

void PageWalk::show(unsigned n) {
    // The page being left stores its fields before the page entered loads them, in both
    // directions, so that whatever one page changes in the other's fields is seen.
    const QScopedValueRollback<int> guard(changing_, changing_ + 1);
    for (unsigned i = 1; i <= count(); ++i)
        if (i != n)
            leave(*pages_[i - 1]);
    if (n >= 1 && n <= count())
        pages_[n - 1]->enter();
    current_ = std::clamp(n, 1u, std::max(count(), 1u));
}

bool PageWalk::start() {
    show(1);
    return upgradeOldSpeedCoding();
}

bool PageWalk::upgradeOldSpeedCoding() {
    if (image_.byte(Field::ControlMode) != OldSpeedCoding ||
        image_.byte(Field::ControlModeCopy) != OldSpeedCoding)
        return false;
    const config::Setting& mode = *config::findSetting("control_mode");
    mode.setRaw(image_, config::itemCode(mode, image_, u"torque").value_or(0));
    return true;
}

bool PageWalk::rewrite(const std::function<bool(CalibrationImage&)>& change) {
    const QScopedValueRollback<int> guard(changing_, changing_ + 1);
    const unsigned at = current_;
    while (current_ < count()) show(current_ + 1);
    if (change && !change(image_))
        return false;
    while (current_ > 1) show(current_ - 1);
    while (current_ < at) show(current_ + 1);
    return true;
}

const PageRules* PageWalk::rulesOf(const config::Setting& setting) const {
    for (const WalkedPage* p : pages_)
        if (const PageRules* r = p->rules(); r != nullptr && r->bindingOf(setting) != nullptr)
            return r;
    return nullptr;
}

PageWalk::Applied PageWalk::apply(const config::ConfigFile& file) {
    if (auto refusedFile = config::refusal(file.image(), image_))
        return {std::move(refusedFile), {}};

    using Why = Adjustment::Why;
    const auto& values = file.values();
    // Lines the controller keeps its own value for, and why.
    std::vector<std::optional<Why>> kept(values.size());
    std::optional<CalibrationImage> stored;  // every page's fields, before the file
    QStringList refusedKeys;
    const QScopedValueRollback<QStringList*> collecting(refusedKeys_, &refusedKeys);
    for (WalkedPage* p : pages_) p->setQuiet(true);

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
            const PageRules* p = rulesOf(s);
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
    if (current_ >= 1 && current_ <= count()) {
        const QScopedValueRollback<int> guard(changing_, changing_ + 1);
        leave(*pages_[current_ - 1]);
        pages_[current_ - 1]->enter();
    }
    for (WalkedPage* p : pages_) p->setQuiet(false);

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

}  // namespace model
