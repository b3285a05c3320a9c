#include "PageRules.h"

#include <utility>

#include <QtGlobal>

#include "NumberText.h"

namespace model {

namespace {

Format formatOf(const config::Setting& setting) {
    const QLatin1String unit(setting.unit);
    if (unit == QLatin1String("%"))
        return percent;
    if (unit == QLatin1String("V"))
        return volts;
    if (unit == QLatin1String("C"))
        return celsius;
    return plain;
}

}  // namespace

std::vector<Required> requiredOf(std::span<const Bound> bound, std::span<const int> labels,
                                 std::span<const int> options, std::span<const int> groups) {
    std::vector<Required> all;
    for (const Bound& b : bound) {
        switch (b.of) {
            case Bound::Of::Slider:
                all.push_back({b.control, Kind::Slider});
                all.push_back({b.other, Kind::Label});
                break;
            case Bound::Of::Pair:
                all.push_back({b.control, Kind::Option});
                all.push_back({b.other, Kind::Option});
                break;
            case Bound::Of::List:
                all.push_back({b.control, Kind::List});
                break;
            case Bound::Of::Edit:
                all.push_back({b.control, Kind::Edit});
                break;
        }
    }
    for (const auto& [ids, kind] :
         {std::pair{labels, Kind::Label}, std::pair{options, Kind::Option},
          std::pair{groups, Kind::Group}})
        for (int id : ids) all.push_back({id, kind});
    return all;
}

void PageRules::attach(Form& form) {
    form_ = &form;
    for (const Bound& b : table_) {
        const config::Setting& s = setting(b.key);
        bindings_.push_back(
            {b.of, &s, b.control, b.other, b.of == Bound::Of::Slider ? formatOf(s) : Format{}});
    }
    bind();
}

void PageRules::reformat(const char* key, Format format) {
    for (Binding& b : bindings_)
        if (qstrcmp(b.setting->key, key) == 0) {
            b.format = std::move(format);
            return;
        }
    qFatal("PageRules: %s is not bound", key);
}

const config::Setting& PageRules::setting(const char* key) {
    const config::Setting* s = config::findSetting(QLatin1String(key));
    Q_ASSERT_X(s, "PageRules", key);
    return *s;
}

bool PageRules::firmwareHas(const char* key) const {
    return setting(key).inFirmware(image);
}

const PageRules::Binding& PageRules::binding(const char* key) const {
    for (const Binding& b : bindings_)
        if (qstrcmp(b.setting->key, key) == 0)
            return b;
    qFatal("PageRules: %s is not bound", key);
}

const PageRules::Binding* PageRules::bindingOf(const config::Setting& setting) const {
    for (const Binding& b : bindings_)
        if (b.setting == &setting)
            return &b;
    return nullptr;
}

bool PageRules::offers(const config::Setting& setting) const {
    const Binding* b = bindingOf(setting);
    return b != nullptr && form_->offered(b->control);
}

void PageRules::loadSlider(const char* key) {
    const Binding& b = binding(key);
    const auto divisor = static_cast<std::uint32_t>(b.setting->divisor);
    if (const auto span = config::offeredSpan(*b.setting, image))
        form_->setRange(b.control, static_cast<int>(span->low / divisor),
                        static_cast<int>(span->high / divisor));
    form_->setPosition(b.control, static_cast<int>(b.setting->raw(image) / divisor));
}

void PageRules::storeSlider(const char* key) {
    const Binding& b = binding(key);
    b.setting->setRaw(image,
                      static_cast<std::uint32_t>(form_->position(b.control) * b.setting->divisor));
}

void PageRules::loadPair(const char* key) {
    const Binding& b = binding(key);
    setPair(*form_, b.control, b.other, (b.setting->raw(image) != 0) != b.setting->inverted);
}

void PageRules::storePair(const char* key) {
    const Binding& b = binding(key);
    b.setting->setRaw(image, form_->checked(b.control) != b.setting->inverted ? 1 : 0);
}

void PageRules::fillList(const char* key) {
    const Binding& b = binding(key);
    const QStringList items = config::pageItems(*b.setting, image);
    if (!items.isEmpty())
        form_->refill(b.control, items);
}

void PageRules::loadEdit(const char* key) {
    const Binding& b = binding(key);
    form_->setText(b.control, QString::number(b.setting->raw(image)));
}

bool PageRules::storeEdit(const char* key) {
    const Binding& b = binding(key);
    const std::int32_t number = kit::textToNumber(form_->text(b.control));
    if (number < 0 || !config::offered(*b.setting, image, static_cast<std::uint32_t>(number)))
        return false;
    b.setting->setRaw(image, static_cast<std::uint32_t>(number));
    return true;
}

}  // namespace model
