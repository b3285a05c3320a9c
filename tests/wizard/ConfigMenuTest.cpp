// The wizard's configuration menu: save, load (the journal first), show changes, and the journal
// entry every Finish leaves.
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTableView>

#include "ConfigFile.h"
#include "ConfigMenu.h"
#include "HistoryWindow.h"
#include "JournalModel.h"
#include "SqliteJournal.h"
#include "WizardFixture.h"

namespace {

constexpr int IdMotorCurrent = 1034;  // page 1's slider for the maximum motor current

// Answers the file dialogs from the test and remembers what was offered.
class ScriptedChooser : public FileChooser {
public:
    explicit ScriptedChooser(QString path) : path_(std::move(path)) {}
    QString saveFile(QWidget*, const QString&, const QString&) override { return path_; }
    std::optional<Choice> loadFile(QWidget*, const QString&,
                                   const std::vector<Choice>& o) override {
        offered = o;
        if (!path_.isEmpty())
            return Choice{{}, path_};
        if (o.empty())
            return std::nullopt;
        return oldest ? o.back() : o.front();
    }
    std::vector<Choice> offered;
    bool oldest = false;  // takes the oldest offered instead of the newest

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
    // The controller as the wizard reads it: the firmware from the identify reply.
    CalibrationImage unit() const {
        CalibrationImage unit;
        for (int i = 0; i < CalibrationImage::Size; ++i)
            unit.setByte(i, sim.image[static_cast<std::size_t>(i)]);
        unit.setByte(Field::VersionMajor, 0x04);
        unit.setByte(Field::VersionMinor, 0x05);
        return unit;
    }
    // The unit's journal entries, newest first, as another connection sees them.
    std::vector<config::JournalEntry> journalled() const {
        config::Message failure{};
        std::vector<config::JournalEntry> entries;
        auto journal = config::SqliteJournal::open(
            QDir(historyDir).filePath(QStringLiteral("journal.sqlite")), &failure);
        if (journal)
            journal->entries(config::unitName(unit()), &entries);
        return entries;
    }

    ScriptedChooser* chooser = nullptr;
};

}  // namespace

// A file Load refuses leaves the image and the page as they were, and says why.
TEST_F(ConfigMenuTest, LoadRefusesWithTheReason) {
    controller(0x0405, '1', 'J');
    CalibrationImage unit = this->unit();
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

// Every Finish leaves an entry, pending before the first frame and completed after the write,
// over what the controller held; Load offers them newest first with their outcome, the files
// of earlier versions among them, and takes the one chosen.
TEST_F(ConfigMenuTest, WritesAreJournalledAndOfferedNewestFirst) {
    controller(0x0405, '1', 'J');
    historyDir = file(QStringLiteral("history"));
    const int asRead = unit().byte(Field::MaxMotorCurrent);
    // What an earlier version kept of a write, as a file.
    CalibrationImage old = unit();
    old.setByte(Field::MaxMotorCurrent, 40);
    const QString earlier = QStringLiteral("history/") + config::unitName(old);
    QDir().mkpath(file(earlier));
    write(earlier + QStringLiteral("/20240101T000000.000Z.trncfg"),
          config::ConfigFile::write(old, {}, config::Language::English).toUtf8());

    const struct {
        int current;
        bool silent;  // the controller stops answering: the write fails
        config::Outcome outcome;
    } finishes[] = {
        {55, false, config::Outcome::Verified},
        {65, false, config::Outcome::Verified},
        {75, true, config::Outcome::Failed},
    };
    for (const auto& f : finishes) {
        SCOPED_TRACE(f.current);
        auto w = start(QString());
        ASSERT_TRUE(started);
        w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(f.current);
        std::optional<std::vector<config::JournalEntry>> atFirstFrame;
        sim.onRequest = [&](const SimController::Frame&, const std::string&) {
            if (!atFirstFrame)
                atFirstFrame = journalled();
        };
        sim.options.silent = f.silent;
        w->OnFinishButton();
        sim.onRequest = nullptr;
        sim.options.silent = false;
        ASSERT_TRUE(atFirstFrame && !atFirstFrame->empty());
        EXPECT_EQ(atFirstFrame->front().outcome, config::Outcome::Pending);
        EXPECT_EQ(atFirstFrame->front().image.byte(Field::MaxMotorCurrent), f.current);
        EXPECT_EQ(journalled().front().outcome, f.outcome);
    }
    const std::vector<config::JournalEntry> entries = journalled();
    ASSERT_EQ(entries.size(), 4u);
    const int written[] = {75, 65, 55, 40};
    const int held[] = {65, 55, asRead};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].image.byte(Field::MaxMotorCurrent), written[i]);
        if (i < 3) {
            ASSERT_TRUE(entries[i].before);
            EXPECT_EQ(entries[i].before->byte(Field::MaxMotorCurrent), held[i]);
        }
    }

    const struct {
        const char* module;
        bool oldest;
        const char* newest;  // the newest entry's label ends so
        int loaded;
    } loads[] = {
        {"english", false, "write failed", 75},
        {"chinese", true, "写入失败", 40},
    };
    for (const auto& l : loads) {
        SCOPED_TRACE(l.module);
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(QLatin1String(l.module)),
                                &error));
        auto w = start(QString());
        ASSERT_TRUE(started);
        chooser->oldest = l.oldest;
        w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(30);
        w->configMenu().load();
        ASSERT_EQ(chooser->offered.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(chooser->offered[i].entry, entries[i].id);
        EXPECT_TRUE(chooser->offered[0].label.endsWith(QString::fromUtf8(l.newest)))
            << chooser->offered[0].label.toStdString();
        EXPECT_EQ(image.byte(Field::MaxMotorCurrent), l.loaded);
        EXPECT_EQ(w->page(1)->control<QSlider>(IdMotorCurrent)->value(), l.loaded);
    }
}

// History... shows the unit's entries; the one chosen there loads into the pages as Load
// takes it, and a second History... shows what Finish has journalled since.
TEST_F(ConfigMenuTest, HistoryLoadsAnEntryIntoThePages) {
    controller(0x0405, '1', 'J');
    historyDir = file(QStringLiteral("history"));
    auto w = start({});
    ASSERT_TRUE(started);
    w->configMenu().menu()->actions().back()->trigger();
    HistoryWindow* history = w->configMenu().historyWindow();
    ASSERT_TRUE(history);
    EXPECT_EQ(history->model().rowCount(), 0);
    w->ShowPage(1);
    w->currentPage = 1;
    w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(45);
    w->OnFinishButton();
    w->page(1)->control<QSlider>(IdMotorCurrent)->setValue(60);
    w->configMenu().showHistory();
    ASSERT_EQ(history->model().rowCount(), 1) << history->status().toStdString();
    history->table().selectRow(0);
    history->findChild<QPushButton*>(QStringLiteral("load"))->click();
    EXPECT_TRUE(told().startsWith(QStringLiteral("Loaded journal entry #1.")))
        << told().toStdString();
    EXPECT_EQ(image.byte(Field::MaxMotorCurrent), 45);
}
