#include <gtest/gtest.h>

#include "AppFixture.h"
#include "CVexlaControllerApp.h"

namespace {
CVexlaControllerApp* app = nullptr;
}

CVexlaControllerApp& theApp() {
    return *app;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CVexlaControllerApp instance(argc, argv);
    app = &instance;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
