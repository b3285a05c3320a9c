#pragma once
// The pages a controller gets, in the order the wizard shows them, and the walks over them that
// the wizard and the workshop commands share: showing a page, rewriting the image under every
// page, and applying a configuration file as the pages take it.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QObject>
#include <QString>

#include "ConfigFile.h"
#include "SettingsPage.h"

class QWidget;
class ResourceModule;

// One kind of page: its class, its template, the controls it addresses and the controllers
// that get it.
struct PageKind {
    const char* name;
    int templateId;
    std::span<const kit::Required> controls;
    bool (*fits)(const CalibrationImage& image);
    std::unique_ptr<SettingsPage> (*make)(PageContext context);
};
// Every page, in the wizard's order.
std::span<const PageKind> pageCatalogue();

// A line of a file that the controller will not take as written.
struct Adjustment {
    enum class Why {
        OutOfRange,  // the page offers other values: the nearest one is written
        NotOffered,  // the page does not offer the setting on this controller: it keeps its own
        Refused,     // the page refuses the number: the controller keeps its own
        Interlock,   // another setting decides it, as on the page
    };
    const config::Setting* setting;
    int line;
    std::uint32_t asWritten;  // the file's value
    std::uint32_t written;    // what goes onto the controller instead
    Why why;

    // "Line 12: max_motor_current = 255% is outside what the page offers (20%..100%); 100%
    // will be written."
    QString text(const CalibrationImage& image, config::Language language) const;
};

class PageBook : public QObject {
    Q_OBJECT
public:
    explicit PageBook(PageContext context);
    ~PageBook() override;

    // Builds, hidden, as children of parent, the pages that fit the controller (in place of any
    // built before), and clears the regeneration switch of a controller that has no
    // regeneration page. False, with a
    // reason, when a template cannot be built.
    bool build(const ResourceModule& module, QWidget* parent, QString* error);

    unsigned count() const { return static_cast<unsigned>(pages_.size()); }
    // The page shown, 1 to count(); 0 before any.
    unsigned current() const { return current_; }
    // Page n, 1 to count(); null outside.
    SettingsPage* page(unsigned n) const;
    // True while pages are shown and hidden: a page's message box must not re-enter.
    bool changing() const { return changing_ > 0; }

    // Hides every other page (the one left stores) and shows page n (it loads).
    void show(unsigned n);
    // An old speed coding of the control mode (bytes 30 and 18 both 2) becomes torque, as the
    // wizard does once page 1 is shown. True when it was upgraded.
    bool upgradeOldSpeedCoding();
    // What the wizard does once the controller is read: page 1 shown, an old coding upgraded.
    bool start();
    // Every page stores its fields, change alters the image, then every page loads and stores
    // again, from the last to the first, and the page shown before is shown again. When change
    // returns false the walk stops on the last page, the image as change left it.
    bool rewrite(const std::function<bool(CalibrationImage&)>& change);
    // The file's setting lines onto the image, as the pages take them: a value the page does
    // not offer on this controller, or refuses, leaves the controller's own; a value outside
    // the page's range is brought into it; interlocks apply. The lines taken otherwise than
    // written, or why the file does not fit this controller (nothing changed then).
    struct Applied {
        std::optional<config::Message> refusal;
        std::vector<Adjustment> adjustments;
    };
    Applied apply(const config::ConfigFile& file);

signals:
    // A page's store refused a typed number (outside apply).
    void refused(const QString& field);
    // The user changed a setting on a page.
    void edited();

private:
    SettingsPage* showing(const config::Setting& setting) const;

    CalibrationImage& image_;
    Prompter& prompter_;
    std::vector<std::unique_ptr<SettingsPage>> pages_;
    unsigned current_ = 0;
    int changing_ = 0;
    // Keys refused while a file is applied; null outside apply.
    QStringList* refusedKeys_ = nullptr;
};
