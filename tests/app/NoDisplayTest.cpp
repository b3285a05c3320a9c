// The wizard started where there is no display says so and exits 1, instead of the toolkit's
// abort (status 134).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "../support/TrnsetupProcess.h"

TEST(NoDisplay, TheWizardSaysWhatIsWrongAndExits1) {
    QTemporaryDir data;
    {
        const CommandResult r =
            runTrnsetup({QStringLiteral("--language"), QStringLiteral("english")}, data.path());
        EXPECT_EQ(r.status, 1) << qPrintable(r.err.join(u'\n'));
        ASSERT_EQ(r.err.size(), 1) << qPrintable(r.err.join(u'\n'));
        EXPECT_TRUE(r.err[0].startsWith(QLatin1String("trnsetup: ")));
        EXPECT_TRUE(r.err[0].contains(QLatin1String("DISPLAY"))) << qPrintable(r.err[0]);
    }
}
