#pragma once
// The wizard's pages of a controller, as widgets, in the order the catalogue gives, walked as
// every controller's pages are walked (model::PageWalk): showing a page, rewriting the image
// under every page, and applying a configuration file as the pages take it.

#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QObject>
#include <QString>

#include "ConfigFile.h"
#include "PageCatalogue.h"
#include "PageWalk.h"
#include "SettingsPage.h"

class QWidget;
class ResourceModule;

using Adjustment = model::Adjustment;

using PageKind = model::PageKind;
// Every page, in the wizard's order.
std::span<const model::PageKind> pageCatalogue();
// The page of a template, built by create().
std::unique_ptr<SettingsPage> makePage(int templateId, PageContext context);

class PageBook : public QObject {
    Q_OBJECT
public:
    explicit PageBook(PageContext context);
    ~PageBook() override;

    // Builds, hidden, as children of parent, the pages that fit the controller (in place of any
    // built before), and clears the regeneration switch of a controller that has no
    // regeneration page. False, with a reason, when a template cannot be built.
    bool build(const ResourceModule& module, QWidget* parent, QString* error);

    unsigned count() const { return walk_.count(); }
    // The page shown, 1 to count(); 0 before any.
    unsigned current() const { return walk_.current(); }
    // Page n, 1 to count(); null outside.
    SettingsPage* page(unsigned n) const;
    // True while pages are shown and hidden: a page's message box must not re-enter.
    bool changing() const { return walk_.changing(); }

    void show(unsigned n) { walk_.show(n); }
    bool upgradeOldSpeedCoding() { return walk_.upgradeOldSpeedCoding(); }
    bool start() { return walk_.start(); }
    bool rewrite(const std::function<bool(CalibrationImage&)>& change) {
        return walk_.rewrite(change);
    }
    using Applied = model::PageWalk::Applied;
    Applied apply(const config::ConfigFile& file) { return walk_.apply(file); }

signals:
    // A page's store refused a typed number (outside apply).
    void refused(const QString& field);
    // The user changed a setting on a page.
    void edited();

private:
    class Walked;
    CalibrationImage& image_;
    Prompter& prompter_;
    std::vector<std::unique_ptr<SettingsPage>> pages_;
    std::vector<std::unique_ptr<Walked>> walked_;
    model::PageWalk walk_;
};
