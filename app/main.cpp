#include "CVexlaControllerApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    CVexlaControllerApp app(argc, argv);
    const int status = app.InitInstance(QApplication::arguments());
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
