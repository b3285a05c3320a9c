#include "PageRules.h"

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

void PageRules::attach(Form& form) {
    form_ = &form;
    bind();
}

const config::Setting& PageRules::setting(const char* key) {
    const config::Setting* s = config::findSetting(QLatin1String(key));
    Q_ASSERT_X(s, "PageRules", key);
    return *s;
}

bool PageRules::firmwareHas(const char* key) const {
    return setting(key).inFirmware(image);
}

void PageRules::bindSlider(int slider, int label, const char* key, Format format) {
    const config::Setting& s = setting(key);
    bindings_.push_back(
        {Binding::Of::Slider, &s, slider, label, format ? std::move(format) : formatOf(s)});
}

void PageRules::bindPair(int on, int off, const char* key) {
    bindings_.push_back({Binding::Of::Pair, &setting(key), on, off, {}});
}

void PageRules::bindList(int list, const char* key) {
    bindings_.push_back({Binding::Of::List, &setting(key), list, 0, {}});
}

void PageRules::bindEdit(int edit, const char* key) {
    bindings_.push_back({Binding::Of::Edit, &setting(key), edit, 0, {}});
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
