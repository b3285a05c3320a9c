// ResourceModule: loading, releasing and the error paths, with the real bundles and with
// small bundles that are incomplete or damaged on purpose.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <QtEndian>

#include <memory>
#include <vector>

#include "ModuleFixture.h"
#include "ResourceModule.h"

using trntest::bundlePath;
using trntest::findControl;

namespace {

QString testBundle(const char* name) {
    return QStringLiteral(TRN_TEST_BUNDLE_DIR "/") + QString::fromLatin1(name) +
           QStringLiteral(".rcc");
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A failed load leaves nothing loaded and nothing mapped under ":/module".
void expectNothingLoaded(const ResourceModule& module) {
    EXPECT_FALSE(module.isLoaded());
    EXPECT_EQ(ResourceModule::current(), nullptr);
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/module/strings.json")));
}

}  // namespace

TEST(ResourceModuleTest, LoadRegistersTheBundleAndReleaseUnregistersIt) {
    ResourceModule module;
    QString error;
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english")), &error)) << qPrintable(error);
    EXPECT_TRUE(module.isLoaded());
    EXPECT_EQ(ResourceModule::current(), &module);
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/module/strings.json")));
    EXPECT_EQ(module.fileName(), bundlePath(QStringLiteral("english")));

    module.release();
    expectNothingLoaded(module);
    EXPECT_TRUE(module.string(102).isNull());
    EXPECT_EQ(module.language(), 0);
    EXPECT_TRUE(module.version().isEmpty());
    module.release();  // a second release is harmless
}

TEST(ResourceModuleTest, DestructorReleasesTheBundle) {
    {
        ResourceModule module;
        ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english"))));
    }
    EXPECT_EQ(ResourceModule::current(), nullptr);
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/module/strings.json")));
}

TEST(ResourceModuleTest, LoadingAnotherBundleReplacesTheFirst) {
    ResourceModule module;
    // A template built from the first is not built again from what it kept of it.
    const auto title = [&module] {
        const std::unique_ptr<QWidget> dialog(module.createDialog(146, nullptr));
        return dialog ? dialog->findChild<QGroupBox*>()->title() : QString();
    };
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english"))));
    const QString english = title();
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("chinese"))));
    EXPECT_EQ(module.language(), 2052);
    EXPECT_NE(title(), english);
    // Only the Chinese side picture may be visible now, not a mix of both bundles.
    EXPECT_EQ(module.bitmap(166).height(), 281);

    // A second object takes ":/module" over; the first one no longer claims it.
    ResourceModule other;
    ASSERT_TRUE(other.load(bundlePath(QStringLiteral("english"))));
    EXPECT_FALSE(module.isLoaded());
    EXPECT_EQ(ResourceModule::current(), &other);
    EXPECT_EQ(other.bitmap(166).height(), 360);
    module.release();  // must not unregister what the other object loaded
    EXPECT_TRUE(other.isLoaded());
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/module/strings.json")));
}

TEST(ResourceModuleTest, BadBundleFilesAreRefusedWithAReasonNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bundle = readAll(bundlePath(QStringLiteral("english")));
    ASSERT_GT(bundle.size(), 100);

    struct Case {
        QString name;
        QByteArray bytes;
    };
    QByteArray bogusHeader("qres");
    bogusHeader.append(
        QByteArray::fromHex("00000003"
                            "7fffff00"
                            "7fffff00"
                            "7fffff00"
                            "00000000"));
    std::vector<Case> cases = {
        {QStringLiteral("empty"), QByteArray()},
        {QStringLiteral("text"), QByteArray("just some text, not a resource bundle\n")},
        {QStringLiteral("header only"), bundle.left(24)},
        {QStringLiteral("half"), bundle.left(bundle.size() / 2)},
        {QStringLiteral("bogus offsets"), bogusHeader},
    };
    // Cut anywhere in the last part, where the file table lies.
    for (int cut = 1; cut <= 400; ++cut) {
        cases.push_back({QStringLiteral("cut by %1").arg(cut), bundle.left(bundle.size() - cut)});
    }
    const QString path = dir.filePath(QStringLiteral("damaged.rcc"));
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.name));
        ASSERT_TRUE(writeFile(path, c.bytes));
        ResourceModule module;
        QString error;
        EXPECT_FALSE(module.load(path, &error));
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
        expectNothingLoaded(module);
    }

    const QString missing = dir.filePath(QStringLiteral("missing.rcc"));
    const QString directory = dir.path();
    for (const QString& path : {missing, directory}) {
        SCOPED_TRACE(qPrintable(path));
        ResourceModule module;
        QString error;
        EXPECT_FALSE(module.load(path, &error));
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
        expectNothingLoaded(module);
    }
}

// Whatever byte of the file table is spoilt, loading either refuses the file or gives a
// module whose resources can all be asked for; it never reads outside the file.
TEST(ResourceModuleTest, SpoiltFileTablesNeverCrash) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bundle = readAll(bundlePath(QStringLiteral("english")));
    ASSERT_GT(bundle.size(), 100);
    const int tree = qFromBigEndian<quint32>(bundle.constData() + 8);
    ASSERT_GT(tree, 0);
    ASSERT_LT(tree, bundle.size());
    const QString path = dir.filePath(QStringLiteral("spoilt.rcc"));
    for (int at = tree; at < bundle.size(); ++at) {
        SCOPED_TRACE(at);
        QByteArray spoilt = bundle;
        spoilt[at] = char(spoilt[at] ^ 0xA5);
        ASSERT_TRUE(writeFile(path, spoilt));
        ResourceModule module;
        QString error;
        if (module.load(path, &error)) {
            EXPECT_TRUE(module.isLoaded());
            for (int id : {102, 165}) module.string(id);
            module.bitmap(165);
            module.icon(159);
            delete module.createDialog(133, nullptr);
        } else {
            EXPECT_TRUE(error.contains(path)) << qPrintable(error);
            expectNothingLoaded(module);
        }
    }
}

TEST(ResourceModuleTest, BundlesWithoutAUsableStringTableAreRefused) {
    for (const char* name : {"no-strings", "bad-json", "bad-entry"}) {
        SCOPED_TRACE(name);
        ResourceModule module;
        QString error;
        EXPECT_FALSE(module.load(testBundle(name), &error));
        EXPECT_TRUE(error.contains(testBundle(name))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QStringLiteral("string table"))) << qPrintable(error);
        expectNothingLoaded(module);
    }
}

TEST(ResourceModuleTest, FailedLoadAfterAGoodOneLeavesNothingHalfLoaded) {
    ResourceModule module;
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english"))));
    QString error;
    EXPECT_FALSE(module.load(testBundle("bad-json"), &error));
    expectNothingLoaded(module);
    EXPECT_TRUE(module.string(102).isNull());
}

TEST(ResourceModuleTest, ResourcesTheModuleDoesNotHoldAreErrorsNamingTheNumber) {
    ResourceModule module;
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english"))));
    for (int id : {0, -1, 101, 109, 999, 65535}) {
        SCOPED_TRACE(id);
        const QString number = QString::number(id);
        QString error;
        EXPECT_TRUE(module.string(id, &error).isNull());
        EXPECT_FALSE(module.hasString(id));
        EXPECT_TRUE(error.contains(number)) << qPrintable(error);
        error.clear();
        EXPECT_EQ(module.createDialog(id, nullptr, &error), nullptr);
        EXPECT_TRUE(error.contains(number)) << qPrintable(error);
        error.clear();
        EXPECT_TRUE(module.bitmap(id, &error).isNull());
        EXPECT_TRUE(error.contains(number)) << qPrintable(error);
        error.clear();
        EXPECT_TRUE(module.icon(id, &error).isNull());
        EXPECT_TRUE(error.contains(number)) << qPrintable(error);
    }
    // Calls without a place for the reason are just as safe.
    EXPECT_EQ(module.createDialog(999, nullptr), nullptr);
    EXPECT_TRUE(module.string(999).isNull());
    EXPECT_TRUE(module.bitmap(999).isNull());
    EXPECT_TRUE(module.icon(999).isNull());
}

TEST(ResourceModuleTest, NothingLoadedGivesErrorsNotCrashes) {
    ResourceModule module;
    QString error;
    EXPECT_EQ(module.createDialog(133, nullptr, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("133"))) << qPrintable(error);
    EXPECT_TRUE(module.string(102, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("102"))) << qPrintable(error);
    EXPECT_TRUE(module.bitmap(165, &error).isNull());
    EXPECT_TRUE(module.icon(159, &error).isNull());
    EXPECT_FALSE(module.hasString(102));
    EXPECT_EQ(module.language(), 0);
}

TEST(ResourceModuleTest, DamagedResourcesInsideABundleAreErrors) {
    ResourceModule module;
    QString error;
    ASSERT_TRUE(module.load(testBundle("sample"), &error)) << qPrintable(error);
    EXPECT_EQ(module.version(), QStringLiteral("9.8.7.6"));
    EXPECT_EQ(module.string(7), QStringLiteral("seven"));

    EXPECT_EQ(module.createDialog(2, nullptr, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("2"))) << qPrintable(error);
    error.clear();
    EXPECT_TRUE(module.bitmap(165, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << qPrintable(error);
    error.clear();
    EXPECT_TRUE(module.icon(159, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << qPrintable(error);
}

TEST(ResourceModuleTest, DialogsAreBuiltHiddenWithTheirMarkedControlsHidden) {
    ResourceModule module;
    ASSERT_TRUE(module.load(testBundle("sample")));
    QWidget parent;
    QString error;
    QWidget* dialog = module.createDialog(1, &parent, &error);
    ASSERT_NE(dialog, nullptr) << qPrintable(error);
    EXPECT_EQ(dialog->parentWidget(), &parent);
    EXPECT_FALSE(dialog->isVisible());

    auto* hidden = findControl<QLabel>(dialog, 11);
    auto* shown = findControl<QPushButton>(dialog, 12);
    ASSERT_NE(hidden, nullptr);
    ASSERT_NE(shown, nullptr);
    parent.show();
    dialog->show();
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_TRUE(shown->isVisible());

    // The template names its picture relative to its own place in the bundle.
    auto* picture = findControl<QLabel>(dialog, 10);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(4, 3));
}

TEST(ResourceModuleTest, PicturesOutliveTheRelease) {
    ResourceModule module;
    ASSERT_TRUE(module.load(bundlePath(QStringLiteral("english"))));
    const QPixmap banner = module.bitmap(165);
    const QIcon icon = module.icon(159);
    module.release();
    EXPECT_EQ(banner.size(), QSize(700, 70));
    EXPECT_FALSE(icon.pixmap(QSize(48, 48)).isNull());
}
