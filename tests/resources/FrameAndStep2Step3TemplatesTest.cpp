// Templates of the wizard frame (133), the throttle page (146), the start-up page (147) and the
// finish page (150): the controls the wizard and the pages address, their texts, list items,
// hidden and disabled states, the option-button groups, and that everything fits its area.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <vector>

#include "ModuleFixture.h"

using trntest::ModuleFixture;

namespace {

const QString kEnglish = QStringLiteral("english");
const QString kChinese = QStringLiteral("chinese");
const QStringList kLanguages = {kEnglish, kChinese};

// Size of the page area the wizard must offer, and of the pages themselves.
constexpr QSize kLargestPage(516, 483);

struct Control {
    int dialog;
    int id;
    const char* kind;
};

// Every control the wizard or a page addresses, with the kind it is used as.
const std::vector<Control> kControls = {
    {133, 1016, "QPushButton"},  {133, 1017, "QPushButton"},  {133, 1018, "QPushButton"},
    {133, 1020, "QPushButton"},  {133, 1022, "QPushButton"},  {133, 1026, "QPushButton"},
    {133, 1103, "QPushButton"},  {133, 1150, "QPushButton"},  {133, 1027, "QGroupBox"},

    {146, 1039, "QLabel"},       {146, 1040, "QLabel"},       {146, 1041, "QLabel"},
    {146, 1042, "QLabel"},       {146, 1009, "QLabel"},       {146, 1125, "QLabel"},
    {146, 1055, "QLabel"},       {146, 1123, "QRadioButton"}, {146, 1124, "QRadioButton"},
    {146, 1037, "QRadioButton"}, {146, 1038, "QRadioButton"}, {146, 1031, "QComboBox"},
    {146, 1110, "QComboBox"},    {146, 1111, "QComboBox"},    {146, 1030, "QSlider"},
    {146, 1106, "QLabel"},       {146, 1032, "QSlider"},      {146, 1107, "QLabel"},
    {146, 1034, "QSlider"},      {146, 1036, "QLabel"},       {146, 1094, "QSlider"},
    {146, 1096, "QLabel"},       {146, 1033, "QSlider"},      {146, 1108, "QLabel"},
    {146, 1142, "QLabel"},       {146, 1035, "QSlider"},      {146, 1109, "QLabel"},
    {146, 1143, "QLabel"},

    {147, 1044, "QComboBox"},    {147, 1046, "QComboBox"},    {147, 1047, "QComboBox"},
    {147, 1035, "QSlider"},      {147, 1077, "QLabel"},       {147, 1062, "QSlider"},
    {147, 1078, "QLabel"},       {147, 1065, "QSlider"},      {147, 1079, "QLabel"},
    {147, 1024, "QRadioButton"}, {147, 1025, "QRadioButton"}, {147, 1052, "QLabel"},
    {147, 1113, "QRadioButton"}, {147, 1114, "QRadioButton"}, {147, 1112, "QLabel"},
    {147, 1115, "QLabel"},
};

const std::vector<int> kTemplates = {133, 146, 147, 150};

// The text a control shows: a label's or button's text, a group box's title.
QString textOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    return QString();
}

// Every text the template shows, also of controls the program never addresses.
QStringList textsIn(const QWidget* dialog) {
    QStringList texts;
    for (const QWidget* child : dialog->findChildren<QWidget*>()) {
        const QString text = textOf(child);
        if (!text.isEmpty())
            texts << text;
    }
    return texts;
}

struct Caption {
    int dialog;
    int id;  // 0: a text of a control the program never addresses
    const char* text;
};

// English texts, exactly as the module carries them, odd blanks and spelling included.
const std::vector<Caption> kEnglishTexts = {
    {133, 1016, "&Next"},
    {133, 1017, "&Cancel"},
    {133, 1018, "&Previous"},
    {133, 1020, "&Help"},
    {133, 1022, "&Upgrade"},
    {133, 1026, "&Finish"},
    {133, 1103, "&Default"},
    {133, 1150, "&Settings file..."},
    {133, 1027, "Guide Content"},

    {146, 0, "Controller Information"},
    {146, 0, "Model:"},
    {146, 0, "Serial Number:"},
    {146, 0, "SoftWare Version:"},
    {146, 1009, "AD-VER:"},
    {146, 0, "General Setting"},
    {146, 0, "Forward Switch [1]"},
    {146, 1123, "Enable"},
    {146, 1124, "Disable"},
    {146, 0, "Foot Switch [2]"},
    {146, 1037, "Enable"},
    {146, 1038, "Disable"},
    {146, 0, "Throttle Sensor Type [3]"},
    {146, 0, "Throttle effective starting position"},
    {146, 0, "Throttle effective ending position"},
    {146, 0, "Max Motor Current [4]"},
    {146, 0, "Max Battery Current [5]"},
    {146, 1142, "The Low Threshold Voltage"},
    {146, 1143, "The High Threshold Voltage"},
    {146, 0, "Description"},
    {146, 1125,
     "1. If enabled, Throttle Switch will be considered as Forward Switch. The motor will be run "
     "CW if turn on Throttle Switch and turn off Reversing Switch; Conversely, it will run CCW; If "
     "both switches are on or "},
    {146, 0, "off, it will be in neutral and Throttle Safety Switch invalid."},
    {146, 0,
     "2.Only if Forward Switch is off, Foot Switch can be used. If enabled, please turn on foot "
     "switch to activate throttle."},
    {146, 0,
     "4. The max output current as percentage of controller current rating. i.e. A 400A rated "
     "controller will limit the max output to 200A if you choose 50% here."},
    {146, 0,
     "5.Controller will cut back motor current at high speed to limit battery current. Controller "
     "can output Max Motor Current at low speed. Note motor current  can be much higher than "
     "battery current at low speed."},

    {147, 0, "General Setting"},
    {147, 0, "Start-up Delay [1]"},
    {147, 0, "Hall Sensor Type [2]"},
    {147, 0, "Control Mode"},
    {147, 0, "Under Voltage [3]"},
    {147, 0, "Over Voltage [4]"},
    {147, 0, "Throttle Up/Down Rate "},
    {147, 0, "Fast"},
    {147, 0, "Slow"},
    {147, 1052, "Power On High Pedal Disable [5]"},
    {147, 1024, "Enable"},
    {147, 1025, "Disable"},
    {147, 1112, "Releasing Brake High Pedal Disable[6]"},
    {147, 1113, "Enable"},
    {147, 1114, "Disable"},
    {147, 0, "Description"},
    {147, 0,
     "1. Set delay time to wait for stabilization of B+, mostly  for main contactor debouncing."},
    {147, 0, "2. Select 60 degree or 120 degree according to your motor hall sensor type. "},
    {147, 0,
     "3. Controller will cut back current at battery voltage lower than 1.1x the value, cut out at "
     "the value, and resume operation at 1.05x the value."},
    {147, 0,
     "4. Controller will cut back regen current at 0.95x the value, cut out regen if voltage "
     "reached the setting, and resume regen at 0.95x the value."},
    {147, 0,
     "5. If enabled, the controller will report fault and not operate if throttle got effective "
     "output at power up."},
    {147, 1115,
     "6. If enabled, the controller will report fault and not operate if throttle got effective "
     "output when releasing the brake."},

    {150, 0, "Finish Setting"},
    {150, 0, "Please click finish button to write configuration into the controller."},
};

struct ListItems {
    int dialog;
    int id;
    QStringList english;
    QStringList chinese;
};

QStringList startupDelayItems(const QString& second, const QString& oneSecond) {
    QStringList items{QStringLiteral("0") + second};
    for (int tenth = 1; tenth <= 9; ++tenth) items << QStringLiteral("0.%1").arg(tenth) + second;
    items << oneSecond;
    for (int tenth = 1; tenth <= 9; ++tenth) items << QStringLiteral("1.%1").arg(tenth) + second;
    items << QStringLiteral("2") + second;
    return items;
}

const std::vector<ListItems>& listItems() {
    static const QStringList sensor = {QStringLiteral("0-5V "), QStringLiteral("5-0V ")};
    static const QStringList start = {"0%", "10%", "20%", "30%", "40%"};
    static const QStringList end = {"100%", "90%", "80%", "70%", "60%", "50%"};
    static const std::vector<ListItems> lists = {
        {146, 1031, sensor, sensor},
        {146, 1110, start, start},
        {146, 1111, end, end},
        {147, 1044, startupDelayItems(QStringLiteral(" sec."), QStringLiteral("1  sec.")),
         startupDelayItems(QStringLiteral("秒"), QStringLiteral("1秒"))},
        {147, 1046, {"60 degree", "120 degree"}, {QStringLiteral("60度"), QStringLiteral("120度")}},
        // The page replaces these items itself; the Chinese module carries none.
        {147, 1047, {"Torque", "Balanced", "Speed2"}, {}},
    };
    return lists;
}

QStringList itemsOf(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

bool hiddenOnCreation(const QString& language, int dialog, int id) {
    if (dialog == 133 && id == 1022)
        return true;
    return language == kChinese && dialog == 146 && (id == 1009 || id == 1042);
}

bool disabledOnCreation(const QString& language, int dialog, int id) {
    return language == kChinese && dialog == 133 && id == 1020;
}

// Lays a created (never shown) dialog out at the size it will have on screen.
void layOut(QWidget* dialog, QSize size = QSize()) {
    dialog->ensurePolished();
    for (QWidget* child : dialog->findChildren<QWidget*>()) child->ensurePolished();
    dialog->resize(size.isValid() ? size : dialog->size());
    dialog->layout()->activate();
}

}  // namespace

TEST(FrameAndStep2Step3Templates, AddressedControlsExistWithTheirKinds) {
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (int dialogId : kTemplates) {
            QWidget* dialog = module.dialog(dialogId);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), QStringLiteral("dialog%1").arg(dialogId));
            for (const Control& control : kControls) {
                if (control.dialog != dialogId)
                    continue;
                SCOPED_TRACE(qPrintable(QStringLiteral("%1 dialog %2 control %3")
                                            .arg(language)
                                            .arg(dialogId)
                                            .arg(control.id)));
                const QList<QWidget*> found =
                    dialog->findChildren<QWidget*>(QStringLiteral("id%1").arg(control.id));
                ASSERT_EQ(found.size(), 1) << "missing or not unique";
                EXPECT_STREQ(found.first()->metaObject()->className(), control.kind);
            }
        }
    }
}

TEST(FrameAndStep2Step3Templates, EnglishTextsAreExact) {
    ModuleFixture module(kEnglish);
    ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
    for (int dialogId : kTemplates) {
        QWidget* dialog = module.dialog(dialogId);
        ASSERT_NE(dialog, nullptr);
        const QStringList texts = textsIn(dialog);
        for (const Caption& caption : kEnglishTexts) {
            if (caption.dialog != dialogId)
                continue;
            const QString expected = QString::fromUtf8(caption.text);
            if (caption.id != 0) {
                QWidget* control = trntest::findControl(dialog, caption.id);
                ASSERT_NE(control, nullptr) << dialogId << "/" << caption.id;
                EXPECT_EQ(textOf(control), expected) << dialogId << "/" << caption.id;
            } else {
                EXPECT_TRUE(texts.contains(expected))
                    << "dialog " << dialogId << " lacks \"" << caption.text << "\"";
            }
        }
    }
}

TEST(FrameAndStep2Step3Templates, SensorHelpItemNamesThePedalSetting) {
    // Item 3 is free wording, but it must point 0-5K potentiometers to the "0-5V" item.
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        QWidget* dialog = module.dialog(146);
        ASSERT_NE(dialog, nullptr);
        auto* item = trntest::findControl<QLabel>(dialog, 1055);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->text().contains(QStringLiteral("0-5V"))) << qPrintable(language);
        EXPECT_TRUE(item->text().contains(QStringLiteral("0-5K"))) << qPrintable(language);
    }
}

TEST(FrameAndStep2Step3Templates, ChineseTextsAreTranslations) {
    // Every text of the English templates, by the object that shows it (both modules name
    // their objects alike); read one module at a time.
    struct Shown {
        int dialog;
        QString object, text;
    };
    std::vector<Shown> english;
    {
        ModuleFixture module(kEnglish);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (int dialogId : kTemplates) {
            QWidget* dialog = module.dialog(dialogId);
            ASSERT_NE(dialog, nullptr);
            if (!dialog->windowTitle().isEmpty())
                english.push_back({dialogId, dialog->objectName(), dialog->windowTitle()});
            for (const QWidget* child : dialog->findChildren<QWidget*>()) {
                const QString text = textOf(child);
                if (!text.isEmpty())
                    english.push_back({dialogId, child->objectName(), text});
            }
        }
    }
    ASSERT_GE(english.size(), kEnglishTexts.size());
    ModuleFixture module(kChinese);
    ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
    for (const Shown& shown : english) {
        QWidget* dialog = module.dialog(shown.dialog);
        ASSERT_NE(dialog, nullptr);
        const QWidget* object = dialog->objectName() == shown.object
                                    ? dialog
                                    : dialog->findChild<QWidget*>(shown.object);
        ASSERT_NE(object, nullptr) << shown.dialog << " " << qPrintable(shown.object);
        const QString chinese = object == dialog ? dialog->windowTitle() : textOf(object);
        SCOPED_TRACE(qPrintable(QStringLiteral("dialog %1 %2: %3 / %4")
                                    .arg(shown.dialog)
                                    .arg(shown.object, shown.text, chinese)));
        EXPECT_FALSE(chinese.isEmpty());
        EXPECT_NE(chinese, shown.text);
        // Buttons keep their keyboard shortcut letter.
        const qsizetype amp = shown.text.indexOf(QLatin1Char('&'));
        if (amp >= 0) {
            EXPECT_TRUE(chinese.contains(shown.text.mid(amp, 2)));
        }
    }
}

TEST(FrameAndStep2Step3Templates, InitialListItems) {
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (const ListItems& list : listItems()) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 dialog %2 list %3")
                                        .arg(language)
                                        .arg(list.dialog)
                                        .arg(list.id)));
            QWidget* dialog = module.dialog(list.dialog);
            ASSERT_NE(dialog, nullptr);
            auto* combo = trntest::findControl<QComboBox>(dialog, list.id);
            ASSERT_NE(combo, nullptr);
            const QStringList& expected = language == kEnglish ? list.english : list.chinese;
            EXPECT_EQ(itemsOf(combo), expected);
            // Pages select by index, so the list must keep the template's order and text.
            EXPECT_FALSE(combo->isEditable());
        }
    }
}

TEST(FrameAndStep2Step3Templates, StartupDelayListHasTwentyOneTenthsWithTheOddBlank) {
    ModuleFixture module(kEnglish);
    ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
    QWidget* dialog = module.dialog(147);
    ASSERT_NE(dialog, nullptr);
    auto* delay = trntest::findControl<QComboBox>(dialog, 1044);
    ASSERT_NE(delay, nullptr);
    ASSERT_EQ(delay->count(), 21);  // index = tenths of a second, 0 to 20
    EXPECT_EQ(delay->itemText(0), QStringLiteral("0 sec."));
    EXPECT_EQ(delay->itemText(10), QStringLiteral("1  sec."));
    EXPECT_EQ(delay->itemText(15), QStringLiteral("1.5 sec."));
    EXPECT_EQ(delay->itemText(20), QStringLiteral("2 sec."));
}

TEST(FrameAndStep2Step3Templates, HiddenAndDisabledOnCreation) {
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (int dialogId : kTemplates) {
            QWidget* dialog = module.dialog(dialogId);
            ASSERT_NE(dialog, nullptr);
            for (const Control& control : kControls) {
                if (control.dialog != dialogId)
                    continue;
                SCOPED_TRACE(qPrintable(QStringLiteral("%1 dialog %2 control %3")
                                            .arg(language)
                                            .arg(dialogId)
                                            .arg(control.id)));
                QWidget* widget = trntest::findControl(dialog, control.id);
                ASSERT_NE(widget, nullptr);
                const bool hidden = hiddenOnCreation(language, dialogId, control.id);
                EXPECT_EQ(widget->isHidden(), hidden);
                // Both ways of saying it agree, so a loader honouring either one hides it.
                EXPECT_EQ(widget->property("hiddenOnCreate").toBool(), hidden);
                EXPECT_EQ(widget->isEnabled(), !disabledOnCreation(language, dialogId, control.id));
            }
        }
    }
}

TEST(FrameAndStep2Step3Templates, HiddenControlsStayHiddenWhenThePageIsShown) {
    ModuleFixture module(kChinese);
    ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
    QWidget* page = module.dialog(146);
    ASSERT_NE(page, nullptr);
    page->show();
    EXPECT_FALSE(trntest::findControl(page, 1009)->isVisible());
    EXPECT_FALSE(trntest::findControl(page, 1042)->isVisible());
    EXPECT_TRUE(trntest::findControl(page, 1041)->isVisible());
    page->hide();
}

TEST(FrameAndStep2Step3Templates, EnableDisablePairsAreExclusiveGroupsOfTwo) {
    const struct {
        int dialog, enable, disable;
    } pairs[] = {{146, 1123, 1124}, {146, 1037, 1038}, {147, 1024, 1025}, {147, 1113, 1114}};
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (const auto& pair : pairs) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 dialog %2 pair %3/%4")
                                        .arg(language)
                                        .arg(pair.dialog)
                                        .arg(pair.enable)
                                        .arg(pair.disable)));
            QWidget* dialog = module.dialog(pair.dialog);
            ASSERT_NE(dialog, nullptr);
            auto* enable = trntest::findControl<QRadioButton>(dialog, pair.enable);
            auto* disable = trntest::findControl<QRadioButton>(dialog, pair.disable);
            ASSERT_NE(enable, nullptr);
            ASSERT_NE(disable, nullptr);
            QButtonGroup* group = enable->group();
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(disable->group(), group);
            EXPECT_TRUE(group->exclusive());
            EXPECT_EQ(group->buttons().size(), 2);
            // Neither is checked until the page loads the image.
            EXPECT_FALSE(enable->isChecked());
            EXPECT_FALSE(disable->isChecked());
            // Checking the other pairs of the page leaves this one alone; within the pair,
            // checking one button unchecks the other.
            enable->setChecked(true);
            for (auto* other : dialog->findChildren<QRadioButton*>()) {
                if (other->group() != group)
                    other->setChecked(true);
            }
            EXPECT_TRUE(enable->isChecked());
            disable->setChecked(true);
            EXPECT_FALSE(enable->isChecked());
        }
    }
}

TEST(FrameAndStep2Step3Templates, SlidersStartWithTheToolkitDefaultRange) {
    // A voltage class the start-up page does not know leaves its sliders at this range.
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (const Control& control : kControls) {
            if (QByteArray(control.kind) != "QSlider")
                continue;
            QWidget* dialog = module.dialog(control.dialog);
            ASSERT_NE(dialog, nullptr);
            auto* slider = trntest::findControl<QSlider>(dialog, control.id);
            ASSERT_NE(slider, nullptr);
            SCOPED_TRACE(control.id);
            EXPECT_EQ(slider->minimum(), 0);
            EXPECT_EQ(slider->maximum(), 100);
            EXPECT_EQ(slider->orientation(), Qt::Horizontal);
            EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
        }
    }
}

TEST(FrameAndStep2Step3Templates, WizardFrameTitleIconAndPictures) {
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        QWidget* frame = module.dialog(133);
        ASSERT_NE(frame, nullptr);
        SCOPED_TRACE(qPrintable(language));
        if (language == kEnglish) {
            EXPECT_EQ(frame->windowTitle(),
                      QStringLiteral("------TRN/TRE Series Controllers Configurable Program"));
        } else {
            EXPECT_TRUE(frame->windowTitle().contains(QStringLiteral("TRN/TRE")));
        }
        EXPECT_FALSE(frame->windowIcon().isNull());

        // The banner and the side picture come from the bundle, unscaled.
        QSize banner, side;
        for (auto* label : frame->findChildren<QLabel*>()) {
            const QSize picture = label->pixmap().size();
            if (picture.isEmpty())
                continue;
            EXPECT_FALSE(label->hasScaledContents());
            if (picture.height() == 70)
                banner = picture;
            else
                side = picture;
        }
        EXPECT_EQ(banner, QSize(700, 70));
        EXPECT_EQ(side, QSize(150, language == kEnglish ? 360 : 281));
    }
}

TEST(FrameAndStep2Step3Templates, WizardButtonsRunLeftToRightAboveASeparator) {
    ModuleFixture module(kEnglish);
    ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
    QWidget* frame = module.dialog(133);
    ASSERT_NE(frame, nullptr);
    const int order[] = {1020, 1022, 1103, 1017, 1018, 1016, 1026};
    QLayout* row = nullptr;
    int previous = -1;
    for (int id : order) {
        QWidget* button = trntest::findControl(frame, id);
        ASSERT_NE(button, nullptr);
        if (row == nullptr) {
            for (auto* layout : frame->findChildren<QLayout*>())
                if (layout->indexOf(button) >= 0)
                    row = layout;
        }
        ASSERT_NE(row, nullptr);
        const int index = row->indexOf(button);
        EXPECT_GT(index, previous) << id;
        previous = index;
    }

    layOut(frame);
    const int buttonsTop = trntest::findControl(frame, 1026)->mapTo(frame, QPoint(0, 0)).y();
    bool separator = false;
    for (auto* line : frame->findChildren<QFrame*>()) {
        if (line->frameShape() != QFrame::HLine)
            continue;
        separator = true;
        EXPECT_EQ(line->height(), 1);
        EXPECT_EQ(line->width(), frame->width());
        EXPECT_LT(line->mapTo(frame, QPoint(0, 0)).y(), buttonsTop);
    }
    EXPECT_TRUE(separator);
}

TEST(FrameAndStep2Step3Templates, PageAreaHoldsTheLargestPageAndKeepsItsPlaceWhenHidden) {
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        QWidget* frame = module.dialog(133);
        ASSERT_NE(frame, nullptr);
        SCOPED_TRACE(qPrintable(language));
        layOut(frame);
        QWidget* area = trntest::findControl(frame, 1027);
        ASSERT_NE(area, nullptr);
        EXPECT_GE(area->width(), kLargestPage.width());
        EXPECT_GE(area->height(), kLargestPage.height());
        const QRect areaRect(area->mapTo(frame, QPoint(0, 0)), area->size());
        EXPECT_TRUE(frame->rect().contains(areaRect));

        // The wizard hides the frame and places pages in its rectangle: nothing may move.
        QWidget* finish = trntest::findControl(frame, 1026);
        const QPoint finishAt = finish->mapTo(frame, QPoint(0, 0));
        const QSize frameSize = frame->size();
        area->hide();
        frame->layout()->invalidate();
        layOut(frame);
        EXPECT_EQ(QRect(area->mapTo(frame, QPoint(0, 0)), area->size()), areaRect);
        EXPECT_EQ(finish->mapTo(frame, QPoint(0, 0)), finishAt);
        EXPECT_EQ(frame->size(), frameSize);
    }
}

TEST(FrameAndStep2Step3Templates, PagesFitTheirSizeWithoutClipping) {
    const struct {
        int dialog;
        QSize size;
    } pages[] = {{146, QSize(516, 483)}, {147, QSize(516, 442)}, {150, QSize(516, 442)}};
    for (const QString& language : kLanguages) {
        ModuleFixture module(language);
        ASSERT_TRUE(module.loaded()) << qPrintable(module.error());
        for (const auto& page : pages) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 dialog %2").arg(language).arg(page.dialog)));
            QWidget* dialog = module.dialog(page.dialog);
            ASSERT_NE(dialog, nullptr);
            layOut(dialog, page.size);
            EXPECT_EQ(dialog->size(), page.size);
            EXPECT_LE(dialog->minimumWidth(), kLargestPage.width());
            EXPECT_LE(dialog->minimumHeight(), kLargestPage.height());
            QLayout* layout = dialog->layout();
            ASSERT_NE(layout, nullptr);
            EXPECT_LE(layout->totalMinimumSize().width(), page.size.width());
            // Wrapped help texts need their full height at the page's width.
            const int needed = layout->hasHeightForWidth()
                                   ? layout->totalHeightForWidth(page.size.width())
                                   : layout->totalMinimumSize().height();
            EXPECT_LE(needed, page.size.height());
        }
    }
}
