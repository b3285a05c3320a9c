#pragma once
// Every page of the wizard, in its order: its template, the controls it addresses, the
// controllers that get it and its rules.

#include <memory>
#include <span>

#include "PageRules.h"

namespace model {

// The finish page's template: it addresses no control and has no rules.
struct Step6Controls {
    static constexpr int Template = 150;
};

struct PageKind {
    const char* name;
    int templateId;
    std::span<const Required> controls;
    bool (*fits)(const CalibrationImage& image);
    // The rules; none for a page that loads and stores nothing.
    std::unique_ptr<PageRules> (*rules)(CalibrationImage& image);
};
std::span<const PageKind> pageCatalogue();
// The kind of template id; null when no page has it.
const PageKind* pageKind(int templateId);

// "The language module FILE cannot be used: template 146 has no control 1034 (a slider)."
QString lackingControlText(const QString& moduleFile, int templateId, const QString& missing);

}  // namespace model
