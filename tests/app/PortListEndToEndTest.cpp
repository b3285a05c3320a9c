// The real program with a folder of simulators' links for its ports: the two linked at start
// hold no controller; one pulled out leaves the list, and a controller linked in while the
// wizard waits is searched and read without a key pressed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include "../support/TrnsimProcess.h"
#include "AppFixture.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "SimController.h"
#include "Wizird.h"

namespace {

// Answers the warning, waits on message 103 or opens the port list from it, pulls the first
// port out of the list and plugs a controller in; then leaves the wizard.
class User : public QObject {
public:
    User(bool openList, std::function<void()> pull, std::function<void()> plug)
        : openList_(openList), pull_(std::move(pull)), plug_(std::move(plug)) {
        connect(&timer_, &QTimer::timeout, this, &User::look);
        timer_.start(10);
        waited_.start();
    }
    int noController = 0;  // times message 103 was shown
    QStringList listed;    // every port the list has shown
    QString identity;      // of the controller the wizard read
    bool pluggedIn = false;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        // A controller never found must end the test, not wait for ever.
        if (waited_.elapsed() > 30000) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (!box->property("seen").isNull())
                return;
            box->setProperty("seen", true);
            QAbstractButton* answer = box->button(QMessageBox::Yes);  // the warning
            if (box->text().startsWith(QLatin1String("Can't connect"))) {
                ++noController;
                answer = nullptr;
                for (QAbstractButton* b : box->buttons())
                    if (openList_ && b->text().contains(QLatin1String("port")))
                        answer = b;
                if (!openList_)
                    plugIn();
            } else if (answer == nullptr) {
                answer = box->button(QMessageBox::Ok);  // leaving asks
            }
            if (answer != nullptr)
                QMetaObject::invokeMethod(answer, &QAbstractButton::click, Qt::QueuedConnection);
        } else if (modal != nullptr && modal->objectName() == QLatin1String("portList")) {
            QStringList rows;
            auto* ports = modal->findChild<QTreeWidget*>(QStringLiteral("ports"));
            for (int i = 0; i < ports->topLevelItemCount(); ++i)
                rows << QDir(ports->topLevelItem(i)->text(0)).dirName();
            listed << rows;
            if (!pulled_) {
                pulled_ = true;
                pull_();
            } else if (!rows.contains(QLatin1String("a"))) {
                plugIn();
            }
        } else if (auto* wizard = qobject_cast<Wizird*>(modal); wizard && identity.isEmpty()) {
            identity = wizard->identityText;
            QMetaObject::invokeMethod(wizard, &QDialog::reject, Qt::QueuedConnection);
        }
    }
    void plugIn() {
        if (!pluggedIn)
            plug_();
        pluggedIn = true;
    }
    bool openList_;
    std::function<void()> pull_, plug_;
    bool pulled_ = false;
    QTimer timer_;
    QElapsedTimer waited_;
};

}  // namespace

TEST(EndToEnd, AControllerLinkedInWhileTheWizardWaitsIsFoundWithoutAKey) {
    for (const bool openList : {false, true}) {
        SCOPED_TRACE(openList ? "the port list open" : "message 103 open");
        QTemporaryDir dir;
        const QString ports = dir.filePath(QStringLiteral("ports"));
        ASSERT_TRUE(QDir().mkpath(ports));
        const auto at = [&ports](const char* name) { return ports + QLatin1Char('/') + name; };
        auto silent = std::make_unique<TrnsimProcess>(
            QStringList{QStringLiteral("--link"), at("a"), QStringLiteral("--silent")});
        TrnsimProcess refusing(
            {QStringLiteral("--link"), at("b"), QStringLiteral("--accept"), QStringLiteral("0")});
        ASSERT_FALSE(silent->device().isEmpty() || refusing.device().isEmpty());

        SimController::Image image = SimController::sampleImage();
        image[Field::SerialNumber + 3] ^= 0x5A;
        const QString imageFile = dir.filePath(QStringLiteral("c.bin"));
        QString error;
        ASSERT_TRUE(saveImageFile(imageFile, image, &error)) << error.toStdString();
        std::unique_ptr<TrnsimProcess> plugged;
        User user(
            openList, [&] { silent.reset(); },  // its link goes with it
            [&] {
                plugged = std::make_unique<TrnsimProcess>(QStringList{
                    QStringLiteral("--link"), at("c"), QStringLiteral("--image"), imageFile});
            });

        CVexlaControllerApp& app = theApp();
        const QString savedDir = app.programDir;
        app.programDir = dir.path();
        const int status = app.InitInstance(
            {QStringLiteral("trnsetup"), QStringLiteral("--language"),
             QStringLiteral(TRN_BIN_DIR "/english.rcc"), QStringLiteral("--port-folder"), ports});
        app.ExitInstance();
        app.programDir = savedDir;

        EXPECT_EQ(status, 0);
        EXPECT_TRUE(user.pluggedIn);
        EXPECT_EQ(user.noController, 1) << "no Retry was needed";
        CalibrationImage read;
        std::copy(image.begin(), image.end(), read.data());
        EXPECT_EQ(user.identity, identityText(read));
        if (openList) {
            EXPECT_TRUE(user.listed.contains(QLatin1String("a")));
            EXPECT_TRUE(user.listed.contains(QLatin1String("c")));
        }
    }
}
