#include "PageBook.h"

#include <memory>
#include <utility>

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

// The first of Pages whose template is templateId, built; a plain page where none is.
template <class... Pages>
std::unique_ptr<SettingsPage> pageOf(int templateId, PageContext c) {
    std::unique_ptr<SettingsPage> page;
    ((templateId == Pages::Template && (page = std::make_unique<Pages>(c))) || ...);
    return page ? std::move(page) : std::make_unique<SettingsPage>(c, templateId);
}

}  // namespace

// The page class of a template: what the widgets add to a page's rules.
std::unique_ptr<SettingsPage> makePage(int templateId, PageContext c) {
    return pageOf<CStep2, CStep3, V0204, CStep5, CStep4, CStep7, CStep6>(templateId, c);
}

// A page as the walk meets it: shown and hidden, which loads and stores.
class PageBook::Walked : public model::WalkedPage {
public:
    explicit Walked(SettingsPage& page) : page_(page) {}
    void enter() override { page_.show(); }
    const config::Setting* leave() override {
        page_.hide();
        return page_.takeRefusal();
    }
    const model::PageRules* rules() const override { return page_.rules(); }
    void setQuiet(bool quiet) override { page_.setQuiet(quiet); }

private:
    SettingsPage& page_;
};

std::span<const model::PageKind> pageCatalogue() {
    return model::pageCatalogue();
}

PageBook::PageBook(PageContext context)
    : image_(context.image), prompter_(context.prompter), walk_(context.image) {}

PageBook::~PageBook() = default;

bool PageBook::build(const ResourceModule& module, QWidget* parent, QString* error) {
    const PageContext context{image_, prompter_};
    walk_.setPages({});
    walked_.clear();
    pages_.clear();  // built again for another controller
    std::vector<model::WalkedPage*> walked;
    for (const model::PageKind& k : model::pageCatalogue()) {
        if (!k.fits(image_))
            continue;
        std::unique_ptr<SettingsPage> page = makePage(k.templateId, context);
        if (!page->create(module, k.templateId, parent, error))
            return false;
        page->hide();
        connect(page.get(), &SettingsPage::refused, this,
                [this](const QString& field, const QString&) {
                    if (!walk_.applying())
                        emit refused(field);
                });
        connect(page.get(), &SettingsPage::edited, this, &PageBook::edited);
        walked_.push_back(std::make_unique<Walked>(*page));
        walked.push_back(walked_.back().get());
        pages_.push_back(std::move(page));
    }
    walk_.setPages(std::move(walked));
    walk_.clearUnseenSettings();
    return true;
}

SettingsPage* PageBook::page(unsigned n) const {
    return n >= 1 && n <= pages_.size() ? pages_[n - 1].get() : nullptr;
}
