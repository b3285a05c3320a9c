// The language bundles as the program sees them through ResourceModule.
#include <gtest/gtest.h>

#include "ModuleFixture.h"

using trntest::ModuleFixture;

TEST(ResourceModuleTest, BothBundlesLoad) {
    for (const char* language : {"english", "chinese"}) {
        ModuleFixture fixture(QString::fromLatin1(language));
        EXPECT_TRUE(fixture.loaded()) << language << ": " << qPrintable(fixture.error());
    }
}
