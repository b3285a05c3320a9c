#pragma once
// What a page shows and decides, without a widget: which settings it binds to which controls,
// what it loads into them from the image, what it stores back, and how its controls follow
// each other. The page's widgets (or a form read from its template) only carry the values.

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

#include "CalibrationImage.h"
#include "Form.h"
#include "Settings.h"

namespace model {

// A row of a page's binding table: the controls that show a setting (a slider and its value
// label, an Enable/Disable pair's on- and off-button, a list, an edit field) and the setting.
// The table is all a page declares of them: the controls its template must have follow from it.
struct Bound {
    enum class Of { Slider, Pair, List, Edit } of;
    int control;
    int other;
    const char* key;
};
constexpr Bound sliderOf(int slider, int label, const char* key) {
    return {Bound::Of::Slider, slider, label, key};
}
constexpr Bound pairOf(int on, int off, const char* key) {
    return {Bound::Of::Pair, on, off, key};
}
constexpr Bound listOf(int list, const char* key) {
    return {Bound::Of::List, list, 0, key};
}
constexpr Bound editOf(int edit, const char* key) {
    return {Bound::Of::Edit, edit, 0, key};
}

// A sensor's span, kept by the firmware as start and end sliders or, before them, as the
// nibbles of the start and end step lists: the settings of both forms.
struct SpanKeys {
    const char* start;
    const char* end;
    const char* startStep;
    const char* endStep;
};

// The controls a page addresses: those of its bindings, and the labels, option buttons and
// group boxes its rules set or hide themselves.
std::vector<Required> requiredOf(std::span<const Bound> bound, std::span<const int> labels,
                                 std::span<const int> options, std::span<const int> groups);

// The same for a page's controls description C (Bindings, and Labels, Options and Groups
// where it has them); made once.
template <class C>
std::span<const Required> requiredControls() {
    static const std::vector<Required> all = [] {
        const auto of = [](const auto& table) {
            return std::span(std::data(table), std::size(table));
        };
        std::span<const Bound> bound;
        std::span<const int> labels, options, groups;
        if constexpr (requires { C::Bindings; })
            bound = of(C::Bindings);
        if constexpr (requires { C::Labels; })
            labels = of(C::Labels);
        if constexpr (requires { C::Options; })
            options = of(C::Options);
        if constexpr (requires { C::Groups; })
            groups = of(C::Groups);
        return requiredOf(bound, labels, options, groups);
    }();
    return all;
}

class PageRules {
public:
    PageRules(CalibrationImage& image, std::span<const Bound> table,
              std::span<const Required> controls)
        : image(image), table_(table), controls_(controls) {}
    virtual ~PageRules() = default;
    PageRules(const PageRules&) = delete;
    PageRules& operator=(const PageRules&) = delete;

    // The controls the rules address; the template must have each, of its kind.
    std::span<const Required> controls() const { return controls_; }

    // Once, on the form just built from the template: binds the settings of the table.
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
        using Of = Bound::Of;
        Of of;
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
    // After the table is bound: what the table does not say (label formats that follow the
    // form, the controls that refresh the labels).
    virtual void bind() {}

    // The label of key's slider shows its value so, instead of in the setting's unit.
    void reformat(const char* key, Format format);
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
    // Sliders and pairs, each as its kind is loaded and stored, in the order given.
    void loadAll(std::initializer_list<const char*> keys);
    void storeAll(std::initializer_list<const char*> keys);
    // A slider or a pair where the firmware has its setting: loaded, or else disabled as the
    // template has it. True when loaded.
    bool loadIfHeld(const char* key);
    // Stores a slider or a pair where the firmware has its setting.
    void storeIfHeld(const char* key);
    // A list whose item i stands for codes[i]: the load selects the stored code's item, or
    // item fallback for a code no item stands for; the store takes the selected item's code,
    // or fallback without a selection.
    void loadCode(const char* key, std::span<const std::uint32_t> codes, int fallback);
    void storeCode(const char* key, std::span<const std::uint32_t> codes, std::uint32_t fallback);

    // Loads both forms and hides the one the firmware lacks; true when it has the sliders.
    bool loadSpan(const SpanKeys& keys);
    // Stores the form the firmware has; a step list without a selection leaves its nibble.
    void storeSpan(const SpanKeys& keys);

    // The settings table's entry of key, bound on this page or not.
    static const config::Setting& setting(const char* key);
    // Whether this controller's firmware has the setting of key (the table's span).
    bool firmwareHas(const char* key) const;

    Form& form() const { return *form_; }

    CalibrationImage& image;

private:
    const Binding& binding(const char* key) const;
    // Calls pair for each key bound to a pair, slider for the others.
    void byKind(std::initializer_list<const char*> keys, void (PageRules::*slider)(const char*),
                void (PageRules::*pair)(const char*));

    std::span<const Bound> table_;
    std::span<const Required> controls_;
    Form* form_ = nullptr;
    std::vector<Binding> bindings_;
    std::vector<int> refreshingLists_;
    std::vector<int> refreshingOptions_;
};

// The rules of a page whose controls C describes: C's ids in scope, C's table bound.
template <class C>
class RulesOf : public PageRules, public C {
public:
    explicit RulesOf(CalibrationImage& image)
        : PageRules(image, C::Bindings, requiredControls<C>()) {}
};

// Makes a page's rules; each page's file names its maker for the catalogue.
using RulesMaker = std::unique_ptr<PageRules> (*)(CalibrationImage& image);
template <class R>
std::unique_ptr<PageRules> makeRules(CalibrationImage& image) {
    return std::make_unique<R>(image);
}

}  // namespace model
