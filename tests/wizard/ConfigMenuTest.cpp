// The wizard's configuration menu: save, load (history first), show changes, and the history
// every Finish leaves.
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSlider>

#include "ConfigFile.h"
#include "ConfigMenu.h"
#include "History.h"
#include "WizardFixture.h"

namespace {

constexpr int IdMotorCurrent = 1034;  // page 1's slider for the maximum motor current

// Answers the file dialogs from the test and remembers what was offered.
class ScriptedChooser : public FileChooser {
public:
    explicit ScriptedChooser(QString path) : path_(std::move(path)) {}
    QString saveFile(QWidget*, const QString&, const QString&) override { return path_; }
    QString loadFile(QWidget*, const QString&, const std::vector<Choice>& o) override {
        offered = o;
        return path_.isEmpty() && !o.empty() ? o.front().path : path_;
    }
    std::vector<Choice> offered;

private:
    QString path_;
};

class ConfigMenuTest : public WizardFixture {
protected:
    std::unique_ptr<Wizird> start(const QString& chosen) {
        auto w = startWizard();
        EXPECT_TRUE(started);
        if (started) {
            auto c = std::make_unique<ScriptedChooser>(chosen);
            chooser = c.get();
            w->configMenu().chooser = std::move(c);
        }
        return w;
    }
    QString file(const QString& name) const { return QDir(dir).filePath(name); }
    void write(const QString& name, const QByteArray& text) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QString told() const { return prompter.told.empty() ? QString() : prompter.told.back(); }

    ScriptedChooser* chooser = nullptr;
};

}  // namespace

// A file Load refuses leaves the image and the page as they were, and says why.
TEST_F(ConfigMenuTest, LoadRefusesWithTheReason) {
    controller(0x0405, '1', 'J');
    // The controller as the wizard will read it: firmware from the identify reply.
    CalibrationImage unit;
    for (int i = 0; i < CalibrationImage::Size; ++i)
        unit.setByte(i, sim.image[static_cast<std::size_t>(i)]);
    unit.setByte(Field::VersionMajor, 0x04);
    unit.setByte(Field::VersionMinor, 0x05);
    unit.setByte(Field::MaxMotorCurrent, 60);
    const auto text = [](const CalibrationImage& image) {
        return config::ConfigFile::write(image, {}, config::Language::English).toUtf8();
    };
    const auto with = [&unit](int pos, std::uint8_t value) {
        CalibrationImage changed = unit;
        changed.setByte(pos, value);
        return changed;
    };
    QByteArray mismatched = text(unit);
    mismatched.replace("serial = 000AB0FF", "serial = 000AB0FE");

    const struct {
        const char* name;
        QByteArray content;
        const char* says;
    } rows[] = {
        {"model", text(with(Field::Model + 7, '0')), "The file is for model TRN48200"},
        {"variant", text(with(Field::Variant, 'C')), "The file is for variant C"},
        {"firmware", text(with(Field::VersionMinor, 0x04)), "The file is for firmware 0404"},
        {"header", mismatched, "serial"},
        {"empty", QByteArray(), "The file is empty"},
        {"unparsable", text(unit).replace("max_motor_current = 60%", "max_motor_current 60%"),
         "Line "},
        {"missing", QByteArray(), "Cannot read"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QLatin1String(row.name) + QStringLiteral(".trncfg");
        if (QLatin1String(row.name) != QLatin1String("missing"))
            write(name, row.content);
        auto w = start(file(name));
        ASSERT_TRUE(started);
        const CalibrationImage before = image;
        const int shown = w->page(1)->control<QSlider>(IdMotorCurrent)->value();
        w->configMenu().load();
        EXPECT_TRUE(told().startsWith(QStringLiteral("The configuration was not loaded.")));
        EXPECT_TRUE(told().contains(QLatin1String(row.says))) << told().toStdString();
        EXPECT_EQ(image, before);
        EXPECT_EQ(w->currentPage, 1u);
        EXPECT_EQ(w->page(1)->control<QSlider>(IdMotorCurrent)->value(), shown);
    }
}

// A loaded file shows on the page at once, is listed by Show changes and written by Finish;
// Save stores the visible page first.
TEST_F(ConfigMenuTest, SaveLoadAndShowChangesInBothLanguages) {
    const struct {
        const char* module;
        const char* changed;  // Show changes' line for the slider moved to 70
        const char* loaded;   // Load's line for the file's 45%
    } rows[] = {
        {"english", "Max Motor Current: 100% -> 70%", "Max Motor Current: 70% -> 45%"},
        {"chinese", "最大电机电流：100% -> 70%", "最大电机电流：70% -> 45%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.module);
        ASSERT_TRUE(module.load(
            QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(QLatin1String(row.module)), &error));
        sim = SimController();
        controller(0x0405, '1', 'J');
        prompter.told.clear();
        const QString saved =
            file(QStringLiteral("saved-%1.trncfg").arg(QLatin1String(row.module)));
        auto w = start(saved);
        ASSERT_TRUE(started);

        // Moved, still on page 1: Save and Show changes see it without leaving the page.
        w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(70);
        w->configMenu().showChanges();
        EXPECT_TRUE(told().endsWith(QString::fromUtf8(row.changed))) << told().toStdString();
        w->configMenu().save();
        const config::ReadResult read = config::ConfigFile::load(saved);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.file->settingsImage(), image);
        EXPECT_EQ(w->currentPage, 1u);

        // The saved file with one line changed goes back in, from the last page.
        QFile f(saved);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        write(QStringLiteral("edited.trncfg"),
              f.readAll().replace("max_motor_current = 70%", "max_motor_current = 45%"));
        w->configMenu().chooser =
            std::make_unique<ScriptedChooser>(file(QStringLiteral("edited.trncfg")));
        w->ShowPage(w->pageCount);
        w->configMenu().load();
        EXPECT_TRUE(told().contains(QString::fromUtf8(row.loaded))) << told().toStdString();
        EXPECT_EQ(image.byte(Field::MaxMotorCurrent), 45);
        w->ShowPage(1);
        w->currentPage = 1;
        EXPECT_EQ(w->page(1)->control<QSlider>(IdMotorCurrent)->value(), 45);

        w->OnFinishButton();
        EXPECT_EQ(sim.image[Field::MaxMotorCurrent], 45);
        EXPECT_EQ(w->configMenu().menu()->actions().size(), 3);
    }
}

// Every Finish leaves an entry; Load offers them newest first and takes the one chosen.
TEST_F(ConfigMenuTest, WritesAreKeptAndOfferedNewestFirst) {
    controller(0x0405, '1', 'J');
    historyDir = file(QStringLiteral("history"));
    for (int current : {55, 65}) {
        auto w = start(QString());
        ASSERT_TRUE(started);
        w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(current);
        w->OnFinishButton();
        EXPECT_EQ(sim.image[Field::MaxMotorCurrent], current);
    }
    auto w = start(QString());
    ASSERT_TRUE(started);
    const auto entries = config::History(historyDir).entries(image);
    ASSERT_EQ(entries.size(), 2u);
    w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(30);
    w->configMenu().load();  // the scripted user takes the first offered: the newest
    ASSERT_EQ(chooser->offered.size(), 2u);
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(chooser->offered[i].path, entries[i].path);
    EXPECT_EQ(image.byte(Field::MaxMotorCurrent), 65);
    EXPECT_EQ(w->page(1)->control<QSlider>(IdMotorCurrent)->value(), 65);
}
