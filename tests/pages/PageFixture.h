#pragma once
// A setting page built from the real english.rcc on a shown window, over an image of random
// bytes with a given firmware, model and variant, so that every page meets foreign bits.
//
//   PageFixture<CStep2> fx(0x0405, "TRE72301");
//   fx.image.setByte(14, 55);
//   fx.show();                              // loads
//   EXPECT_EQ(fx.text(1036), "55%");
//   fx.move(1034, 60);                      // what a user does
//   EXPECT_EQ(fx.hide({{14, 60}}), "");     // stores; only byte 14 changed, to 60
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

#include "../support/RandomImage.h"
#include "../support/ScriptedPrompter.h"
#include "CalibrationImage.h"
#include "ResourceModule.h"
#include "SettingsPage.h"

template <class Page>
class PageFixture {
public:
    explicit PageFixture(unsigned firmware, const char* model = "TRN48201", char variant = 'x',
                         unsigned seed = 1) {
        image = randomImage(seed, firmware, model, variant);
        QString error;
        loaded_ = module_.load(QStringLiteral(TRN_BIN_DIR "/english.rcc"), &error);
        EXPECT_TRUE(loaded_) << qPrintable(error);
        window_.resize(900, 700);
        window_.show();
    }
    ~PageFixture() {
        page_.reset();
        module_.release();
    }

    // Creates the page on first use, as the wizard does once the image is read.
    Page& page() {
        if (!page_) {
            page_ = std::make_unique<Page>(PageContext{image, prompter});
            QString error;
            EXPECT_TRUE(loaded_ && page_->create(module_, Page::Template, &window_, &error))
                << qPrintable(error);
        }
        return *page_;
    }
    // Shows the page (it loads); the image as it is now is what hide() compares with.
    Page& show() {
        Page& p = page();
        before = image;
        p.show();
        return p;
    }
    // Hides the page (it stores). Empty when the listed bytes hold their values and every
    // other byte is as it was at show(); otherwise what differs.
    std::string hide(const std::map<int, int>& expected = {}) {
        page().hide();
        return differences(expected);
    }
    std::string differences(const std::map<int, int>& expected) const {
        std::string out;
        for (int i = 0; i < CalibrationImage::Size; ++i) {
            const auto it = expected.find(i);
            const int want = it != expected.end() ? it->second : before.byte(i);
            if (image.byte(i) != want)
                out += "byte " + std::to_string(i) + " is " + std::to_string(image.byte(i)) +
                       ", expected " + std::to_string(want) + "; ";
        }
        return out;
    }

    template <class T = QWidget>
    T* control(int id) {
        T* c = page().template control<T>(id);
        EXPECT_NE(c, nullptr) << "control " << id;
        return c;
    }
    QString text(int id) { return control(id)->property("text").toString(); }
    bool hidden(int id) { return control(id)->isHidden(); }
    bool enabled(int id) { return control(id)->isEnabled(); }
    bool checked(int id) { return control<QAbstractButton>(id)->isChecked(); }
    int index(int id) { return control<QComboBox>(id)->currentIndex(); }
    QStringList items(int id) {
        QStringList out;
        auto* list = control<QComboBox>(id);
        for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
        return out;
    }
    int value(int id) { return control<QSlider>(id)->value(); }
    std::pair<int, int> range(int id) {
        auto* s = control<QSlider>(id);
        return {s->minimum(), s->maximum()};
    }

    // What a user does.
    void move(int id, int value) { control<QSlider>(id)->setValue(value); }
    void pick(int id, int index) { control<QComboBox>(id)->setCurrentIndex(index); }
    void click(int id) { control<QAbstractButton>(id)->click(); }
    void type(int id, const QString& text) { control<QLineEdit>(id)->setText(text); }

    CalibrationImage image;
    CalibrationImage before;
    ScriptedPrompter prompter;

private:
    ResourceModule module_;
    bool loaded_ = false;
    QWidget window_;
    std::unique_ptr<Page> page_;
};
