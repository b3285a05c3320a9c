#pragma once

#include <memory>
#include <span>
#include <vector>

#include <QWidget>

#include "Controls.h"
#include "PageKit.h"
#include "PageRules.h"
#include "Settings.h"

class CalibrationImage;
class Prompter;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class ResourceModule;
class WidgetForm;

// What every page works with: the one calibration image and the message boxes.
struct PageContext {
    CalibrationImage& image;
    Prompter& prompter;
};

// A wizard page built from a dialog template of the language module. When the wizard shows it,
// its rules load its controls from the image; when the wizard hides it, they store them back.
// The page binds: what is shown, offered and stored is the rules' to decide. It never talks to
// the controller.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    // templateId names the page's rules in the catalogue; 0 for a page without rules.
    explicit SettingsPage(PageContext context, int templateId = 0);
    ~SettingsPage() override;

    // Builds the page from template templateId as a hidden child of parent. Fails, with a
    // reason, when the template lacks a control the page addresses.
    bool create(const ResourceModule& module, int templateId, QWidget* parent, QString* error);
    int templateId() const { return templateId_; }

    // Only a real change of the page's own visibility loads or stores.
    void setVisible(bool visible) override;

    // The controls the page addresses; the template must have each, of its kind.
    virtual std::span<const kit::Required> requiredControls() const;

    template <class T = QWidget>
    T* control(int id) const {
        return findControl<T>(form_, id);
    }

    // The first control in Tab order that the user can change now; null when there is none.
    QWidget* firstSetting() const;

    // Sets every value label from its slider, then lets the rules adjust what depends on it.
    void refreshLabels();

    // The settings this page's controls show, in the order the page binds them.
    std::vector<const config::Setting*> boundSettings() const;
    // Whether the page offers the setting to the user now: its control is enabled and not
    // hidden. False for a setting the page does not show.
    bool offers(const config::Setting& setting) const;
    // A refused number tells the user unless the page is quiet (a file being applied, whose
    // refusals are reported together).
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // The rules, null for a page without them.
    const model::PageRules* rules() const { return rules_.get(); }
    // The setting whose number the last store refused, cleared by asking.
    const config::Setting* takeRefusal() { return std::exchange(refusal_, nullptr); }

signals:
    // The user changed a control: a load, a store or a refresh changes none that counts.
    void edited();
    // A store refused the value of a field (its input check failed): the field keeps the
    // value it had. field names it for the user, as its caption does; key is its setting.
    void refused(const QString& field, const QString& key);

protected:
    // Image to controls, when the page becomes visible.
    virtual void load();
    // Controls to image, when the page becomes hidden.
    virtual void store();
    // Runs once, right after the template was built: the controls follow the rules.
    virtual void initialise();
    // Runs at the end of every label refresh.
    virtual void refreshed();

    CalibrationImage& image;
    Prompter& prompter;

private:
    // The label follows the slider: on every position and range change, and after each load.
    void bindLabel(const model::PageRules::Binding& binding);
    // An edit field shows the range it takes in its tool tip, and is marked (colour and icon)
    // while its text would be refused or stored as another number than the one shown.
    void bindEdit(const model::PageRules::Binding& binding);
    void markNumber(QLineEdit* field, QAction* mark, const config::Setting& setting);
    // The refused number said to the user, naming the later fields not stored either.
    void tellRefused(const model::PageRules::Binding& binding);
    // The caption beside a control in its grid row, or the setting's own.
    QString captionOf(int controlId, const config::Setting& setting) const;
    QLabel* captionLabel(int controlId) const;

    std::unique_ptr<model::PageRules> rules_;
    std::unique_ptr<WidgetForm> widgets_;
    const config::Setting* refusal_ = nullptr;

    struct LabelBinding {
        const model::PageRules::Binding* binding;
        QLabel* label;
    };
    QWidget* form_ = nullptr;
    int templateId_ = 0;
    std::vector<LabelBinding> labels_;
    bool quiet_ = false;
    config::Language language_ = config::Language::English;
    // Above zero while the page itself sets its controls.
    int settingControls_ = 0;
    void watchEdits();
    // A group box whose every control the page's rules hid (the CAN box of a controller
    // without CAN) takes no room and shows no empty frame.
    void collapseEmptyBoxes();
    // Every group box with the least height its template gives it.
    std::vector<std::pair<QGroupBox*, int>> boxes_;
    // Texts of the module that name a setting's range as {key}, as the template has them;
    // each load fills them in from the settings table for this controller.
    struct RangeText {
        QLabel* label;
        QString text;
    };
    std::vector<RangeText> rangeTexts_;
    void fillRanges();
    // Each bound control's accessible name is its caption (an option button's: the caption and
    // its choice); its description, filled on each load, the range or choices offered.
    void nameControls();
    void describeControls();
};
