#include "PageRules.h"

#include <algorithm>
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

void PageRules::byKind(std::initializer_list<const char*> keys,
                       void (PageRules::*slider)(const char*),
                       void (PageRules::*pair)(const char*)) {
    for (const char* key : keys) (this->*(binding(key).of == Bound::Of::Pair ? pair : slider))(key);
}

void PageRules::loadAll(std::initializer_list<const char*> keys) {
    byKind(keys, &PageRules::loadSlider, &PageRules::loadPair);
}

void PageRules::storeAll(std::initializer_list<const char*> keys) {
    byKind(keys, &PageRules::storeSlider, &PageRules::storePair);
}

bool PageRules::loadIfHeld(const char* key) {
    const bool held = firmwareHas(key);
    if (held) {
        loadAll({key});
    } else {
        const Binding& b = binding(key);
        form_->enable(b.control, false);
        if (b.of == Bound::Of::Pair)
            form_->enable(b.other, false);
    }
    return held;
}

void PageRules::storeIfHeld(const char* key) {
    if (firmwareHas(key))
        storeAll({key});
}

void PageRules::loadCode(const char* key, std::span<const std::uint32_t> codes, int fallback) {
    const Binding& b = binding(key);
    const auto found = std::find(codes.begin(), codes.end(), b.setting->raw(image));
    form_->select(b.control,
                  found == codes.end() ? fallback : static_cast<int>(found - codes.begin()));
}

void PageRules::storeCode(const char* key, std::span<const std::uint32_t> codes,
                          std::uint32_t fallback) {
    const Binding& b = binding(key);
    const int item = form_->selected(b.control);
    b.setting->setRaw(image, item >= 0 && static_cast<std::size_t>(item) < codes.size()
                                 ? codes[static_cast<std::size_t>(item)]
                                 : fallback);
}

bool PageRules::loadSpan(const SpanKeys& keys) {
    const Binding& start = binding(keys.start);
    const Binding& end = binding(keys.end);
    const Binding& startStep = binding(keys.startStep);
    const Binding& endStep = binding(keys.endStep);
    loadSlider(keys.start);
    selectNibble(*form_, startStep.control, static_cast<int>(startStep.setting->raw(image)), 2);
    loadSlider(keys.end);
    selectNibble(*form_, endStep.control, static_cast<int>(endStep.setting->raw(image)), 2);
    const bool sliders = firmwareHas(keys.start);
    if (sliders)
        showControls(*form_, {startStep.control, endStep.control}, false);
    else
        showControls(*form_, {start.control, end.control, start.other, end.other}, false);
    return sliders;
}

void PageRules::storeSpan(const SpanKeys& keys) {
    if (firmwareHas(keys.start)) {
        storeSlider(keys.start);
        storeSlider(keys.end);
        return;
    }
    for (const char* key : {keys.startStep, keys.endStep}) {
        const Binding& b = binding(key);
        if (const int s = form_->selected(b.control); s >= 0)
            b.setting->setRaw(image, static_cast<std::uint32_t>(s));
    }
}

}  // namespace model
