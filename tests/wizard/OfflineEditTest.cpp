// The wizard on a file, without a controller: what it refuses, how Finish, Default, Show changes,
// Cancel and Open configuration... behave, for a configuration file and a default file.
#include <QDir>
#include <QFile>
#include <QSlider>

#include "ConfigFile.h"
#include "EditedFile.h"
#include "Settings.h"
#include "WizardFixture.h"

namespace {

constexpr int IdMotorCurrent = 1034;  // page 1's slider for the maximum motor current
constexpr int MsgCancel = 102;

class OpensOneFile : public FileChooser {
public:
    explicit OpensOneFile(QString path) : path_(std::move(path)) {}
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<Choice> loadFile(QWidget*, const QString&, const std::vector<Choice>&) override {
        return Choice{{}, path_};
    }

private:
    QString path_;
};

class OfflineEdit : public WizardFixture {
protected:
    QString file(const QString& name) const { return QDir(dir).filePath(name); }
    static CalibrationImage unit(char variant = 'B') {
        const SimController::Image sample = SimController::sampleImage();
        CalibrationImage image;
        std::copy(sample.begin(), sample.end(), image.data());
        image.setByte(Field::Variant, static_cast<std::uint8_t>(variant));
        return image;
    }
    QString save(const QString& name, const QByteArray& bytes) const {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return file(name);
    }
    QString saveConfig(const QString& name, const CalibrationImage& image) const {
        return save(name, config::ConfigFile::write(image, {}, config::Language::English).toUtf8());
    }
    std::unique_ptr<Wizird> edit(const QString& path) {
        EditedFile::Failure failure{};
        std::optional<EditedFile> opened = EditedFile::open(path, module, &failure);
        EXPECT_TRUE(opened) << failure.text.toStdString();
        auto w = makeWizard();
        WizardEnvironment env{image, link, prompter, module, dir, [this] { return ++connects > 0; },
                              {},    {},   {}};
        env.file = std::move(opened);
        w = std::make_unique<Wizird>(std::move(env));
        started = w->OnInitDialog();
        w->show();
        return w;
    }
    static QSlider* motorCurrent(Wizird& w) { return w.page(1)->control<QSlider>(IdMotorCurrent); }
    static std::uint32_t raw(const CalibrationImage& image, const char* key) {
        return config::findSetting(key)->raw(image);
    }
};

}  // namespace

TEST_F(OfflineEdit, RefusesWhatCannotBeEditedWithTheCommandsStatus) {
    CalibrationImage otherSeries = unit();
    otherSeries.setByte(Field::Model, 'X');
    CalibrationImage special = unit();
    special.setBit(Field::ModelOptions, Field::SpecialVersionBit, true);
    QDir(dir).mkdir(QStringLiteral("folder.trncfg"));
    const struct {
        QString path;
        int status;
        QString text;  // contained in the message
    } rows[] = {
        {file(QStringLiteral("missing.trncfg")), 1, QStringLiteral("Cannot read")},
        {file(QStringLiteral("folder.trncfg")), 1, QStringLiteral("not a regular file")},
        {save(QStringLiteral("words.trncfg"), "hello\n"), 2, QStringLiteral("hello")},
        {save(QStringLiteral("0405000AB0FFV.v"), QByteArray(100, 'x')), 2,
         QStringLiteral("100 bytes")},
        {saveConfig(QStringLiteral("other.trncfg"), otherSeries), 1, module.string(MsgWrongSeries)},
        {save(QStringLiteral("0405000AB0FEV.v"),
              QByteArray(reinterpret_cast<const char*>(special.data()), CalibrationImage::Size)),
         1, module.string(MsgSpecialVersion)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        EditedFile::Failure failure{};
        EXPECT_FALSE(EditedFile::open(row.path, module, &failure));
        EXPECT_EQ(failure.status, row.status);
        EXPECT_TRUE(failure.text.contains(row.text)) << failure.text.toStdString();
    }
}

TEST_F(OfflineEdit, ConfigurationFileEditedShownRestoredAndSaved) {
    const CalibrationImage reference = unit();
    const QString path = saveConfig(QStringLiteral("unit.trncfg"), reference);
    auto w = edit(path);
    ASSERT_TRUE(started);
    EXPECT_TRUE(prompter.asked.empty());  // no motor warning
    EXPECT_EQ(connects, 0);
    EXPECT_TRUE(w->windowTitle().startsWith(QLatin1String("unit.trncfg (no controller connected)")))
        << w->windowTitle().toStdString();

    // Nothing to lose yet: Cancel would not ask. An edit is listed, then Default drops it.
    QSlider* slider = motorCurrent(*w);
    const int asOpened = slider->value();
    slider->setValue(slider->minimum());
    EXPECT_TRUE(w->unsaved());
    w->configMenu().showChanges();
    EXPECT_TRUE(prompter.told.back().contains(QLatin1String("Max Motor Current")));
    w->OnDefaultButton();
    EXPECT_EQ(motorCurrent(*w)->value(), asOpened);
    EXPECT_FALSE(w->unsaved());
    w->configMenu().showChanges();
    EXPECT_EQ(prompter.told.back(), QStringLiteral("No setting differs from the file."));

    motorCurrent(*w)->setValue(motorCurrent(*w)->minimum());
    w->OnFinishButton();
    const CalibrationImage& edited = image;  // as the pages stored it on Finish
    EXPECT_TRUE(w->closed());
    EXPECT_TRUE(prompter.told.back().startsWith(QLatin1String("The configuration was saved")));
    const config::ReadResult saved = config::ConfigFile::load(path);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.file->image(), reference);  // identity and reference block kept
    EXPECT_EQ(saved.file->settingsImage(), edited);
    EXPECT_NE(raw(edited, "max_motor_current"), raw(reference, "max_motor_current"));
}

TEST_F(OfflineEdit, DefaultFileIsSavedAsItsOwnBytes) {
    const CalibrationImage reference = unit();
    const QString path =
        save(identityText(reference) + QStringLiteral("V.v"),
             QByteArray(reinterpret_cast<const char*>(reference.data()), CalibrationImage::Size));
    auto w = edit(path);
    ASSERT_TRUE(started);
    motorCurrent(*w)->setValue(motorCurrent(*w)->minimum());
    // Cancel asks now, and answered Cancel leaves the wizard open.
    prompter.script(MsgCancel, {Prompter::Answer::Cancel});
    w->OnCancelButton();
    EXPECT_EQ(prompter.count(MsgCancel), 1);
    ASSERT_FALSE(w->closed());
    w->OnFinishButton();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), CalibrationImage::Size);
    EXPECT_EQ(bytes,
              QByteArray(reinterpret_cast<const char*>(image.data()), CalibrationImage::Size));
    EXPECT_EQ(bytes.mid(Field::Model, Field::ModelLength),
              QByteArray(reinterpret_cast<const char*>(reference.data()) + Field::Model,
                         Field::ModelLength));
    EXPECT_NE(raw(image, "max_motor_current"), raw(reference, "max_motor_current"));
}

TEST_F(OfflineEdit, OpenConfigurationTakesAnotherControllersFile) {
    auto w = edit(saveConfig(QStringLiteral("plain.trncfg"), unit('B')));
    ASSERT_TRUE(started);
    const unsigned plainPages = w->pageCount;
    const QString j1939 = saveConfig(QStringLiteral("j1939.trncfg"), unit('J'));
    w->configMenu().chooser = std::make_unique<OpensOneFile>(j1939);
    motorCurrent(*w)->setValue(motorCurrent(*w)->minimum());
    // Unsaved edits: asked first; Cancel keeps the file and its edit.
    prompter.script(MsgCancel, {Prompter::Answer::Cancel, Prompter::Answer::Ok});
    w->configMenu().open();
    EXPECT_EQ(w->pageCount, plainPages);
    EXPECT_TRUE(w->unsaved());
    w->configMenu().open();
    EXPECT_EQ(w->pageCount, plainPages + 1);  // the J1939 page
    EXPECT_EQ(image.byte(Field::Variant), 'J');
    EXPECT_FALSE(w->unsaved());
    EXPECT_TRUE(w->windowTitle().startsWith(QLatin1String("j1939.trncfg")));
    EXPECT_EQ(prompter.count(MsgCancel), 2);
}
