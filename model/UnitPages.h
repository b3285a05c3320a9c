#pragma once
// A controller's pages without a window: each built from its template in the language module
// as a form of its own, walked as the wizard walks its pages. What the workshop commands take
// a file through, so that they write what the wizard's Load and Finish would.

#include <functional>
#include <memory>
#include <vector>

#include "PageWalk.h"

namespace model {

class UnitPages {
public:
    // A template's text by its number; a null array, with why set, when the module has none.
    using Templates = std::function<QByteArray(int templateId, QString* why)>;

    explicit UnitPages(CalibrationImage& image);
    ~UnitPages();

    // Builds the pages that fit the controller from the templates of the module in
    // moduleFile. False, with a reason, when a template cannot be read or lacks a control.
    bool build(const Templates& templates, const QString& moduleFile, QString* error);
    PageWalk& walk() { return walk_; }
    const PageWalk& walk() const { return walk_; }

private:
    class Page;
    CalibrationImage& image_;
    std::vector<std::unique_ptr<Page>> pages_;
    PageWalk walk_;
};

}  // namespace model
