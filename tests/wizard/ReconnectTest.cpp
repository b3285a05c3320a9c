// A line that dies under a write: Retry reopens it, and writes only to the controller that
// was read at start.
#include <QSlider>

#include "WizardFixture.h"

namespace {
using Answer = Prompter::Answer;
constexpr int MsgWriteError = 105;
}  // namespace

TEST_F(WizardFixture, RetryAfterTheLineDiedWritesToTheSameControllerOnly) {
    enum class Then {
        Same,
        OtherSerial,
        OtherVersion,
        OtherModel,
        SameAfterDefault,
        FoundOnSecondRetry
    };
    const struct {
        const char* name;
        Then then;
        bool written;
    } rows[] = {
        {"same controller", Then::Same, true},
        {"another serial number", Then::OtherSerial, false},
        {"another firmware", Then::OtherVersion, false},
        {"another model", Then::OtherModel, false},
        {"identity bytes replaced since, as by Default", Then::SameAfterDefault, true},
        {"not found at the first Retry", Then::FoundOnSecondRetry, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        controller(0x0405, '1', 'J');
        prompter = ScriptedPrompter();
        image = CalibrationImage();
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        auto w = startWizard();
        ASSERT_TRUE(started);
        w->page(1)->control<QSlider>(1034)->setValue(77);
        const int commitsBefore = sim.commits();

        // The adapter is pulled: every read from the old line fails.
        auto* line = dynamic_cast<SimStream*>(link.port.get());
        ASSERT_NE(line, nullptr);
        line->failAfterReads = 0;
        switch (row.then) {
            case Then::Same:
                break;
            case Then::OtherSerial:
                sim.image[Field::SerialNumber + 3] ^= 0x01;
                break;
            case Then::OtherVersion:
                sim.options.versionMinor = 0x06;
                break;
            case Then::OtherModel:
                sim.image[Field::Model + 5] ^= 0x01;
                break;
            case Then::SameAfterDefault:
                image.setByte(Field::SerialNumber, 0x99);
                break;
            case Then::FoundOnSecondRetry:
                failConnects = 1;
                break;
        }
        sim.staging = sim.image;
        const SimController::Image before = sim.image;
        prompter.script(MsgWriteError, {Answer::Retry, Answer::Retry, Answer::Cancel});
        prompter.script(106, {Answer::Yes});
        w->OnFinishButton();

        ASSERT_GE(prompter.asked.size(), 2u);
        EXPECT_TRUE(prompter.asked[1].detail.contains(QLatin1String("the port was lost")))
            << prompter.asked[1].detail.toStdString();
        EXPECT_EQ(sim.commits() - commitsBefore, row.written ? 1 : 0);
        if (row.written) {
            EXPECT_EQ(sim.image[Field::MaxMotorCurrent], 77);
            EXPECT_TRUE(prompter.told.empty());
            EXPECT_EQ(prompter.count(106), 1);
            EXPECT_EQ(prompter.count(MsgWriteError), row.then == Then::FoundOnSecondRetry ? 2 : 1);
        } else {
            // Refused with a clear word each time, nothing written, and 105 again each time.
            EXPECT_EQ(sim.image, before);
            EXPECT_EQ(prompter.count(MsgWriteError), 3);
            ASSERT_EQ(prompter.told.size(), 2u);
            EXPECT_TRUE(prompter.told[0].contains(QLatin1String("not the one read at start")))
                << prompter.told[0].toStdString();
            EXPECT_TRUE(prompter.asked[2].detail.contains(QLatin1String("Nothing was written")));
            EXPECT_FALSE(w->closed());
            // The image being edited still holds the user's change.
            EXPECT_EQ(image.byte(Field::MaxMotorCurrent), 77);
        }
        if (row.then == Then::FoundOnSecondRetry) {
            EXPECT_TRUE(prompter.asked[2].detail.contains(QLatin1String("not found again")));
        }
    }
}

TEST_F(WizardFixture, WriteAndReadFailuresSayWhichStepFailed) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    sim.options.silent = true;
    prompter.script(MsgWriteError, {Answer::Cancel});
    w->OnFinishButton();
    ASSERT_EQ(prompter.count(MsgWriteError), 1);
    EXPECT_EQ(prompter.asked.back().detail,
              QStringLiteral("opening the write: no valid reply in 10 attempts"));

    // A silent line is not a lost line: Cancel ends it without searching again.
    EXPECT_EQ(connects, 1);

    prompter = ScriptedPrompter();
    sim.options.silent = false;
    sim.options.shortReads = true;
    auto reader = makeWizard();
    EXPECT_FALSE(reader->OnInitDialog());
    ASSERT_EQ(prompter.ids(), (std::vector<int>{110, 104}));
    EXPECT_EQ(prompter.asked.back().detail,
              QStringLiteral("block 1 of 8: the reply carried 8 of 16 bytes"));
}
