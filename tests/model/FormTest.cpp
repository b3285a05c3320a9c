// What every form does, as the widgets do it: the rules rely on these and nothing else.
#include <gtest/gtest.h>

#include "ModelSupport.h"
#include "PageCatalogue.h"
#include "TemplateForm.h"

using model::Kind;
using model::TemplateForm;

namespace {

const QByteArray Ui = R"(<ui version="4.0"><widget class="QWidget" name="root">
 <widget class="QSlider" name="id1"><property name="maximum"><number>50</number></property></widget>
 <widget class="QComboBox" name="id2"><item><property name="text"><string>a</string></property></item>
  <item><property name="text"><string>b</string></property></item></widget>
 <widget class="QGroupBox" name="id3">
  <widget class="QRadioButton" name="id4"><attribute name="buttonGroup"><string>g</string></attribute></widget>
  <widget class="QRadioButton" name="id5"><attribute name="buttonGroup"><string>g</string></attribute></widget>
 </widget>
 <widget class="QLineEdit" name="id6"><property name="visible"><bool>false</bool></property></widget>
</widget><buttongroups><buttongroup name="g"/></buttongroups></ui>)";

}  // namespace

TEST(TemplateForm, StartsAsTheTemplateAndBehavesAsWidgets) {
    QString why;
    auto form = TemplateForm::read(Ui, {}, &why);
    ASSERT_TRUE(form) << why.toStdString();
    // As the template starts: the slider's maximum, the list's first item, the hidden field.
    EXPECT_EQ(form->position(1), 0);
    EXPECT_EQ(form->selected(2), 0);
    EXPECT_FALSE(form->offered(6));
    EXPECT_TRUE(form->offered(4));

    const struct {
        const char* what;
        std::function<void(TemplateForm&)> step;
        std::function<bool(const TemplateForm&)> holds;
    } rows[] = {
        {"a position outside the range is brought into it",
         [](TemplateForm& f) { f.setPosition(1, 80); },
         [](auto& f) { return f.position(1) == 50; }},
        {"a range set later clamps the position", [](TemplateForm& f) { f.setRange(1, 10, 20); },
         [](auto& f) { return f.position(1) == 20; }},
        {"a range whose top is below its bottom is its bottom",
         [](TemplateForm& f) { f.setRange(1, 30, 5); },
         [](auto& f) { return f.position(1) == 30; }},
        {"an item past the list leaves no selection", [](TemplateForm& f) { f.select(2, 2); },
         [](auto& f) { return f.selected(2) == -1; }},
        {"refilling selects the first item",
         [](TemplateForm& f) {
             f.refill(2, {"x", "y", "z"});
         },
         [](auto& f) { return f.selected(2) == 0 && f.count(2) == 3; }},
        {"checking one of a pair unchecks the other",
         [](TemplateForm& f) { model::setPair(f, 4, 5, false); },
         [](auto& f) { return !f.checked(4) && f.checked(5); }},
        {"the checked button of a pair cannot be taken back",
         [](TemplateForm& f) { f.setChecked(5, false); }, [](auto& f) { return f.checked(5); }},
        {"only clearing leaves both unchecked", [](TemplateForm& f) { f.clearPair(4, 5); },
         [](auto& f) { return !f.checked(4) && !f.checked(5); }},
        {"a control in a hidden box is not offered", [](TemplateForm& f) { f.show(3, false); },
         [](auto& f) { return !f.offered(4); }},
        {"nor a disabled one", [](TemplateForm& f) { f.show(3, true), f.enable(5, false); },
         [](auto& f) { return f.offered(4) && !f.offered(5); }},
    };
    for (const auto& row : rows) {
        row.step(*form);
        EXPECT_TRUE(row.holds(*form)) << row.what;
    }
}

TEST(TemplateForm, RefusesWhatCannotBeAPage) {
    const model::Required slider{1, Kind::Slider}, label{1, Kind::Label}, missing{9, Kind::Edit};
    const struct {
        QByteArray ui;
        model::Required required;
        const char* why;
    } rows[] = {
        {Ui, label, "control 1 (a label)"},
        {Ui, missing, "control 9 (an edit field)"},
        {"<ui><widget", slider, "Premature end of document."},
    };
    for (const auto& row : rows) {
        QString why;
        EXPECT_FALSE(TemplateForm::read(row.ui, {&row.required, 1}, &why)) << row.why;
        EXPECT_EQ(why, QLatin1String(row.why));
    }
    // Every real template has every control its page addresses.
    for (const model::PageKind& kind : model::pageCatalogue()) {
        QString why;
        EXPECT_TRUE(TemplateForm::read(templateText(kind.templateId), kind.controls, &why))
            << kind.name << ": " << why.toStdString();
    }
}
