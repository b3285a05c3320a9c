// The real application against the real simulator over a pseudo-terminal, with the real
// message boxes answered as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include "../support/TrnsimProcess.h"
#include "AppFixture.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Controls.h"
#include "SettingsPage.h"
#include "SimController.h"
#include "Wizird.h"

namespace {

constexpr int IdFinish = 1026;

// Looks at the active modal window every few milliseconds and answers it.
class User : public QObject {
public:
    User() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, &User::look);
        timer_.start();
    }
    QStringList messages;
    QStringList details;  // informative texts, one per message
    int finishes = 0;
    // What the user does in the wizard before pressing Finish.
    std::function<void(Wizird*)> edit;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (box == last_)
                return;  // already answered, still closing
            last_ = box;
            const QString text = box->text();
            messages << text;
            details << box->informativeText();
            QAbstractButton* answer = nullptr;
            if (text.startsWith(QLatin1String("Warning:")) ||
                text.startsWith(QLatin1String("Configuration Completed")))
                answer = box->button(QMessageBox::Yes);
            else if (text.startsWith(QLatin1String("\"Control Mode\"")))
                answer = box->button(QMessageBox::Ok);
            if (answer == nullptr)
                answer = box->escapeButton();
            if (answer == nullptr)
                answer = box->buttons().value(0);
            QMetaObject::invokeMethod(answer, &QAbstractButton::click, Qt::QueuedConnection);
            return;
        }
        if (auto* wizard = qobject_cast<Wizird*>(modal); wizard && finishes == 0) {
            ++finishes;
            if (edit)
                edit(wizard);
            auto* finish = findControl<QPushButton>(wizard->form(), IdFinish);
            QMetaObject::invokeMethod(finish, &QAbstractButton::click, Qt::QueuedConnection);
        }
    }
    QTimer timer_;
    QMessageBox* last_ = nullptr;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(EndToEnd, WizardReadsAndWritesTheSimulatedController) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A controller still coded in the old control mode: Finish writes the upgrade.
    SimController::Image original = SimController::sampleImage();
    original[Field::ControlMode] = 2;
    original[Field::ControlModeCopy] = 2;
    original[Field::SpeedMode] = 0;
    const QString imagePath = dir.filePath(QStringLiteral("controller.bin"));
    QString error;
    ASSERT_TRUE(saveImageFile(imagePath, original, &error)) << error.toStdString();

    TrnsimProcess sim({QStringLiteral("--image"), imagePath});
    ASSERT_FALSE(sim.device().isEmpty()) << sim.errors().toStdString();

    CVexlaControllerApp& app = theApp();
    const QString savedDir = app.programDir;
    app.programDir = dir.path();
    int status = -1;
    {
        User user;
        status = app.InitInstance({QStringLiteral("trnsetup"), QStringLiteral("--language"),
                                   QStringLiteral(TRN_BIN_DIR "/english.rcc"),
                                   QStringLiteral("--port"), sim.device()});
        app.ExitInstance();
        app.programDir = savedDir;
        EXPECT_EQ(user.finishes, 1);
        ASSERT_EQ(user.messages.size(), 3) << user.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(user.messages[0].startsWith(QLatin1String("Warning:")));
        EXPECT_TRUE(user.messages[1].startsWith(QLatin1String("\"Control Mode\"")));
        EXPECT_TRUE(user.messages[2].startsWith(QLatin1String("Configuration Completed")));
    }
    EXPECT_EQ(status, 0);

    const QByteArray written = readAll(imagePath);
    ASSERT_EQ(written.size(), 128);
    for (int i = 0; i < 128; ++i) {
        std::uint8_t expected = original[static_cast<std::size_t>(i)];
        if (i == Field::ControlMode || i == Field::ControlModeCopy)
            expected = 3;
        EXPECT_EQ(static_cast<std::uint8_t>(written[i]), expected) << "byte " << i;
    }
    // The default copy holds the configuration as it was read.
    const QByteArray saved = readAll(dir.filePath(QStringLiteral("0405000AB0FFV.v")));
    EXPECT_EQ(saved, QByteArray(reinterpret_cast<const char*>(original.data()), 128));
}

// A CAN controller whose send identifier the user mistypes: the refusal is shown, Finish still
// writes, message 106 says which field kept its value, and the simulator receives the
// temperatures as the page showed them but the identifiers and the smoothing bytes that the
// refused store never reached as they were.
TEST(EndToEnd, RefusedIdentifierIsNamedAndNotWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SimController::Image original = SimController::sampleImage();
    original[Field::Variant] = 'C';
    original[Field::StopTemperature] = 200;   // shown and stored as 170
    original[Field::SmoothInflection] = 200;  // would be stored as 30
    original[Field::CanSendId] = 0x01;
    original[Field::CanSendId + 1] = 0x23;
    const QString imagePath = dir.filePath(QStringLiteral("controller.bin"));
    QString error;
    ASSERT_TRUE(saveImageFile(imagePath, original, &error)) << error.toStdString();
    TrnsimProcess sim({QStringLiteral("--image"), imagePath});
    ASSERT_FALSE(sim.device().isEmpty()) << sim.errors().toStdString();

    CVexlaControllerApp& app = theApp();
    const QString savedDir = app.programDir;
    app.programDir = dir.path();
    {
        User user;
        user.edit = [](Wizird* wizard) {
            while (QLatin1String(wizard->page(wizard->currentPage)->metaObject()->className()) !=
                       QLatin1String("CStep4") &&
                   wizard->currentPage < wizard->pageCount)
                wizard->OnNextButton();
            if (auto* send = wizard->page(wizard->currentPage)->control<QLineEdit>(1125))
                send->setText(QStringLiteral("3000"));
        };
        const int status = app.InitInstance(
            {QStringLiteral("trnsetup"), QStringLiteral("--language"),
             QStringLiteral(TRN_BIN_DIR "/english.rcc"), QStringLiteral("--port"), sim.device()});
        app.ExitInstance();
        app.programDir = savedDir;
        EXPECT_EQ(status, 0);
        ASSERT_EQ(user.messages.size(), 3) << user.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(user.messages[1], QStringLiteral("Send ID must between 0 and 2047 "));
        EXPECT_TRUE(user.messages[2].startsWith(QLatin1String("Configuration Completed")));
        EXPECT_TRUE(user.details[2].contains(QLatin1String("Send ID")))
            << user.details[2].toStdString();
    }
    const QByteArray written = readAll(imagePath);
    ASSERT_EQ(written.size(), 128);
    const auto at = [&](int pos) { return static_cast<std::uint8_t>(written[pos]); };
    EXPECT_EQ(at(Field::StopTemperature), 170);
    for (int pos = Field::CanReceiveId; pos < Field::CanSendId + 2; ++pos)
        EXPECT_EQ(at(pos), original[static_cast<std::size_t>(pos)]) << pos;
    for (int pos = Field::SmoothInflection; pos <= Field::SmoothEnable; ++pos)
        EXPECT_EQ(at(pos), original[static_cast<std::size_t>(pos)]) << pos;
}
