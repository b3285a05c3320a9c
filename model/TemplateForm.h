#pragma once
// A page's controls as its template describes them, without building a widget: what the
// workshop commands take a file through. It starts as the template starts (each slider's
// range and position, each list's items, hidden and disabled controls, button groups) and
// then behaves as Form says every form does.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <QByteArray>
#include <QHash>

#include "Form.h"

namespace model {

class TemplateForm : public Form {
public:
    // The form of a template's text (a .ui file); none, with why set, when the text does not
    // read, or lacks a control of required ("control 1034 (a slider)").
    static std::unique_ptr<TemplateForm> read(const QByteArray& ui,
                                              std::span<const Required> required, QString* why);

    void setRange(int slider, int low, int high) override;
    void setPosition(int slider, int position) override;
    int position(int slider) const override;
    int count(int list) const override;
    void select(int list, int index) override;
    int selected(int list) const override;
    void refill(int list, const QStringList& items) override;
    void setChecked(int option, bool checked) override;
    bool checked(int option) const override;
    void clearPair(int on, int off) override;
    void setText(int id, const QString& text) override;
    QString text(int id) const override;
    void show(int id, bool shown) override;
    void enable(int id, bool enabled) override;
    bool offered(int id) const override;

private:
    struct Control {
        QString className;
        int parent = -1;  // the widget it sits in; -1 for the template's own
        bool hidden = false;
        bool disabled = false;
        int low = 0, high = 99, position = 0;  // a slider's, as a new one has them
        QStringList items;
        int index = -1;
        bool checked = false;
        QString group;  // a button's group; empty: exclusive with its sibling buttons
        QString text;
    };
    Control& at(int id);
    const Control& at(int id) const;
    // The buttons that checking this one unchecks, itself included; exclusive when checked
    // may not be taken back.
    std::vector<Control*> exclusiveWith(const Control& button, bool* exclusive);

    std::vector<Control> controls_;
    QHash<int, std::size_t> byId_;
    QHash<QString, bool> groups_;  // a group's name, and whether it is exclusive
    Control none_;
};

}  // namespace model
