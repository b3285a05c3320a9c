#pragma once
// What a page shows and decides, without a widget: which settings it binds to which controls,
// what it loads into them from the image, what it stores back, and how its controls follow
// each other. The page's widgets (or a form read from its template) only carry the values.

#include <memory>
#include <span>
#include <vector>

#include "CalibrationImage.h"
#include "Form.h"
#include "Settings.h"

namespace model {

class PageRules {
public:
    explicit PageRules(CalibrationImage& image) : image(image) {}
    virtual ~PageRules() = default;
    PageRules(const PageRules&) = delete;
    PageRules& operator=(const PageRules&) = delete;

    // The controls the rules address; the template must have each, of its kind.
    virtual std::span<const Required> controls() const { return {}; }

    // Once, on the form just built from the template: binds the settings.
    void attach(Form& form);
    // Image to controls, when the page is entered.
    virtual void load() {}
    // Controls to image, when the page is left. The first number refused ends it: its setting
    // is returned, and it and the settings stored after it keep their bytes.
    virtual const config::Setting* store() { return nullptr; }
    // After every load and every change of a value that labels show: what depends on them.
    virtual void refreshed() {}
    // A user's click on an option button; a load or a store sets buttons without it.
    virtual void clicked(int /*option*/) {}

    // A setting bound to its controls: the slider, list, edit field or the pair's on-button;
    // the pair's off-button or the slider's label.
    struct Binding {
        enum class Of { Slider, Pair, List, Edit } of;
        const config::Setting* setting;
        int control;
        int other;
        Format format;  // the slider's label
    };
    const std::vector<Binding>& bindings() const { return bindings_; }
    // The lists whose selection changes what the labels show.
    const std::vector<int>& refreshingLists() const { return refreshingLists_; }
    // The options whose click changes what the labels show.
    const std::vector<int>& refreshingOptions() const { return refreshingOptions_; }
    // Whether the page offers the setting now: its control is neither hidden nor disabled.
    bool offers(const config::Setting& setting) const;
    // The binding of a setting; null when the page does not bind it.
    const Binding* bindingOf(const config::Setting& setting) const;

protected:
    virtual void bind() {}

    void bindSlider(int slider, int label, const char* key, Format format = {});
    void bindPair(int on, int off, const char* key);
    void bindList(int list, const char* key);
    void bindEdit(int edit, const char* key);
    void refreshOnChange(int list) { refreshingLists_.push_back(list); }
    void refreshOnClick(int option) { refreshingOptions_.push_back(option); }

    // A slider takes the range the table offers this controller (keeping its own where none
    // is named) before its position: the stored value over the setting's divisor.
    void loadSlider(const char* key);
    void storeSlider(const char* key);
    void loadPair(const char* key);
    void storePair(const char* key);
    // Fills the list with the table's items where the page fills it; the template's otherwise.
    void fillList(const char* key);
    // Shown as stored, in range or not; the store's check catches what does not fit.
    void loadEdit(const char* key);
    // Stores the typed number when the table offers it; false, leaving the bytes, otherwise.
    bool storeEdit(const char* key);

    // The settings table's entry of key, bound on this page or not.
    static const config::Setting& setting(const char* key);
    // Whether this controller's firmware has the setting of key (the table's span).
    bool firmwareHas(const char* key) const;

    Form& form() const { return *form_; }

    CalibrationImage& image;

private:
    const Binding& binding(const char* key) const;

    Form* form_ = nullptr;
    std::vector<Binding> bindings_;
    std::vector<int> refreshingLists_;
    std::vector<int> refreshingOptions_;
};

}  // namespace model
