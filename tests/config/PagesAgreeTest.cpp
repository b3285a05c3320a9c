// The settings table agrees with the pages: whatever a user does on a page, leaving it
// changes only bits the table lists as this controller's settings.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "../pages/PageFixture.h"
#include "CStep2.h"
#include "CStep3.h"
#include "CStep4.h"
#include "CStep5.h"
#include "CStep7.h"
#include "Settings.h"
#include "V0204.h"

namespace {

// Moves every slider, picks in every list, clicks option buttons and types numbers that every
// J1939 and CAN field accepts, at random, then leaves the page. Empty when only settings bits
// changed; otherwise which did not.
template <class Page>
std::string walk(unsigned firmware, const char* model, char variant, unsigned seed) {
    PageFixture<Page> fx(firmware, model, variant, seed);
    const auto bits = config::settingBits(fx.image);
    std::mt19937 random(seed * 7919u);
    Page& page = fx.show();
    for (const kit::Required& r : page.requiredControls()) {
        QWidget* c = page.template control<QWidget>(r.id);
        if (!c || !c->isEnabled() || c->isHidden())
            continue;
        switch (r.kind) {
            case kit::Kind::Slider: {
                auto* s = static_cast<QSlider*>(c);
                s->setValue(s->minimum() +
                            static_cast<int>(random() % (s->maximum() - s->minimum() + 1)));
                break;
            }
            case kit::Kind::List: {
                auto* l = static_cast<QComboBox*>(c);
                if (l->count() > 0)
                    l->setCurrentIndex(static_cast<int>(random() % l->count()));
                break;
            }
            case kit::Kind::Option:
                if (random() % 2)
                    static_cast<QAbstractButton*>(c)->click();
                break;
            case kit::Kind::Edit:
                static_cast<QLineEdit*>(c)->setText(QString::number(random() % 2));
                break;
            default:
                break;
        }
    }
    page.hide();

    std::string out;
    for (int pos = 0; pos < CalibrationImage::Size; ++pos) {
        auto changed = static_cast<std::uint8_t>(fx.image.byte(pos) ^ fx.before.byte(pos));
        // Disabling smoothing clears the whole of byte 45, the controller's bits with it.
        if (pos == Field::SmoothEnable && fx.image.byte(pos) == 0)
            changed &= 0x01;
        if (changed & ~bits[static_cast<std::size_t>(pos)])
            out += "byte " + std::to_string(pos) + " bits " + std::to_string(changed) +
                   " outside the settings " + std::to_string(bits[static_cast<std::size_t>(pos)]) +
                   "; ";
    }
    return out;
}

}  // namespace

TEST(PagesAgree, LeavingAPageChangesOnlySettings) {
    const unsigned versions[] = {0x0203, 0x0204, 0x0208, 0x0209, 0x0300, 0x0301,
                                 0x0302, 0x0304, 0x0402, 0x0403, 0x0404, 0x0405};
    const char* models[] = {"TRN48201", "TRE72301", "TRN24200"};
    const char variants[] = {'C', 'J', 'B'};
    for (std::size_t i = 0; i < std::size(versions); ++i) {
        const unsigned v = versions[i];
        for (unsigned turn = 1; turn <= 3; ++turn) {
            // A different image for every firmware and turn.
            const auto seed = static_cast<unsigned>(10 * i + turn);
            // Models and variants take turns, so that every one meets every firmware range.
            const char* model = models[(i + turn) % std::size(models)];
            const char variant = variants[(i + 2 * turn) % std::size(variants)];
            SCOPED_TRACE(std::string(model) + " " + variant + " firmware " +
                         QString::number(v, 16).toStdString() + " seed " + std::to_string(seed));
            // The pages the wizard creates for this controller.
            EXPECT_EQ(walk<CStep2>(v, model, variant, seed), "");
            EXPECT_EQ(walk<CStep3>(v, model, variant, seed), "");
            if (v >= 0x0204) {
                EXPECT_EQ(walk<V0204>(v, model, variant, seed), "");
            }
            if (model[7] == '1') {
                EXPECT_EQ(walk<CStep5>(v, model, variant, seed), "");
            }
            EXPECT_EQ(walk<CStep4>(v, model, variant, seed), "");
            if (variant == 'J') {
                EXPECT_EQ(walk<CStep7>(v, model, variant, seed), "");
            }
        }
    }
}
