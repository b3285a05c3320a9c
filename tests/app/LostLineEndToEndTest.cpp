// The real program against the real simulator: the simulator is stopped in the middle of a
// write, as when a USB adapter is pulled, and started again on the same path before Retry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include "../support/TrnsimProcess.h"
#include "AppFixture.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Controls.h"
#include "SettingsPage.h"
#include "SimController.h"
#include "Wizird.h"

namespace {

constexpr int IdCancel = 1017;
constexpr int IdFinish = 1026;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Plays the user: edits page 1, presses Finish, pulls the line while the write shows its
// progress, plugs a controller back in on message 105 and answers as each row says.
class User : public QObject {
public:
    explicit User(std::function<void()> plugBackIn) : plugBackIn_(std::move(plugBackIn)) {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &User::look);
        timer_.start();
    }
    std::unique_ptr<TrnsimProcess> pulled;  // the simulator the line dies with
    QStringList messages;
    QStringList details;
    bool cancelAfterRefusal = false;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // Boxes live on the stack: a new one may take an answered one's address.
            if (!box->property("answered").isNull())
                return;
            box->setProperty("answered", true);
            const QString text = box->text();
            messages << text;
            details << box->informativeText();
            QMessageBox::StandardButton answer = QMessageBox::Ok;
            if (text.startsWith(QLatin1String("Warning:")) ||
                text.startsWith(QLatin1String("Configuration Completed")))
                answer = QMessageBox::Yes;
            else if (text.startsWith(QLatin1String("Can't write"))) {
                const qsizetype failures = messages.filter(QStringLiteral("Can't write")).size();
                const bool first = failures == 1;
                if (first)
                    plugBackIn_();
                // A controller that never comes back must end the test, not retry for ever.
                const bool retry = first || (!cancelAfterRefusal && failures <= 3);
                answer = retry ? QMessageBox::Retry : QMessageBox::Cancel;
                if (!retry)
                    cancelled_ = true;
            }
            QMetaObject::invokeMethod(box->button(answer), &QAbstractButton::click,
                                      Qt::QueuedConnection);
            return;
        }
        if (modal != nullptr && modal->objectName() == QLatin1String("linkProgress") && finished_ &&
            pulled) {
            pulled->stop();
            pulled.reset();
            return;
        }
        auto* wizard = qobject_cast<Wizird*>(modal);
        if (wizard == nullptr)
            return;
        if (!finished_) {
            finished_ = true;
            wizard->page(1)->control<QSlider>(1034)->setValue(77);
            QMetaObject::invokeMethod(findControl<QPushButton>(wizard->form(), IdFinish),
                                      &QAbstractButton::click, Qt::QueuedConnection);
        } else if (cancelled_ && !leaving_) {
            leaving_ = true;
            QMetaObject::invokeMethod(findControl<QPushButton>(wizard->form(), IdCancel),
                                      &QAbstractButton::click, Qt::QueuedConnection);
        }
    }
    std::function<void()> plugBackIn_;
    QTimer timer_;
    bool finished_ = false;
    bool cancelled_ = false;
    bool leaving_ = false;
};

}  // namespace

TEST(EndToEnd, RetryAfterThePulledLineWritesOnlyToTheControllerReadAtStart) {
    const struct {
        const char* name;
        bool sameController;
    } rows[] = {{"the same controller comes back", true}, {"another controller comes back", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("ttyTRN"));
        const QString first = dir.filePath(QStringLiteral("controller.bin"));
        const QString other = dir.filePath(QStringLiteral("other.bin"));
        SimController::Image image = SimController::sampleImage();
        QString error;
        ASSERT_TRUE(saveImageFile(first, image, &error)) << error.toStdString();
        image[Field::SerialNumber + 3] ^= 0x5A;
        ASSERT_TRUE(saveImageFile(other, image, &error)) << error.toStdString();
        const QByteArray otherBefore = readAll(other);

        std::unique_ptr<TrnsimProcess> plugged;
        User user([&] {
            // The pulled simulator is gone; its link must not stop the new one from starting.
            QFile::remove(link);
            plugged = std::make_unique<TrnsimProcess>(
                QStringList{QStringLiteral("--link"), link, QStringLiteral("--image"),
                            row.sameController ? first : other});
        });
        user.cancelAfterRefusal = !row.sameController;
        // Slow replies, so that the write is still under way when its progress shows.
        user.pulled = std::make_unique<TrnsimProcess>(
            QStringList{QStringLiteral("--link"), link, QStringLiteral("--image"), first,
                        QStringLiteral("--delay"), QStringLiteral("100")});
        ASSERT_FALSE(user.pulled->device().isEmpty()) << user.pulled->errors().toStdString();

        CVexlaControllerApp& app = theApp();
        const QString savedDir = app.programDir;
        app.programDir = dir.path();
        const int status = app.InitInstance(
            {QStringLiteral("trnsetup"), QStringLiteral("--language"),
             QStringLiteral(TRN_BIN_DIR "/english.rcc"), QStringLiteral("--port"), link});
        app.ExitInstance();
        app.programDir = savedDir;
        EXPECT_EQ(status, 0);
        ASSERT_TRUE(plugged) << user.messages.join(QLatin1Char('|')).toStdString();
        ASSERT_GE(user.messages.size(), 3) << user.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(user.messages[1].startsWith(QLatin1String("Can't write")));
        EXPECT_TRUE(user.details[1].contains(QLatin1String("the port was lost")))
            << user.details[1].toStdString();
        if (row.sameController) {
            ASSERT_EQ(user.messages.size(), 3)
                << user.messages.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(user.messages[2].startsWith(QLatin1String("Configuration Completed")));
            const QByteArray written = readAll(first);
            ASSERT_EQ(written.size(), 128);
            EXPECT_EQ(static_cast<std::uint8_t>(written[Field::MaxMotorCurrent]), 77);
        } else {
            // Refused with a clear word, 105 again (Cancel), then Cancel and OK to leave.
            ASSERT_EQ(user.messages.size(), 5)
                << user.messages.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(user.messages[2].contains(QLatin1String("not the one read at start")));
            EXPECT_TRUE(user.messages[3].startsWith(QLatin1String("Can't write")));
            EXPECT_TRUE(user.messages[4].startsWith(QLatin1String("Cancel without")));
            EXPECT_EQ(readAll(other), otherBefore) << "nothing was written to the other controller";
        }
    }
}
