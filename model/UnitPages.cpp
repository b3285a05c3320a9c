#include "UnitPages.h"

#include <QCoreApplication>
#include <QDir>

#include "PageCatalogue.h"
#include "TemplateForm.h"

namespace model {

// A page as a form read from its template and its rules.
class UnitPages::Page : public WalkedPage {
public:
    Page(std::unique_ptr<TemplateForm> form, std::unique_ptr<PageRules> rules)
        : form_(std::move(form)), rules_(std::move(rules)) {
        if (rules_)
            rules_->attach(*form_);
    }
    void enter() override {
        if (shown_)
            return;
        shown_ = true;
        if (rules_) {
            rules_->load();
            rules_->refreshed();
        }
    }
    const config::Setting* leave() override {
        if (!shown_)
            return nullptr;
        shown_ = false;
        return rules_ ? rules_->store() : nullptr;
    }
    const PageRules* rules() const override { return rules_.get(); }
    void setQuiet(bool) override {}  // a form never tells the user anything

private:
    std::unique_ptr<TemplateForm> form_;
    std::unique_ptr<PageRules> rules_;
    bool shown_ = false;
};

UnitPages::UnitPages(CalibrationImage& image) : image_(image), walk_(image) {}

UnitPages::~UnitPages() = default;

bool UnitPages::build(const Templates& templates, const QString& moduleFile, QString* error) {
    pages_.clear();
    std::vector<WalkedPage*> walked;
    for (const PageKind& kind : pageCatalogue()) {
        if (!kind.fits(image_))
            continue;
        QString why;
        const QByteArray ui = templates(kind.templateId, &why);
        std::unique_ptr<TemplateForm> form =
            ui.isNull() ? nullptr : TemplateForm::read(ui, kind.controls, &why);
        if (!form) {
            *error = ui.isNull() ? QCoreApplication::translate(
                                       "Pages", "The language module %1 cannot be used: %2")
                                       .arg(QDir::toNativeSeparators(moduleFile), why)
                                 : lackingControlText(moduleFile, kind.templateId, why);
            return false;
        }
        pages_.push_back(
            std::make_unique<Page>(std::move(form), kind.rules ? kind.rules(image_) : nullptr));
        walked.push_back(pages_.back().get());
    }
    walk_.setPages(std::move(walked));
    walk_.clearUnseenSettings();
    return true;
}

}  // namespace model
