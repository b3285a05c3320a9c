#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include "../support/ScriptedPrompter.h"
#include "CStep6.h"
#include "CalibrationImage.h"
#include "ResourceModule.h"
#include "SettingsPage.h"

namespace {

class SpyPage : public SettingsPage {
public:
    using SettingsPage::SettingsPage;
    int loads = 0;
    int stores = 0;
    int initialised = 0;
    bool loadSawControls = false;

protected:
    void initialise() override { ++initialised; }
    void load() override {
        ++loads;
        loadSawControls = control<QLabel>(1039) != nullptr;
    }
    void store() override { ++stores; }
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/english.rcc"), &error))
            << error.toStdString();
    }
    ResourceModule module;
    CalibrationImage image;
    ScriptedPrompter prompter;
    QWidget window;
};

}  // namespace

TEST_F(PageTest, LoadsWhenShownAndStoresWhenHiddenOnlyOnChanges) {
    SpyPage page({image, prompter});
    QString error;
    ASSERT_TRUE(page.create(module, 146, &window, &error)) << error.toStdString();
    EXPECT_EQ(page.templateId(), 146);
    EXPECT_EQ(page.initialised, 1);
    EXPECT_TRUE(page.isHidden());
    EXPECT_EQ(page.parentWidget(), &window);
    EXPECT_EQ(page.loads + page.stores, 0);  // creation neither loads nor stores

    window.show();
    page.hide();  // already hidden
    EXPECT_EQ(page.stores, 0);
    page.show();
    EXPECT_EQ(page.loads, 1);
    EXPECT_TRUE(page.loadSawControls);
    page.show();  // already shown
    EXPECT_EQ(page.loads, 1);

    // The window going away or coming back is not the wizard changing pages.
    window.hide();
    window.showMinimized();
    window.showNormal();
    EXPECT_EQ(page.loads, 1);
    EXPECT_EQ(page.stores, 0);

    page.hide();
    EXPECT_EQ(page.stores, 1);
    page.setVisible(true);
    page.setVisible(false);
    EXPECT_EQ(page.loads, 2);
    EXPECT_EQ(page.stores, 2);
}

TEST_F(PageTest, MissingTemplateIsAnError) {
    SpyPage page({image, prompter});
    QString error;
    EXPECT_FALSE(page.create(module, 999, &window, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("999"))) << error.toStdString();
    page.show();
    page.hide();
    EXPECT_EQ(page.loads + page.stores, 0);
}

TEST_F(PageTest, FinishPageLeavesTheImageAlone) {
    for (int i = 0; i < CalibrationImage::Size; ++i) image.setByte(i, static_cast<std::uint8_t>(i));
    const CalibrationImage before = image;
    CStep6 page({image, prompter});
    QString error;
    ASSERT_TRUE(page.create(module, CStep6::Template, &window, &error)) << error.toStdString();
    window.show();
    page.show();
    page.hide();
    EXPECT_EQ(image, before);
    const auto labels = page.findChildren<QLabel*>();
    bool found = false;
    for (const QLabel* label : labels)
        found = found ||
                label->text() ==
                    QStringLiteral(
                        "Please click finish button to write configuration into the controller.");
    EXPECT_TRUE(found);
}
