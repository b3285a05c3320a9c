// The wizard's window: its page area scrolls on a small screen, the pages follow it, and the
// window fits the screen and opens where the user left it.
#include "Wizird.h"

#include <QLabel>
#include <QLayout>
#include <QRegion>
#include <QScreen>
#include <QScrollArea>

#include "SettingsPage.h"
#include "WindowPlace.h"

void Wizird::scrollPageArea() {
    // The pages keep the template's places on the page area, which scrolls when the window
    // is smaller than it: the buttons below stay in reach on any screen.
    if (pageHost_ == form_)
        return;
    for (QLayout* l : form_->findChildren<QLayout*>()) {
        if (l->indexOf(pageHost_) < 0)
            continue;
        scroll_ = new QScrollArea;
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        delete l->replaceWidget(pageHost_, scroll_);
        scroll_->setWidget(pageHost_);
        scroll_->setMinimumSize(pageHost_->size());
        // Scrolling moves the area, resizing the window the view: the pages follow both.
        pageHost_->installEventFilter(this);
        scroll_->viewport()->installEventFilter(this);
        return;
    }
}

bool Wizird::eventFilter(QObject* watched, QEvent* event) {
    if (scroll_ != nullptr && (watched == pageHost_ || watched == scroll_->viewport()) &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        followPageArea();
    return QDialog::eventFilter(watched, event);
}

void Wizird::followPageArea() {
    // The pages are the wizard's own widgets, laid over the page area: placed where it is
    // scrolled to, and cut to the part of it in view.
    contentRect = QRect(content_->mapTo(this, QPoint(0, 0)), content_->size());
    const QRect view(scroll_->viewport()->mapTo(this, QPoint(0, 0)), scroll_->viewport()->size());
    const QRect shown = view.intersected(contentRect).translated(-contentRect.topLeft());
    for (unsigned n = 1; n <= pageCount; ++n) {
        SettingsPage* p = pages_.page(n);
        p->setGeometry(contentRect);
        if (shown.size() == contentRect.size())
            p->clearMask();
        else
            p->setMask(shown.isEmpty() ? QRegion(0, 0, 1, 1) : QRegion(shown));
    }
}

void Wizird::placeWindow() {
    // Room for the window manager's frame around the window, which is not known before the
    // window is shown.
    constexpr QSize FrameAllowance(16, 48);
    const QScreen* shown = screen();
    const QSize room = shown != nullptr ? shown->availableGeometry().size() - FrameAllowance
                                        : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The frame's layout first: the window's follows the frame's minimum.
    const auto relayout = [this] {
        form_->layout()->activate();
        layout()->activate();
    };
    if (scroll_ != nullptr) {
        scroll_->setMinimumSize(pageHost_->size());
        relayout();
        if (layout()->minimumSize().width() > room.width()) {
            // The banner is a picture: cut on the right rather than widen the window.
            for (QLabel* banner : form_->findChildren<QLabel*>(QStringLiteral("labelBanner"))) {
                banner->setMinimumWidth(0);
                banner->setSizePolicy(QSizePolicy::Ignored, banner->sizePolicy().verticalPolicy());
            }
            relayout();
        }
        if (const QSize over = (layout()->minimumSize() - room).expandedTo(QSize(0, 0));
            !over.isNull()) {
            constexpr QSize Smallest(160, 120);
            scroll_->setMinimumSize((pageHost_->size() - over).expandedTo(Smallest));
            relayout();
        }
        resize(sizeHint().boundedTo(room).expandedTo(minimumSize()));
    }
    WindowPlace(QStringLiteral("wizard")).restore(*this);
    // A size kept on a larger screen, or at a smaller scale, is brought within this one.
    resize(size().boundedTo(room).expandedTo(minimumSize()));
    if (scroll_ != nullptr)
        followPageArea();
}

void Wizird::done(int result) {
    if (isVisible())
        WindowPlace(QStringLiteral("wizard")).keep(*this);
    QDialog::done(result);
}

void Wizird::fitPages() {
    // Templates are laid out for the font they were drawn with; a larger desktop font makes
    // the pages need more room than the frame's page area gives, so the area grows to the
    // largest page and every page is placed again.
    QWidget* content = content_;
    QSize needed = content->size();
    for (unsigned n = 1; n <= pageCount; ++n) {
        const SettingsPage* p = pages_.page(n);
        QSize hint = p->sizeHint();
        // Wrapped texts need more height than the hint says once the width is known.
        if (p->hasHeightForWidth())
            hint.setHeight(std::max(hint.height(), p->heightForWidth(hint.width())));
        needed = needed.expandedTo(hint);
    }
    if (needed == content->size())
        return;
    content->setMinimumSize(needed);
    if (pageHost_ != form_)
        pageHost_->setFixedSize(pageHost_->size().expandedTo(
            QSize(content->geometry().right() + 1, content->geometry().bottom() + 1)));
    if (scroll_ != nullptr)
        scroll_->setMinimumSize(pageHost_->size());
    layout()->activate();
    contentRect = QRect(content->mapTo(this, QPoint(0, 0)), content->size());
    for (unsigned n = 1; n <= pageCount; ++n) pages_.page(n)->setGeometry(contentRect);
}
