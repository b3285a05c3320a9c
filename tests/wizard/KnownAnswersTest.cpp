// Controllers with random images, walked through every page without touching a control, then
// Finish: the bytes written must be those worked out independently for each of them.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "WizardFixture.h"

TEST_F(WizardFixture, UntouchedWalksWriteTheKnownAnswers) {
    QFile file(QStringLiteral(TRN_SOURCE_DIR "/tests/wizard/data/untouched-walks.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray cases =
        QJsonDocument::fromJson(file.readAll()).object().value("cases").toArray();
    ASSERT_EQ(cases.size(), 6);
    for (const QJsonValue& value : cases) {
        const QJsonObject c = value.toObject();
        SCOPED_TRACE(c.value("name").toString().toStdString());
        const QByteArray read = QByteArray::fromHex(c.value("read").toString().toLatin1());
        const QByteArray written = QByteArray::fromHex(c.value("written").toString().toLatin1());
        ASSERT_EQ(read.size(), 128);
        ASSERT_EQ(written.size(), 128);
        std::copy(read.begin(), read.end(), sim.image.begin());
        sim.staging = sim.image;
        const unsigned firmware = c.value("firmware").toString().toUInt(nullptr, 16);
        sim.options.versionMajor = static_cast<std::uint8_t>(firmware >> 8);
        sim.options.versionMinor = static_cast<std::uint8_t>(firmware);
        image = CalibrationImage();
        prompter = ScriptedPrompter();
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);

        auto w = startWizard();
        ASSERT_TRUE(started);
        QStringList pages, expectedPages;
        for (unsigned n = 1; n <= w->pageCount; ++n)
            pages << QString::fromLatin1(w->page(n)->metaObject()->className());
        for (const QJsonValue& page : c.value("pages").toArray()) expectedPages << page.toString();
        EXPECT_EQ(pages, expectedPages);
        for (unsigned n = 1; n < w->pageCount; ++n) w->OnNextButton();
        w->OnFinishButton();
        ASSERT_TRUE(w->closed());

        QStringList told, expectedTold;
        for (const QString& text : prompter.told) told << text;
        for (const QJsonValue& text : c.value("messages").toArray())
            expectedTold << text.toString();
        EXPECT_EQ(told, expectedTold);
        for (int i = 0; i < 128; ++i)
            EXPECT_EQ(sim.image[static_cast<std::size_t>(i)], static_cast<std::uint8_t>(written[i]))
                << "byte " << i << " read as " << int(static_cast<std::uint8_t>(read[i]));
    }
}
