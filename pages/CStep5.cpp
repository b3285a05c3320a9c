#include "CStep5.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

void CStep5::initialise() {
    SettingsPage::initialise();
    auto* slider = control<QSlider>(IdReleasing);
    const auto tip = [slider] {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.upsideDown = slider->invertedAppearance();
        const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                             QStyle::SC_SliderHandle, slider);
        QToolTip::showText(slider->mapToGlobal(handle.topLeft()),
                           QString::number(slider->sliderPosition()), slider);
    };
    connect(slider, &QSlider::sliderPressed, slider, tip);
    connect(slider, &QSlider::sliderMoved, slider, tip);
    connect(slider, &QSlider::sliderReleased, slider, [] { QToolTip::hideText(); });
}
