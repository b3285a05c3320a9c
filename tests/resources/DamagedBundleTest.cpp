// Damaged copies of the real English bundle: every one is refused at load with a reason that
// names the file, and none crashes or allocates what a damaged size field claims.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <vector>

#include "BundleCheck.h"
#include "ModuleFixture.h"
#include "ResourceModule.h"
#include "Wizird.h"

using trntest::bundlePath;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Damage {
    QString what;
    QByteArray bytes;
    QString reason;  // part of the expected error
};

// One row per damage, generated over every entry of the bundle.
std::vector<Damage> damagedCopies(const QByteArray& bundle) {
    QList<BundleCheck::Entry> entries;
    BundleCheck::readTable(bundle, &entries, nullptr);
    std::vector<Damage> rows;
    const auto spoilt = [&](qsizetype at, auto change) {
        QByteArray copy = bundle;
        change(copy.data() + at);
        return copy;
    };
    const auto setSize = [](quint32 size) { return [size](char* at) { qToBigEndian(size, at); }; };
    for (const BundleCheck::Entry& e : entries) {
        const bool compressed = e.flags & 0x01;
        rows.push_back({e.path + QStringLiteral(": one bit flipped"),
                        spoilt(e.at + e.stored / 2, [](char* at) { *at = char(*at ^ 0x10); }),
                        e.path});
        rows.push_back({e.path + QStringLiteral(": last byte changed"),
                        spoilt(e.at + e.stored - 1, [](char* at) { *at = char(*at + 1); }),
                        e.path});
        if (!compressed)
            continue;
        const quint32 declared = qFromBigEndian<quint32>(bundle.constData() + e.at);
        for (quint32 size : {declared + 1, declared - 1, 0u, 0x7FFFFFF0u, 0xFFFFFFFFu})
            rows.push_back({e.path + QStringLiteral(": declared size %1").arg(size),
                            spoilt(e.at, setSize(size)), e.path});
    }
    for (qsizetype cut : {qsizetype(4), qsizetype(23), bundle.size() / 3, bundle.size() / 2,
                          bundle.size() - 200, bundle.size() - 1})
        rows.push_back({QStringLiteral("cut to %1 bytes").arg(cut), bundle.left(cut), QString()});
    return rows;
}

class DamagedBundleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("damaged.rcc"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(DamagedBundleTest, EveryDamagedCopyOfTheEnglishBundleIsRefused) {
    const QByteArray bundle = readAll(bundlePath(QStringLiteral("english")));
    ASSERT_GT(bundle.size(), 1000);
    const std::vector<Damage> rows = damagedCopies(bundle);
    ASSERT_GT(rows.size(), 40u);  // the generator found the entries
    for (const Damage& row : rows) {
        SCOPED_TRACE(qPrintable(row.what));
        const QString path = write(row.bytes);
        ResourceModule module;
        QString error;
        EXPECT_FALSE(module.load(path, &error));
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
        EXPECT_TRUE(error.contains(row.reason)) << qPrintable(error);
        EXPECT_FALSE(module.isLoaded());
        EXPECT_FALSE(QFile::exists(QStringLiteral(":/module/strings.json")));
    }
}

TEST_F(DamagedBundleTest, BundlesThatCannotServeTheWizardAreNamed) {
    const QString dir = QStringLiteral(TRN_TEST_BUNDLE_DIR "/");
    const struct {
        QString file;
        bool loads;
        QString reason;
    } rows[] = {
        {dir + QStringLiteral("unlisted.rcc"), false, QStringLiteral("no manifest")},
        {dir + QStringLiteral("no-finish.rcc"), true, QStringLiteral("150")},
        {bundlePath(QStringLiteral("english")), true, QString()},
        {bundlePath(QStringLiteral("chinese")), true, QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.file));
        ResourceModule module;
        QString error;
        ASSERT_EQ(module.load(row.file, &error), row.loads) << qPrintable(error);
        if (row.loads)
            error = Wizird::checkModule(module);
        EXPECT_EQ(error.isEmpty(), row.reason.isEmpty()) << qPrintable(error);
        EXPECT_TRUE(error.contains(row.reason)) << qPrintable(error);
    }
}

// A template that passes the digest but names a layout class Qt does not know: QUiLoader
// would dereference a null layout, so the dialog is refused before it is built.
TEST_F(DamagedBundleTest, TemplatesNamingUnknownClassesAreRefused) {
    ResourceModule module;
    QString error;
    ASSERT_TRUE(module.load(QStringLiteral(TRN_TEST_BUNDLE_DIR "/sample.rcc"), &error))
        << qPrintable(error);
    for (int id : {3, 4}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(module.createDialog(id, nullptr, &error), nullptr);
        EXPECT_TRUE(error.contains(QStringLiteral("QVBoxLayoux")) ||
                    error.contains(QStringLiteral("QSlidder")))
            << qPrintable(error);
    }
}
