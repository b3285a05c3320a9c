#pragma once

#include <span>
#include <vector>

#include <QWidget>

#include <QAnyStringView>

#include "Controls.h"
#include "PageKit.h"
#include "Settings.h"

class CalibrationImage;
class Prompter;
class QAbstractButton;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class ResourceModule;

// What every page works with: the one calibration image and the message boxes.
struct PageContext {
    CalibrationImage& image;
    Prompter& prompter;
};

// A wizard page built from a dialog template of the language module. It loads its controls
// from the image when the wizard shows it and stores them back when the wizard hides it; it
// never talks to the controller.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(PageContext context) : image(context.image), prompter(context.prompter) {}

    // Builds the page from template templateId as a hidden child of parent. Fails, with a
    // reason, when the template lacks a control the page addresses.
    bool create(const ResourceModule& module, int templateId, QWidget* parent, QString* error);
    int templateId() const { return templateId_; }

    // Only a real change of the page's own visibility loads or stores.
    void setVisible(bool visible) override;

    // The controls the page addresses; the template must have each, of its kind.
    virtual std::span<const kit::Required> requiredControls() const { return {}; }

    template <class T = QWidget>
    T* control(int id) const {
        return findControl<T>(form_, id);
    }

    // The first control in Tab order that the user can change now; null when there is none.
    QWidget* firstSetting() const;

    // Sets every value label from its slider, then lets the page adjust what depends on it.
    void refreshLabels();

    // The settings this page's controls show, in the order the page binds them.
    std::vector<const config::Setting*> boundSettings() const;
    // Whether the page offers the setting to the user now: its control is enabled and not
    // hidden. False for a setting the page does not show.
    bool offers(const config::Setting& setting) const;
    // A refused number tells the user unless the page is quiet (a file being applied, whose
    // refusals are reported together).
    void setQuiet(bool quiet) { quiet_ = quiet; }

signals:
    // The user changed a control: a load, a store or a refresh changes none that counts.
    void edited();
    // A store refused the value of a field (its input check failed): the field keeps the
    // value it had. field names it for the user, as its caption does; key is its setting.
    void refused(const QString& field, const QString& key);

protected:
    // Image to controls, when the page becomes visible.
    virtual void load() {}
    // Controls to image, when the page becomes hidden.
    virtual void store() {}
    // Runs once, right after the template was built.
    virtual void initialise() {}
    // Runs at the end of every label refresh.
    virtual void refreshed() {}

    // The label follows the slider: on every position and range change, and after each load.
    void bindLabel(int sliderId, int labelId, kit::Format format);

    // Controls bound to the settings they show: ranges, items, limits and the label's unit come
    // from the settings table. A slider's position is the stored value over the setting's
    // divisor; the label shows the setting's unit unless the page gives another format.
    void bindSlider(int sliderId, int labelId, const char* key, kit::Format format = {});
    void bindPair(int onId, int offId, const char* key);
    void bindList(int listId, const char* key);
    void bindEdit(int editId, const char* key);

    // Loads and stores through a binding. A slider takes the range the table offers this
    // controller (keeping its own where none is named) before its position.
    void loadSlider(const char* key);
    void storeSlider(const char* key);
    void loadPair(const char* key);
    void storePair(const char* key);
    // Fills the list with the table's items where the page fills it; the template's otherwise.
    void fillList(const char* key);
    void loadEdit(const char* key);
    // Stores the typed number when the table offers it; otherwise tells the user, puts the
    // focus on the field, signals refused and returns false, leaving the bytes as they were.
    // A page's store stops at a refusal, and pages bind their settings in the order they store
    // them: the message names the settings bound after this one, which are not stored either.
    bool storeEdit(const char* key);
    // The settings table's entry of key, bound on this page or not.
    const config::Setting& setting(const char* key) const;
    // A change of this list's selection changes what the labels show.
    void refreshOnChange(int listId);

    QSlider* slider(int id) const;
    QComboBox* list(int id) const;
    QAbstractButton* option(int id) const;
    QLabel* label(int id) const;
    QLineEdit* edit(int id) const;
    // Range first, then position, so that the slider clamps the position into the range.
    void setSlider(int id, int minimum, int maximum, int position);
    int position(int id) const;
    bool checked(int id) const;
    void setText(int id, const QString& text);
    void showControls(std::initializer_list<int> ids, bool visible);
    void enableControls(std::initializer_list<int> ids, bool enabled);

    CalibrationImage& image;
    Prompter& prompter;

private:
    struct Binding {
        const config::Setting* setting;
        int control;  // the slider, list, edit field or the pair's on-button
        int other;    // the pair's off-button; the slider's label
    };
    const Binding& binding(const char* key) const;
    // The caption beside a control in its grid row, or the setting's own.
    QString captionOf(int controlId, const config::Setting& setting) const;
    // An edit field shows the range it takes in its tool tip, and is marked (colour and icon)
    // while its text would be refused or stored as another number than the one shown.
    void markNumber(QLineEdit* field, QAction* mark, const config::Setting& setting);

    struct LabelBinding {
        QSlider* slider;
        QLabel* label;
        kit::Format format;
    };
    QWidget* form_ = nullptr;
    int templateId_ = 0;
    std::vector<LabelBinding> labels_;
    std::vector<Binding> bindings_;
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
};
