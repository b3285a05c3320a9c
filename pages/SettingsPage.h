#pragma once

#include <QWidget>

#include "Controls.h"

class CalibrationImage;
class Prompter;
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

    // Builds the page from template templateId as a hidden child of parent.
    bool create(const ResourceModule& module, int templateId, QWidget* parent, QString* error);
    int templateId() const { return templateId_; }

    // Only a real change of the page's own visibility loads or stores.
    void setVisible(bool visible) override;

    template <class T = QWidget>
    T* control(int id) const {
        return findControl<T>(form_, id);
    }

protected:
    // Image to controls, when the page becomes visible.
    virtual void load() {}
    // Controls to image, when the page becomes hidden.
    virtual void store() {}
    // Runs once, right after the template was built.
    virtual void initialise() {}

    CalibrationImage& image;
    Prompter& prompter;

private:
    QWidget* form_ = nullptr;
    int templateId_ = 0;
};
