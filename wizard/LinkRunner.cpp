#include "LinkRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <atomic>
#include <thread>
#include <vector>

#include "ControllerLink.h"

namespace {

// A window that Escape and the close box cannot end: the call it stands for cannot be stopped.
class ProgressWindow : public QDialog {
public:
    explicit ProgressWindow(QWidget* parent) : QDialog(parent) {}
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

LinkRunner::LinkRunner(ControllerLink& link, QWidget* owner) : link_(link), owner_(owner) {
    delay_.setSingleShot(true);
    connect(&delay_, &QTimer::timeout, this, &LinkRunner::showIndicator);
}

LinkRunner::~LinkRunner() {
    delete window_;
}

QWidget* LinkRunner::indicator() const {
    return window_ && window_->isVisible() ? window_.data() : nullptr;
}

bool LinkRunner::run(const std::function<bool()>& call) {
    running_ = true;
    text_.clear();
    step_ = 0;
    steps_ = 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);

    // Message boxes belong to the GUI thread: what the link asks for waits until the call ended.
    const auto reportMessage = link_.reportMessage;
    std::vector<int> held;
    if (reportMessage)
        link_.reportMessage = [&held](int id) { held.push_back(id); };
    link_.progress = [this](const LinkProgress& p) {
        QMetaObject::invokeMethod(
            this, [this, p] { showProgress(p); }, Qt::QueuedConnection);
    };

    QEventLoop loop;
    std::atomic<bool> result{false};
    delay_.start(delayMs);
    std::thread worker([&] {
        result = call();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    delay_.stop();
    if (window_)
        window_->hide();
    link_.progress = nullptr;
    link_.reportMessage = reportMessage;
    QApplication::restoreOverrideCursor();
    running_ = false;
    for (int id : held) reportMessage(id);
    return result;
}

void LinkRunner::showProgress(const LinkProgress& progress) {
    if (!running_)
        return;  // news that arrived after the call ended
    text_ = progress.text();
    step_ = progress.step;
    steps_ = progress.steps;
    if (window_) {
        label_->setText(text_);
        bar_->setRange(0, steps_);  // 0 to 0: busy without a measure
        bar_->setValue(step_);
    }
}

void LinkRunner::showIndicator() {
    if (!running_)
        return;
    if (!window_) {
        auto* window = new ProgressWindow(owner_);
        window->setObjectName(QStringLiteral("linkProgress"));
        window->setWindowModality(Qt::ApplicationModal);
        window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto* layout = new QVBoxLayout(window);
        label_ = new QLabel(window);
        label_->setMinimumWidth(label_->fontMetrics().averageCharWidth() * 48);
        label_->setWordWrap(true);
        bar_ = new QProgressBar(window);
        bar_->setTextVisible(false);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        window_ = window;
    }
    // The wizard's own title: during start-up the wizard itself is not shown yet.
    const QString title = owner_ != nullptr ? owner_->windowTitle() : QString();
    window_->setWindowTitle(title);
    label_->setText(text_);
    bar_->setRange(0, steps_);
    bar_->setValue(step_);
    // Wide enough for the whole title beside the title bar's buttons, which window managers
    // draw in a bold face.
    QFont bold = window_->font();
    bold.setBold(true);
    window_->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(title) + TitleBarButtons);
    window_->adjustSize();
    window_->move(centredOn(owner_, window_->frameGeometry().size()));
    window_->show();
    emit indicatorShown();
}

QPoint LinkRunner::centredOn(const QWidget* owner, QSize size) {
    // On the wizard once it is shown; before, where it will be: the middle of its screen.
    QRect area;
    if (owner != nullptr && owner->window()->isVisible())
        area = owner->window()->frameGeometry();
    else if (const QScreen* screen =
                 owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    return area.center() - QPoint(size.width() / 2, size.height() / 2);
}
