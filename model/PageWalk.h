#pragma once
// The walks over a controller's pages that the wizard and the workshop commands share:
// showing a page (the page left stores, the page entered loads), rewriting the image under
// every page, and applying a configuration file as the pages take it. The pages walked are the
// wizard's widgets or forms read from the templates; the walk is the same.

#include <functional>
#include <optional>
#include <vector>

#include "ConfigFile.h"
#include "PageRules.h"

namespace model {

// A page as a walk meets it.
class WalkedPage {
public:
    virtual ~WalkedPage() = default;
    // Shown: loads when it was hidden.
    virtual void enter() = 0;
    // Hidden: stores when it was shown; the setting whose number it refused, if any.
    virtual const config::Setting* leave() = 0;
    // Its rules; null for a page without settings.
    virtual const PageRules* rules() const = 0;
    // Refused numbers are said together when a file is applied, not one by one.
    virtual void setQuiet(bool quiet) = 0;
};

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

class PageWalk {
public:
    explicit PageWalk(CalibrationImage& image) : image_(image) {}

    // The pages walked, in order (not owned); the walk starts again before any is shown.
    void setPages(std::vector<WalkedPage*> pages);
    // Without its page the regeneration switch would stay as read, unseen and unchangeable.
    void clearUnseenSettings();

    unsigned count() const { return static_cast<unsigned>(pages_.size()); }
    unsigned current() const { return current_; }
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

    // The rules of the page that binds setting; null when no page walked binds it.
    const PageRules* rulesOf(const config::Setting& setting) const;
    // True while a file is applied: refused numbers are collected, not told one by one.
    bool applying() const { return refusedKeys_ != nullptr; }

private:
    void leave(WalkedPage& page);

    CalibrationImage& image_;
    std::vector<WalkedPage*> pages_;
    unsigned current_ = 0;
    int changing_ = 0;
    // Keys refused while a file is applied; null outside apply.
    QStringList* refusedKeys_ = nullptr;
};

}  // namespace model
