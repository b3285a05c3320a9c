#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSlider>

#include "../support/FullDisk.h"
#include "DefaultFile.h"
#include "WizardFixture.h"

namespace {

constexpr int IdDefault = 1103;
const QString FileName = QStringLiteral("0405000AB0FFV.v");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray simBytes(const SimController& sim) {
    QByteArray b(reinterpret_cast<const char*>(sim.image.data()), 128);
    b[83] = 0x04;  // the version comes from the identify reply
    b[84] = 0x05;
    return b;
}

}  // namespace

TEST_F(WizardFixture, DefaultFileCreatedAndKept) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    const QString path = QDir(dir).filePath(FileName);
    EXPECT_EQ(w->identityText, QStringLiteral("0405000AB0FF"));
    EXPECT_EQ(fileBytes(path), simBytes(sim));
    EXPECT_TRUE(w->frameControl(IdDefault)->isEnabled());
    EXPECT_FALSE(w->frameControl(IdDefault)->isHidden());
    const QByteArray first = fileBytes(path);

    // Settings changed and written; the next start keeps the first copy.
    sim.image[Field::MaxMotorCurrent] = 33;
    w.reset();
    auto second = startWizard();
    ASSERT_TRUE(started);
    EXPECT_EQ(fileBytes(path), first);
}

TEST_F(WizardFixture, EmptyOrDamagedDefaultFileIsRewrittenAtStart) {
    controller(0x0405, '1', 'J');
    const QString path = QDir(dir).filePath(FileName);
    for (const QByteArray& content : {QByteArray(), QByteArray(50, 'x'), QByteArray(129, 'y')}) {
        SCOPED_TRACE(content.size());
        writeFile(path, content);
        auto w = startWizard();
        ASSERT_TRUE(started);
        EXPECT_EQ(fileBytes(path), simBytes(sim));
        EXPECT_TRUE(w->frameControl(IdDefault)->isEnabled());
    }
}

TEST_F(WizardFixture, UnwritableDirectoryHidesDefault) {
    controller(0x0405, '1', 'J');
    dir = QDir(programDir.path()).filePath(QStringLiteral("no/such/dir"));
    auto w = startWizard();
    ASSERT_TRUE(started);
    EXPECT_TRUE(w->frameControl(IdDefault)->isHidden());
    w->ShowPage(2);
    w->ShowPage(1);  // enabling on page 1 does not bring it back
    EXPECT_TRUE(w->frameControl(IdDefault)->isHidden());
    EXPECT_TRUE(QDir(programDir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WizardFixture, DefaultWalksForwardLoadsAndWalksBack) {
    controller(0x0203, '0', 'X');
    auto w = startWizard();
    ASSERT_TRUE(started);
    ASSERT_EQ(w->pageCount, 4u);
    // The file holds the image as read, before start-up cleared the regeneration bit.
    CalibrationImage saved = image;
    saved.setBit(Field::Switches, Field::RegenerationBit, true);
    ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(saved.data()), 128),
              fileBytes(QDir(dir).filePath(QStringLiteral("0203000AB0FFV.v"))));
    image.setByte(Field::MaxMotorCurrent, 21);
    image.setByte(Field::SerialNumber, 0x99);
    log.entries.clear();
    w->OnDefaultButton();
    EXPECT_EQ(log.entries, (std::vector<PageEventLog::Entry>{{1, false},
                                                             {2, true},
                                                             {2, false},
                                                             {3, true},
                                                             {3, false},
                                                             {4, true},
                                                             {4, false},
                                                             {3, true},
                                                             {3, false},
                                                             {2, true},
                                                             {2, false},
                                                             {1, true}}));
    EXPECT_EQ(w->currentPage, 1u);
    EXPECT_TRUE(w->frameControl(IdDefault)->isEnabled());
    EXPECT_EQ(image, saved);
    // The identity texts belong to the controller that was read, not to the file.
    EXPECT_EQ(w->identityText, QStringLiteral("0203000AB0FF"));
}

TEST_F(WizardFixture, DefaultRefusesAMissingOrDamagedFile) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    const QString path = QDir(dir).filePath(FileName);
    w->page(1)->control<QSlider>(1034)->setValue(21);  // the user's edit, stored on the walk
    CalibrationImage edited = image;
    edited.setByte(Field::MaxMotorCurrent, 21);

    writeFile(path, QByteArray(100, '\0'));
    w->OnDefaultButton();
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_TRUE(prompter.told[0].contains(QStringLiteral("damaged")));
    EXPECT_EQ(image, edited);
    EXPECT_EQ(w->currentPage, w->pageCount);

    w->ShowPage(1);
    ASSERT_TRUE(QFile::remove(path));
    w->OnDefaultButton();
    ASSERT_EQ(prompter.told.size(), 2u);
    EXPECT_TRUE(prompter.told[1].contains(path));
    EXPECT_EQ(image, edited);
}

TEST(DefaultFile, NameAndAtomicContent) {
    QTemporaryDir dir;
    CalibrationImage image;
    for (int i = 0; i < 128; ++i) image.setByte(i, static_cast<std::uint8_t>(i));
    const DefaultFile file(dir.path(), QStringLiteral("0209000AB0FF"));
    EXPECT_EQ(QFileInfo(file.path()).fileName(), QStringLiteral("0209000AB0FFV.v"));
    ASSERT_TRUE(file.SaveDefaultFile(image));
    EXPECT_EQ(QFileInfo(file.path()).size(), 128);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    CalibrationImage back;
    QString error;
    ASSERT_TRUE(file.read(back, &error));
    EXPECT_EQ(back, image);

    // A directory in the file's place is not overwritten.
    const DefaultFile blocked(dir.path(), QStringLiteral("BLOCKED"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("BLOCKEDV.v")));
    EXPECT_FALSE(blocked.SaveDefaultFile(image));
}

// On a full disk the default file cannot be written: Default is hidden, and whatever stood
// there before (nothing, an empty or a damaged file) stays exactly as it was.
TEST_F(WizardFixture, FullDiskHidesDefaultAndKeepsWhatWasThere) {
    controller(0x0405, '1', 'J');
    const struct {
        const char* what;
        bool exists;
        QByteArray content;
    } rows[] = {
        {"no file", false, {}},
        {"an empty file", true, {}},
        {"a damaged file", true, QByteArray(50, 'x')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FullDisk disk;
        ASSERT_TRUE(disk.valid());
        dir = disk.filePath(QString());
        const QString path = disk.filePath(FileName);
        if (row.exists)
            writeFile(path, row.content);
        disk.fill();
        auto w = startWizard();
        disk.unlimit();
        ASSERT_TRUE(started);
        EXPECT_TRUE(w->frameControl(IdDefault)->isHidden());
        EXPECT_EQ(QFileInfo::exists(path), row.exists);
        EXPECT_EQ(fileBytes(path), row.content);
        EXPECT_TRUE(QDir(dir).entryList({FileName + QStringLiteral(".*")}, QDir::Files).isEmpty());
    }
}

TEST_F(WizardFixture, ReadOnlyProgramDirectoryHidesDefault) {
    controller(0x0405, '1', 'J');
    FullDisk readOnly(FullDisk::Mount::ReadOnly);
    ASSERT_TRUE(readOnly.valid());
    dir = readOnly.filePath(QString());
    auto w = startWizard();
    readOnly.unlimit();
    ASSERT_TRUE(started);
    EXPECT_TRUE(w->frameControl(IdDefault)->isHidden());
    EXPECT_FALSE(QFileInfo::exists(readOnly.filePath(FileName)));
}

// An installed program keeps new files in the data folder, even when its own folder is
// writable, and still finds the files that a portable copy kept beside it.
TEST_F(WizardFixture, InstalledProgramKeepsDefaultFilesInTheDataFolder) {
    const QString data = programDir.filePath(QStringLiteral("data/trnsetup"));
    SimController::Image sample = SimController::sampleImage();
    sample[Field::MaxMotorCurrent] = 90;
    const QByteArray kept(reinterpret_cast<const char*>(sample.data()), 128);
    const struct {
        const char* name;
        QByteArray beside;          // file beside the program before start; empty: none
        const char* expectSavedIn;  // where the whole file is after start-up
    } rows[] = {
        {"first meeting", {}, "data"},
        {"kept beside by a portable copy", kept, "beside"},
        {"damaged beside", QByteArray(5, '\0'), "data"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(data).removeRecursively();
        QFile::remove(QDir(dir).filePath(FileName));
        if (!row.beside.isEmpty())
            writeFile(QDir(dir).filePath(FileName), row.beside);
        controller(0x0405, '1', 'J');
        dataDir = data;
        image = CalibrationImage();
        prompter = ScriptedPrompter();
        auto w = startWizard();
        ASSERT_TRUE(started);
        EXPECT_FALSE(w->frameControl(IdDefault)->isHidden());
        const bool inData = QLatin1String(row.expectSavedIn) == QLatin1String("data");
        EXPECT_EQ(QFileInfo(QDir(data).filePath(FileName)).size(), inData ? 128 : 0);
        // Default restores from the file the lookup finds first.
        w->page(1)->control<QSlider>(1034)->setValue(21);
        w->OnDefaultButton();
        EXPECT_TRUE(prompter.told.empty());
        EXPECT_EQ(image.byte(Field::MaxMotorCurrent), inData ? 100 : 90);
    }
}
