#pragma once

#include <span>
#include <vector>

#include <QWidget>

#include "Controls.h"
#include "PageKit.h"

class CalibrationImage;
class Prompter;
class QAbstractButton;
class QComboBox;
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

    // Sets every value label from its slider, then lets the page adjust what depends on it.
    void refreshLabels();

signals:
    // A store refused the value of a field (its input check failed): the field keeps the
    // value it had. field names it for the user, as its caption does.
    void refused(const QString& field);

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
    struct LabelBinding {
        QSlider* slider;
        QLabel* label;
        kit::Format format;
    };
    QWidget* form_ = nullptr;
    int templateId_ = 0;
    std::vector<LabelBinding> labels_;
};
