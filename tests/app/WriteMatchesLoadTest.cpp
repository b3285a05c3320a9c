// Whatever a file says, `trnsetup write` puts on a controller exactly the bytes that the wizard
// commits after Load configuration... of that file and Finish on the same controller.
#include <gtest/gtest.h>

#include <QFile>

#include "../support/RandomImage.h"
#include "../support/TrnsetupProcess.h"
#include "../support/TrnsimProcess.h"
#include "../wizard/WizardFixture.h"
#include "ConfigFile.h"

namespace {

// Load takes the one file the test names.
class TheFile : public FileChooser {
public:
    explicit TheFile(QString path) : path_(std::move(path)) {}
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<Choice> loadFile(QWidget*, const QString&, const std::vector<Choice>&) override {
        return Choice{{}, path_};
    }

private:
    QString path_;
};

class WriteMatchesLoad : public WizardFixture {
protected:
    QString file(const QString& name) const { return QDir(dir).filePath(name); }
    static void save(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray bytesOf(const CalibrationImage& image) {
        return {reinterpret_cast<const char*>(image.data()), CalibrationImage::Size};
    }

    // The command's way: the real trnsetup against the real simulator.
    QByteArray written(const CalibrationImage& unit, unsigned firmware, const QString& config) {
        const QString imagePath = file(QStringLiteral("unit.img"));
        save(imagePath, bytesOf(unit));
        TrnsimProcess trnsim({QStringLiteral("--image"), imagePath, QStringLiteral("--version"),
                              QString::number(firmware, 16).rightJustified(4, QLatin1Char('0'))});
        EXPECT_FALSE(trnsim.device().isEmpty()) << trnsim.errors().toStdString();
        const CommandResult r = runTrnsetup(
            {QStringLiteral("write"), config, QStringLiteral("--port"), trnsim.device(),
             QStringLiteral("--yes"), QStringLiteral("--adjust"), QStringLiteral("--no-verify")},
            file(QStringLiteral("data")));
        EXPECT_EQ(r.status, 0) << r.err.join('\n').toStdString();
        trnsim.stop();
        QFile f(imagePath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The wizard's way: Load, then Finish.
    QByteArray loadedAndFinished(const CalibrationImage& unit, unsigned firmware,
                                 const QString& config) {
        sim = SimController();
        std::copy_n(unit.data(), CalibrationImage::Size, sim.image.begin());
        sim.staging = sim.image;
        sim.options.versionMajor = static_cast<std::uint8_t>(firmware >> 8);
        sim.options.versionMinor = static_cast<std::uint8_t>(firmware);
        auto w = startWizard();
        EXPECT_TRUE(started);
        if (!started)
            return {};
        w->configMenu().chooser = std::make_unique<TheFile>(config);
        w->configMenu().load();
        w->OnFinishButton();
        return {reinterpret_cast<const char*>(sim.image.data()), CalibrationImage::Size};
    }
};

}  // namespace

TEST_F(WriteMatchesLoad, OnRandomFilesAndControllers) {
    const unsigned versions[] = {0x0203, 0x0204, 0x0208, 0x0209, 0x0300, 0x0301,
                                 0x0302, 0x0304, 0x0402, 0x0403, 0x0404, 0x0405};
    const char* models[] = {"TRN48201", "TRE72301", "TRN24200", "TRE36300"};
    const char variants[] = {'C', 'J', 'B'};
    std::mt19937 random(20261208);
    for (unsigned round = 1; round <= 14; ++round) {
        const unsigned firmware = versions[random() % std::size(versions)];
        const char* model = models[random() % std::size(models)];
        const char variant = variants[random() % std::size(variants)];
        SCOPED_TRACE(std::string(model) + " " + variant + " firmware " +
                     QString::number(firmware, 16).toStdString() + " round " +
                     std::to_string(round));
        CalibrationImage unit = randomImage(round, firmware, model, variant);
        unit.setBit(Field::ModelOptions, Field::SpecialVersionBit, false);
        // A file of random values for a controller of the same kind: out of range, unlisted
        // codes, interlocked pairs, refused numbers.
        const CalibrationImage other = randomImage(round + 1000, firmware, model, variant);
        const QString config = file(QStringLiteral("random.trncfg"));
        save(config, config::ConfigFile::write(other, {}, config::Language::English).toUtf8());

        const QByteArray byCommand = written(unit, firmware, config);
        const QByteArray byWizard = loadedAndFinished(unit, firmware, config);
        ASSERT_EQ(byCommand.size(), CalibrationImage::Size);
        ASSERT_EQ(byWizard.size(), CalibrationImage::Size);
        for (int i = 0; i < CalibrationImage::Size; ++i)
            EXPECT_EQ(static_cast<std::uint8_t>(byCommand[i]),
                      static_cast<std::uint8_t>(byWizard[i]))
                << "byte " << i;
    }
}
