#pragma once

#include <functional>

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

class ControllerLink;
class QLabel;
class QProgressBar;
class QWidget;
struct LinkProgress;

// Runs a link call on a thread of its own while the GUI thread goes on painting: a busy
// cursor at once, and a small window saying what the link does once the call has lasted
// delayMs. The caller gets the result as from a plain call; the window cannot be closed.
class LinkRunner : public QObject {
    Q_OBJECT
public:
    LinkRunner(ControllerLink& link, QWidget* owner);
    ~LinkRunner() override;

    // Runs call off the GUI thread and returns its result once it has ended. Messages the
    // link asks for during the call (a port setting that failed) are shown afterwards, on
    // the GUI thread, in the order asked.
    bool run(const std::function<bool()>& call);
    // True while a call runs.
    bool running() const { return running_; }

    int delayMs = 500;
    // Where a window of the given size is centred on the owner's window, or on its screen while
    // that is not shown.
    static QPoint centredOn(const QWidget* owner, QSize size);
    // Room for a title bar's buttons and margins beside the title.
    static constexpr int TitleBarButtons = 120;
    // The progress window while it is shown, else null.
    QWidget* indicator() const;
    // What the window says (the last progress the link gave).
    QString text() const { return text_; }

signals:
    void indicatorShown();

private:
    void showIndicator();
    void showProgress(const LinkProgress& progress);

    ControllerLink& link_;
    QWidget* owner_;
    bool running_ = false;
    QString text_;
    QTimer delay_;
    QPointer<QWidget> window_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    int step_ = 0;
    int steps_ = 0;
};
