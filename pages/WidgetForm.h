#pragma once
// A page's rules working on the page's real widgets.

#include <QWidget>

#include "Form.h"

class WidgetForm : public model::Form {
public:
    // The controls inside form; page is what "offered" is judged against (shown within it).
    WidgetForm(const QWidget* page, QWidget* form) : page_(page), form_(form) {}

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
    template <class T = QWidget>
    T* control(int id) const;

    const QWidget* page_;
    QWidget* form_;
};
