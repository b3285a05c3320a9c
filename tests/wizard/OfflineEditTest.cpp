// The wizard on a file, without a controller: what it refuses, and how Default, Show changes,
// Open configuration..., Cancel and Finish behave.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSlider>

#include "EditedFile.h"
#include "Mnemonics.h"
#include "WizardFixture.h"

namespace {

class OpensOneFile : public FileChooser {
public:
    explicit OpensOneFile(QString path) : path_(std::move(path)) {}
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<Choice> loadFile(QWidget*, const QString&, const std::vector<Choice>&) override {
        return Choice{{}, path_};
    }
    QString path_;
};

class OfflineEdit : public WizardFixture {
protected:
    QString save(const QString& name, const CalibrationImage& image, char variant = 'B') const {
        CalibrationImage unit = image;
        unit.setByte(Field::Variant, static_cast<std::uint8_t>(variant));
        QFile f(QDir(dir).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name.endsWith(QLatin1String(".v"))
                    ? QByteArray(reinterpret_cast<const char*>(unit.data()), 128)
                    : config::ConfigFile::write(unit, {}, config::Language::English).toUtf8());
        return f.fileName();
    }
    static CalibrationImage unit() {
        CalibrationImage image;
        const SimController::Image sample = SimController::sampleImage();
        std::copy(sample.begin(), sample.end(), image.data());
        return image;
    }
};

}  // namespace

TEST_F(OfflineEdit, RefusesWhatCannotBeEditedWithTheCommandsStatus) {
    CalibrationImage otherSeries = unit(), special = unit();
    QFile words(QDir(dir).filePath(QStringLiteral("a.trncfg")));
    ASSERT_TRUE(words.open(QIODevice::WriteOnly) && words.write("hello\n") == 6);
    words.close();
    otherSeries.setByte(Field::Model, 'X');
    special.setBit(Field::ModelOptions, Field::SpecialVersionBit, true);
    const std::tuple<QString, int, QString> rows[] = {
        {dir, 1, QStringLiteral("not a regular file")},
        {words.fileName(), 2, QStringLiteral("hello")},
        {save(QStringLiteral("b.trncfg"), otherSeries), 1, module.string(MsgWrongSeries)},
        {save(QStringLiteral("0405000AB0FFV.v"), special), 1, module.string(MsgSpecialVersion)},
    };
    for (const auto& [path, status, text] : rows) {
        EditedFile::Failure failure{};
        EXPECT_FALSE(EditedFile::open(path, module, &failure));
        EXPECT_EQ(failure.status, status) << failure.text.toStdString();
        EXPECT_TRUE(failure.text.contains(text)) << failure.text.toStdString();
    }
}

TEST_F(OfflineEdit, EditRestoreOpenAnotherAndSave) {
    EditedFile::Failure failure{};
    WizardEnvironment env{image, link, prompter, module, dir, [this] { return ++connects > 0; },
                          {},    {}};
    env.file = EditedFile::open(save(QStringLiteral("plain.trncfg"), unit()), module, &failure);
    auto w = std::make_unique<Wizird>(std::move(env));
    ASSERT_TRUE(w->OnInitDialog());
    EXPECT_TRUE(prompter.asked.empty());  // no motor warning
    EXPECT_EQ(connects, 0);
    EXPECT_TRUE(
        w->windowTitle().startsWith(QLatin1String("plain.trncfg (no controller connected)")));
    const auto current = [&w] { return w->page(1)->control<QSlider>(1034); };  // motor current
    const int asOpened = current()->value();
    current()->setValue(current()->minimum());
    w->OnDefaultButton();
    EXPECT_EQ(current()->value(), asOpened);

    // Another controller's file; the unsaved edit is asked about first (Cancel keeps it).
    const QString j1939 = save(QStringLiteral("0405000AB0FFV.v"), unit(), 'J');
    w->configMenu().chooser = std::make_unique<OpensOneFile>(j1939);
    current()->setValue(current()->minimum());
    prompter.script(102,
                    {Prompter::Answer::Cancel, Prompter::Answer::Ok, Prompter::Answer::Cancel});
    const unsigned plainPages = w->pageCount;
    w->configMenu().open();
    EXPECT_EQ(w->pageCount, plainPages);
    w->configMenu().open();
    EXPECT_EQ(w->pageCount, plainPages + 1);  // the J1939 page
    EXPECT_FALSE(w->unsaved());

    current()->setValue(current()->minimum());
    w->OnCancelButton();  // asked, and Cancel stays
    EXPECT_EQ(prompter.count(102), 3);
    ASSERT_FALSE(w->closed());
    w->OnFinishButton();
    QFile saved(j1939);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray(reinterpret_cast<const char*>(image.data()), 128));
    EXPECT_NE(image, CalibrationImage(unit()));
}

// A file opened from the menu whose pages the module cannot build: the wizard says why and
// closes as a failure, which the program's exit status reports.
TEST_F(OfflineEdit, AFileWhosePagesCannotBeBuiltClosesTheWizardAsAFailure) {
    ASSERT_TRUE(module.load(QStringLiteral(TRN_NO_J1939_MODULE), &error)) << error.toStdString();
    EditedFile::Failure failure{};
    WizardEnvironment env{image, link, prompter, module, dir, [] { return false; }, {}, {}};
    env.file = EditedFile::open(save(QStringLiteral("plain.trncfg"), unit()), module, &failure);
    auto w = std::make_unique<Wizird>(std::move(env));
    ASSERT_TRUE(w->OnInitDialog());
    EXPECT_FALSE(w->failed());
    w->configMenu().chooser =
        std::make_unique<OpensOneFile>(save(QStringLiteral("0405000AB0FFV.v"), unit(), 'J'));
    w->configMenu().open();
    EXPECT_TRUE(w->closed() && w->failed());
    ASSERT_FALSE(prompter.told.empty());
    EXPECT_TRUE(prompter.told.back().contains(QLatin1String("1127")))
        << prompter.told.back().toStdString();
}

// In both languages: the file's last page says that Finish saves the file, where the connected
// wizard's asks to write the controller; the file's menu has a mnemonic on every item, no two
// alike, Open configuration... among them.
TEST_F(OfflineEdit, LastPageAndMenuSpeakOfTheFile) {
    const struct {
        const char* language;
        const char* saves;
        const char* writes;
    } rows[] = {
        {"english", "Please click Finish to save the configuration into the file.",
         "Please click finish button to write configuration into the controller."},
        {"chinese", "请点击“完成”按钮，将配置保存到文件中。",
         "请点击“完成”按钮，将配置写入控制器。"},
    };
    const QString path = save(QStringLiteral("plain.trncfg"), unit());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(row.language)));
        const auto finishText = [](const Wizird& w) {
            const auto* label =
                w.page(w.pageCount)->findChild<QLabel*>(QStringLiteral("labelFinish"));
            return label != nullptr ? label->text() : QString();
        };
        EditedFile::Failure failure{};
        WizardEnvironment env{image, link, prompter, module, dir, {}, {}, {}};
        env.file = EditedFile::open(path, module, &failure);
        auto w = std::make_unique<Wizird>(std::move(env));
        ASSERT_TRUE(w->OnInitDialog());
        EXPECT_EQ(finishText(*w), QString::fromUtf8(row.saves));
        QString keys;
        for (const QAction* a : w->configMenu().menu()->actions()) {
            const QChar key = mnemonic::keyOf(a->text());
            EXPECT_FALSE(key.isNull() || keys.contains(key)) << a->text().toStdString();
            keys += key;
        }
        EXPECT_TRUE(w->configMenu().menu()->actions().value(0)->text().contains(QLatin1Char('&')));
        w.reset();

        controller(0x0405, '1', 'J');
        auto connected = startWizard();
        ASSERT_TRUE(started);
        EXPECT_EQ(finishText(*connected), QString::fromUtf8(row.writes));
        connected.reset();
    }
}
