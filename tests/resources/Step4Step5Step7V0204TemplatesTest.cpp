// Page templates 148 (temperature, CAN, smoothing), 149 (regeneration), 151 (J1939) and 156
// (motor and speed), as the pages find them in both language bundles: the addressed controls
// and their kinds, the English texts, the initial list items, what starts hidden, the
// Enable/Disable groups and the differences of the Chinese module.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QStringList>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ModuleFixture.h"

namespace {

using trntest::controlsById;
using trntest::findControl;
using trntest::ModuleFixture;

const int kTemplates[] = {148, 149, 151, 156};
const char* const kLanguages[] = {"english", "chinese"};

// Runs check once per language bundle, with the bundle loaded.
void forEachLanguage(const std::function<void(ModuleFixture&)>& check) {
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        ModuleFixture module(QString::fromLatin1(language));
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        check(module);
    }
}

QString textOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* box = qobject_cast<const QGroupBox*>(w))
        return box->title();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    return {};
}

// Every caption, title and button text of a dialog.
QStringList allTexts(const QWidget* dialog) {
    QStringList texts;
    for (const QWidget* w : dialog->findChildren<QWidget*>()) texts << textOf(w);
    return texts;
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// ---------------------------------------------------------------- controls and kinds

const std::map<int, std::map<int, const char*>> kControls = {
    {148, {{1140, "QComboBox"},    {1082, "QRadioButton"}, {1083, "QRadioButton"},
           {1036, "QLabel"},       {1039, "QLabel"},       {1084, "QSlider"},
           {1040, "QLabel"},       {1035, "QSlider"},      {1122, "QGroupBox"},
           {1123, "QLabel"},       {1125, "QLineEdit"},    {1124, "QLabel"},
           {1126, "QLineEdit"},    {1139, "QGroupBox"},    {1138, "QLabel"},
           {1088, "QRadioButton"}, {1089, "QRadioButton"}, {1133, "QLabel"},
           {1041, "QLabel"},       {1085, "QSlider"},      {1134, "QLabel"},
           {1042, "QLabel"},       {1037, "QSlider"},      {1135, "QLabel"},
           {1043, "QLabel"},       {1086, "QSlider"},      {1136, "QLabel"},
           {1044, "QLabel"},       {1132, "QSlider"},      {1137, "QLabel"},
           {1045, "QLabel"},       {1087, "QSlider"}}},
    {149, {{1016, "QRadioButton"}, {1017, "QRadioButton"}, {1018, "QRadioButton"},
           {1019, "QRadioButton"}, {1095, "QLabel"},       {1094, "QSlider"},
           {1044, "QLabel"},       {1045, "QSlider"},      {1076, "QLabel"},
           {1041, "QLabel"},       {1043, "QSlider"},      {1054, "QLabel"},
           {1081, "QComboBox"},    {1108, "QLabel"},       {1079, "QSlider"},
           {1112, "QComboBox"},    {1109, "QLabel"},       {1080, "QSlider"},
           {1113, "QComboBox"},    {1075, "QLabel"}}},
    {151,
     {{1127, "QLineEdit"},
      {1137, "QLineEdit"},
      {1138, "QLineEdit"},
      {1139, "QLineEdit"},
      {1140, "QLineEdit"},
      {1141, "QLineEdit"},
      {1142, "QLineEdit"},
      {1143, "QLineEdit"},
      {1128, "QLineEdit"},
      {1145, "QLineEdit"},
      {1146, "QLineEdit"}}},
    {156, {{1056, "QLabel"},       {1058, "QSlider"},      {1057, "QLabel"},
           {1085, "QComboBox"},    {1090, "QRadioButton"}, {1091, "QRadioButton"},
           {1097, "QRadioButton"}, {1098, "QRadioButton"}, {1099, "QRadioButton"},
           {1100, "QRadioButton"}, {1101, "QRadioButton"}, {1102, "QRadioButton"},
           {1104, "QRadioButton"}, {1105, "QRadioButton"}, {1121, "QLabel"},
           {1119, "QRadioButton"}, {1120, "QRadioButton"}, {1122, "QLabel"},
           {1130, "QLabel"},       {1127, "QRadioButton"}, {1128, "QRadioButton"},
           {1131, "QLabel"},       {1129, "QRadioButton"}, {1126, "QRadioButton"},
           {1113, "QLabel"},       {1092, "QSlider"},      {1111, "QLabel"},
           {1071, "QLabel"},       {1072, "QLabel"}}},
};

TEST(Step4Step5Step7V0204Templates, AddressedControlsExistOnceWithTheirKind) {
    forEachLanguage([](ModuleFixture& module) {
        static const QRegularExpression idName(QStringLiteral("^id\\d+$"));
        for (int id : kTemplates) {
            SCOPED_TRACE(id);
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName().toStdString(), "dialog" + std::to_string(id));

            const auto& expected = kControls.at(id);
            const QMap<int, QWidget*> found = controlsById(dialog);
            for (const auto& [control, kind] : expected) {
                QWidget* w = found.value(control);
                ASSERT_NE(w, nullptr) << "control " << control << " is missing";
                EXPECT_STREQ(w->metaObject()->className(), kind) << "control " << control;
            }
            // Nothing else is addressed, and no number is used twice.
            std::set<int> names;
            for (int control : found.keys()) names.insert(control);
            std::set<int> wanted;
            for (const auto& entry : expected) wanted.insert(entry.first);
            EXPECT_EQ(names, wanted);
            int named = 0;
            for (const QWidget* w : dialog->findChildren<QWidget*>())
                if (idName.match(w->objectName()).hasMatch())
                    ++named;
            EXPECT_EQ(named, found.size());
        }
    });
}

// ---------------------------------------------------------------- English texts

struct Caption {
    int dialog;
    int id;  // 0: a fixed text the program never addresses, looked for anywhere in the dialog
    const char* text;
};

const Caption kEnglishCaptions[] = {
    {148, 0, "Sensor Setting"},
    {148, 0, "Motor Temperature Sensor [1]"},
    {148, 1082, "Enable"},
    {148, 1083, "Disable"},
    {148, 1036, ""},
    {148, 0, "Controller Stop Output Temperature"},
    {148, 0, "Controller Resume Output Temperature"},
    {148, 1122, "CAN Setting"},
    {148, 1123, "Send ID"},
    {148, 1124, "Receive ID"},
    {148, 1139, "Smooth Setting"},
    {148, 1138, "Smooth"},
    {148, 1133, "Inflection Point"},
    {148, 1134, "Low Accel"},
    {148, 1135, "Low Decel"},
    {148, 1136, "High Accel"},
    {148, 1137, "High Decel"},
    {148, 0, "Description"},
    {148, 0, "1. Thermistor is optional. Default to KTY84-130."},
    {148, 0,
     "Alternative to a thermistor, voltage signal 4.5V to 30V on the motor temperature input pin "
     "(J2 Pin 4) will disable the controller."},

    {149, 0, "Regeneration Setting"},
    {149, 0, "Regeneration [1]"},
    {149, 0, "Brake Switch [2]"},
    {149, 0, "Releasing Throttle Starts Regen [3]"},
    {149, 0, "Regen Current by Brake Switch On"},
    {149, 1076, "Max Regen Current [4]"},
    {149, 1054, "Brake Sensor Type [5]"},
    {149, 0, "Brake Sensor Starting Point"},
    {149, 0, "Brake Sensor Ending Point"},
    {149, 0, "Description"},
    {149, 0,
     "1. Regen is to recover mechanical energy, and charge back to battery. It has braking effect. "
     "Battery and secure current path are required during regen. Braker/Contactor on battery line "
     "has to be closed. "},
    {149, 0, "2. If enable, turn off throttle and turn on brake switch will start regen."},
    {149, 0,
     "3. If enable, regen starts just after throttle released. You may disable it by dragging the "
     "slider to the leftmost position. Brake switch or brake sensor isn't required for the mode. "
     "The mode is only available for firmware version 0209 or later."},
    {149, 1075, "4. Max regen current with max signal from brake sensor."},
    {149, 0,
     "5. It's to vary regen on time. Please choose \"Not Used\" if analog brake sensor isn't used. "
     "You have to turn on brake switch to start the regen, then vary the regen with the signal. "},
    {149, 0, "Brake Sensor Type is the same as Throttle Sensor Type."},

    {151, 0, "J1939 Setting"},
    {151, 0, "Description"},

    {156, 0, "General Setting"},
    {156, 1056, "Motor Top Speed [1]"},
    {156, 0, "Motor Poles[2]"},
    {156, 0, "Half Speed In Reverse[3]"},
    {156, 0, "Boost Function[4]"},
    {156, 0, "Economy Function[5]"},
    {156, 0, "Half Current in Reverse[6]"},
    {156, 0, "Joysticker Throttle"},
    {156, 1121, "Noise Reduction [7]"},
    {156, 1130, "ABS"},
    {156, 1131, "12V Output"},
    {156, 1113, "Motor Top Speed in Reverse"},
    {156, 0, "Description"},
    {156, 1071,
     "1. Slide the silder to change allowed top speed of your motor. Actually it's done by "
     "limiting "
     "motor voltage to the percentage of battery voltage."},
    {156, 1072,
     "2. Motor poles configuration. When using CAN to get controller's parameter, please configure "
     "this parameter accurately."},
    {156, 0,
     "3. If enabled,the max reverse speed will be limited to half of the max forward speed if "
     "reverse switch closed. Only available on versions lower than 0403."},
    {156, 0,
     "4. If enabled, the controller will output max power right after Brake signal > 4.2V. Or say "
     "you can wire a boost switch between Brake Input and 5V to activate it. "},
    {156, 0,
     "5. If enabled, the max output current will be limited to half of normal condition if Brake "
     "signal > 4.2V. Or say you may wire an economy switch between Brake Input and 5V to activate "
     "it."},
    {156, 0,
     "6. If enabled, the max output current will be limited to half at reversing. Activated by "
     "reverse switch."},
    {156, 1122,
     "7. If the motor starts with noises enable this funtion to reduce it,otherwise don't use.   "},
};

// The J1939 captions, each on the row of its edit field.
const std::pair<int, const char*> kJ1939Rows[] = {
    {1127, "Preferred Address"}, {1137, "Arbitrary Address Capable"},
    {1138, "Industry Group"},    {1139, "Vehicle System Instance"},
    {1140, "Vehicle System"},    {1141, "Reserved Fields"},
    {1142, "Function Fields"},   {1143, "Function Instance"},
    {1128, "ECU Instance"},      {1145, "Manufacturer Code"},
    {1146, "Identity Number"},
};

TEST(Step4Step5Step7V0204Templates, EnglishCaptionsAndHelpTextsAreExact) {
    ModuleFixture english("english");
    ASSERT_TRUE(english.loaded()) << qPrintable(english.error());
    std::map<int, QWidget*> dialogs;
    for (int id : kTemplates) {
        dialogs[id] = english.dialog(id);
        ASSERT_NE(dialogs[id], nullptr);
    }
    for (const Caption& c : kEnglishCaptions) {
        const QString expected = QString::fromUtf8(c.text);
        QWidget* dialog = dialogs.at(c.dialog);
        if (c.id != 0) {
            QWidget* control = findControl(dialog, c.id);
            ASSERT_NE(control, nullptr) << c.dialog << "/" << c.id;
            EXPECT_EQ(textOf(control).toStdString(), expected.toStdString())
                << c.dialog << "/" << c.id;
        } else {
            EXPECT_TRUE(allTexts(dialog).contains(expected))
                << "dialog " << c.dialog << " lacks \"" << c.text << "\"";
        }
    }
}

// Shows a dialog so that its layout places the controls; hides it again on destruction.
class Shown {
public:
    explicit Shown(QWidget* dialog) : dialog_(dialog) {
        dialog_->show();
        QApplication::processEvents();
    }
    ~Shown() { dialog_->hide(); }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;

    // Vertical centre of w in dialog coordinates.
    int middle(const QWidget* w) const { return w->mapTo(dialog_, w->rect().center()).y(); }
    bool sameRow(const QWidget* a, const QWidget* b) const {
        const QRect rb(b->mapTo(dialog_, QPoint(0, 0)), b->size());
        return middle(a) >= rb.top() && middle(a) <= rb.bottom();
    }

private:
    QWidget* dialog_;
};

QLabel* labelWithText(QWidget* dialog, const QString& text) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

TEST(Step4Step5Step7V0204Templates, CaptionsValueLabelsAndControlsShareTheirRows) {
    ModuleFixture english("english");
    ASSERT_TRUE(english.loaded()) << qPrintable(english.error());

    QWidget* j1939 = english.dialog(151);
    ASSERT_NE(j1939, nullptr);
    {
        Shown shown(j1939);
        for (const auto& [edit, caption] : kJ1939Rows) {
            QLabel* label = labelWithText(j1939, QString::fromLatin1(caption));
            QWidget* field = findControl<QLineEdit>(j1939, edit);
            ASSERT_NE(label, nullptr) << caption;
            ASSERT_NE(field, nullptr) << edit;
            EXPECT_TRUE(shown.sameRow(label, field)) << caption << " is not beside " << edit;
        }
    }

    // caption (0: a fixed text without a number), value label, slider
    struct Row {
        int dialog;
        int caption;
        int value;
        int slider;
    };
    const Row rows[] = {
        {148, 0, 1039, 1084},    {148, 0, 1040, 1035},    {148, 1133, 1041, 1085},
        {148, 1134, 1042, 1037}, {148, 1135, 1043, 1086}, {148, 1136, 1044, 1132},
        {148, 1137, 1045, 1087}, {149, 0, 1095, 1094},    {149, 0, 1044, 1045},
        {149, 1076, 1041, 1043}, {149, 0, 1108, 1079},    {149, 0, 1109, 1080},
        {156, 1056, 1057, 1058}, {156, 1113, 1111, 1092},
    };
    for (int id : {148, 149, 156}) {
        SCOPED_TRACE(id);
        QWidget* dialog = english.dialog(id);
        ASSERT_NE(dialog, nullptr);
        Shown shown(dialog);
        for (const Row& r : rows) {
            if (r.dialog != id)
                continue;
            QWidget* value = findControl<QLabel>(dialog, r.value);
            QWidget* slider = findControl<QSlider>(dialog, r.slider);
            ASSERT_TRUE(value && slider) << r.slider;
            EXPECT_TRUE(shown.sameRow(value, slider)) << r.value << " / " << r.slider;
            if (r.caption == 0)
                continue;
            QWidget* caption = findControl<QLabel>(dialog, r.caption);
            ASSERT_NE(caption, nullptr) << r.caption;
            EXPECT_TRUE(shown.sameRow(caption, slider)) << r.caption << " / " << r.slider;
        }
    }
}

// ---------------------------------------------------------------- lists

struct List {
    int dialog;
    int id;
    bool sameInBothModules;  // otherwise the texts are English and only the count is shared
    QStringList items;
    bool editable;
};

QStringList poleCounts() {
    QStringList items;
    for (int poles = 2; poles <= 200; poles += 2) items << QString::number(poles);
    return items;
}

const std::vector<List>& lists() {
    static const std::vector<List> all = {
        {148, 1140, true, {QStringLiteral("禁用"), "KTY83-122", "KTY84-130"}, false},
        {149, 1081, false, {"No Used", "0-5V ", "5-0V "}, false},
        {149, 1112, true, {"0%", "10%", "20%", "30%", "40%"}, true},
        {149, 1113, true, {"100%", "90%", "80%", "70%", "60%", "50%"}, true},
        {156, 1085, true, poleCounts(), false},
    };
    return all;
}

TEST(Step4Step5Step7V0204Templates, ListsCarryTheirInitialItemsInOrder) {
    forEachLanguage([](ModuleFixture& module) {
        const bool english = module.language() == QLatin1String("english");
        for (const List& list : lists()) {
            SCOPED_TRACE(list.id);
            QWidget* dialog = module.dialog(list.dialog);
            ASSERT_NE(dialog, nullptr);
            auto* box = findControl<QComboBox>(dialog, list.id);
            ASSERT_NE(box, nullptr);
            const QStringList items = itemsOf(box);
            ASSERT_EQ(items.size(), list.items.size());
            if (english || list.sameInBothModules) {
                EXPECT_EQ(items.join(u'|').toStdString(), list.items.join(u'|').toStdString());
            }
            EXPECT_EQ(box->isEditable(), list.editable);
            // Pages bind lists by item index: typed text must never turn into an item.
            if (box->isEditable()) {
                EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
            }
            EXPECT_EQ(box->currentIndex(), 0);
        }
    });
}

// ---------------------------------------------------------------- sliders and edit fields

TEST(Step4Step5Step7V0204Templates, SlidersStartAtTheNativeTrackBarDefaults) {
    // A page that leaves a slider alone (1094 on old firmware) shows position 0 of 0..100.
    forEachLanguage([](ModuleFixture& module) {
        for (int id : kTemplates) {
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            for (const QSlider* slider : dialog->findChildren<QSlider*>()) {
                SCOPED_TRACE(slider->objectName().toStdString());
                EXPECT_EQ(slider->orientation(), Qt::Horizontal);
                EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
                EXPECT_EQ(slider->minimum(), 0);
                EXPECT_EQ(slider->maximum(), 100);
                EXPECT_EQ(slider->value(), 0);
            }
        }
    });
}

TEST(Step4Step5Step7V0204Templates, EditFieldsAreRightAlignedAndAcceptAnyText) {
    const std::pair<int, std::vector<int>> edits[] = {
        {148, {1125, 1126}},
        {151, {1127, 1137, 1138, 1139, 1140, 1141, 1142, 1143, 1128, 1145, 1146}},
    };
    forEachLanguage([&](ModuleFixture& module) {
        for (const auto& [id, fields] : edits) {
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            for (int field : fields) {
                auto* edit = findControl<QLineEdit>(dialog, field);
                ASSERT_NE(edit, nullptr) << field;
                EXPECT_TRUE(edit->alignment() & Qt::AlignRight) << field;
                // The pages check the numbers themselves when the page is left.
                EXPECT_EQ(edit->validator(), nullptr) << field;
                EXPECT_TRUE(edit->inputMask().isEmpty()) << field;
                EXPECT_FALSE(edit->isReadOnly()) << field;
            }
        }
    });
}

// ---------------------------------------------------------------- hidden on creation

// The inner parts of a drop-down list (its pop-up) are not controls of the template.
bool insideComboBox(const QWidget* w, const QWidget* dialog) {
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != dialog; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p))
            return true;
    return false;
}

TEST(Step4Step5Step7V0204Templates, OnlyTheUnusedControlsStartHidden) {
    const std::map<int, QSet<QString>> hidden = {
        {148, {"id1082", "id1083", "id1036"}},
        {149, {}},
        {151, {}},
        {156, {"id1104", "id1105"}},
    };
    forEachLanguage([&](ModuleFixture& module) {
        for (int id : kTemplates) {
            SCOPED_TRACE(id);
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            QSet<QString> hiddenIds;
            std::vector<QLabel*> hiddenLabels;  // fixed texts without a number
            for (QWidget* w : dialog->findChildren<QWidget*>()) {
                if (!w->isHidden() || w->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                if (insideComboBox(w, dialog))
                    continue;
                // Both the loader and the template itself say so.
                EXPECT_TRUE(w->property("hiddenOnCreate").toBool()) << qPrintable(w->objectName());
                if (w->objectName().startsWith(QLatin1String("id")))
                    hiddenIds.insert(w->objectName());
                else if (auto* label = qobject_cast<QLabel*>(w))
                    hiddenLabels.push_back(label);
                else
                    ADD_FAILURE() << "unexpected hidden " << qPrintable(w->objectName());
            }
            QStringList names = hiddenIds.values();
            names.sort();
            QStringList wanted = hidden.at(id).values();
            wanted.sort();
            EXPECT_EQ(names.join(u' ').toStdString(), wanted.join(u' ').toStdString());
            // The caption of the hidden pair 1104/1105 hides with it.
            ASSERT_EQ(hiddenLabels.size(), id == 156 ? 1u : 0u);
            if (id == 156 && module.language() == QLatin1String("english")) {
                EXPECT_EQ(hiddenLabels.front()->text().toStdString(), "Joysticker Throttle");
            }
        }
    });
}

// ---------------------------------------------------------------- Enable/Disable pairs

struct Pair {
    int dialog;
    int enable;
    int disable;
};

const Pair kPairs[] = {
    {148, 1082, 1083}, {148, 1088, 1089}, {149, 1016, 1017}, {149, 1018, 1019},
    {156, 1090, 1091}, {156, 1097, 1098}, {156, 1099, 1100}, {156, 1101, 1102},
    {156, 1104, 1105}, {156, 1119, 1120}, {156, 1127, 1128}, {156, 1129, 1126},
};

TEST(Step4Step5Step7V0204Templates, EnableDisablePairsAreExclusiveGroupsOfTwo) {
    forEachLanguage([](ModuleFixture& module) {
        const bool english = module.language() == QLatin1String("english");
        std::map<int, QWidget*> dialogs;
        for (int id : kTemplates) dialogs[id] = module.dialog(id);
        QSet<const QButtonGroup*> seen;
        for (const Pair& p : kPairs) {
            SCOPED_TRACE(p.enable);
            auto* enable = findControl<QRadioButton>(dialogs.at(p.dialog), p.enable);
            auto* disable = findControl<QRadioButton>(dialogs.at(p.dialog), p.disable);
            ASSERT_TRUE(enable && disable);
            const QButtonGroup* group = enable->group();
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(disable->group(), group);
            EXPECT_TRUE(group->exclusive());
            EXPECT_EQ(group->buttons().size(), 2);
            EXPECT_FALSE(seen.contains(group)) << "group shared with another pair";
            seen.insert(group);
            EXPECT_FALSE(enable->isChecked());
            EXPECT_FALSE(disable->isChecked());
            if (english) {
                EXPECT_EQ(enable->text().toStdString(), "Enable");
                EXPECT_EQ(disable->text().toStdString(), "Disable");
            } else {
                EXPECT_NE(enable->text(), disable->text());
            }
        }
        // Every option button of these pages belongs to one of the pairs.
        int buttons = 0;
        for (int id : kTemplates) buttons += dialogs.at(id)->findChildren<QRadioButton*>().size();
        EXPECT_EQ(buttons, 2 * int(std::size(kPairs)));
    });
}

// ---------------------------------------------------------------- the Chinese module

TEST(Step4Step5Step7V0204Templates, ChineseModuleIsTranslatedAndNotesTheExclusiveMotorFunctions) {
    struct Facts {
        QSize size;
        int helpLabels = 0;  // non-empty labels in the box of help text 1
        QStringList texts;
    };
    std::map<QString, std::map<int, Facts>> facts;
    forEachLanguage([&](ModuleFixture& module) {
        for (int id : kTemplates) {
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            Facts& f = facts[module.language()][id];
            // The wizard places pages of a fixed size in its page area.
            EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << id;
            f.size = dialog->minimumSize();
            f.texts = allTexts(dialog);
            if (id == 156) {
                QWidget* help1 = findControl(dialog, 1071);
                ASSERT_NE(help1, nullptr);
                for (const QLabel* label : help1->parentWidget()->findChildren<QLabel*>())
                    if (!label->text().isEmpty())
                        ++f.helpLabels;
            }
        }
    });
    const auto& en = facts[QStringLiteral("english")];
    const auto& zh = facts[QStringLiteral("chinese")];
    ASSERT_EQ(en.size(), 4u);
    ASSERT_EQ(zh.size(), 4u);

    for (int id : {148, 149, 151}) {
        EXPECT_EQ(en.at(id).size.width(), 516) << id;
        EXPECT_EQ(en.at(id).size.height(), 442) << id;
        EXPECT_EQ(zh.at(id).size, en.at(id).size) << id;
    }
    // 156 is one line taller in Chinese, for the note that only one of the functions 3, 4
    // and 5 can be in effect at a time.
    EXPECT_EQ(en.at(156).size.width(), 516);
    EXPECT_EQ(en.at(156).size.height(), 442);
    EXPECT_EQ(zh.at(156).size.width(), 516);
    EXPECT_EQ(zh.at(156).size.height(), 455);
    EXPECT_EQ(zh.at(156).helpLabels, en.at(156).helpLabels + 1);
    const QStringList extra =
        zh.at(156).texts.filter(QRegularExpression(QStringLiteral("\\b3\\D{1,4}4\\D{1,4}5\\D")));
    EXPECT_EQ(extra.size(), 1);

    // Everything else is translated: no English caption, title or help text is left over
    // (names and values such as "ABS", "KTY84-130" or "J1939" stay as they are).
    static const QRegularExpression words(QStringLiteral("[A-Za-z]{3,}\\s+[A-Za-z]{3,}"));
    for (int id : kTemplates) {
        for (const QString& text : zh.at(id).texts) {
            EXPECT_FALSE(words.match(text).hasMatch()) << id << ": " << qPrintable(text);
        }
    }
}

// ---------------------------------------------------------------- fit

TEST(Step4Step5Step7V0204Templates, TextsFitTheirControlsInBothLanguages) {
    forEachLanguage([](ModuleFixture& module) {
        for (int id : kTemplates) {
            SCOPED_TRACE(id);
            QWidget* dialog = module.dialog(id);
            ASSERT_NE(dialog, nullptr);
            Shown shown(dialog);
            for (const QLabel* label : dialog->findChildren<QLabel*>()) {
                if (!label->isVisible() || label->text().isEmpty())
                    continue;
                if (label->wordWrap()) {
                    EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                        << qPrintable(label->text());
                } else {
                    EXPECT_GE(label->width(), label->sizeHint().width())
                        << qPrintable(label->text());
                }
            }
            for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->isVisible()) {
                    EXPECT_GE(button->width(), button->sizeHint().width())
                        << qPrintable(button->text());
                }
            }
            // Nothing reaches past the page.
            for (const QWidget* w : dialog->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->parentWidget() != dialog)
                    continue;
                EXPECT_TRUE(dialog->rect().contains(w->geometry())) << qPrintable(w->objectName());
            }
        }
    });
}

}  // namespace
