// The language-bundle loader over damaged bundles: whatever the bytes, loading either refuses
// them with a reason or gives a module whose resources can all be asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QFile>
#include <QWidget>

#include "ResourceModule.h"

namespace {
QString scratchFile;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    scratchFile =
        QStringLiteral("/dev/shm/trn-fuzz-bundle-%1.rcc").arg(QCoreApplication::applicationPid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile file(scratchFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    ResourceModule module;
    QString error;
    if (!module.load(scratchFile, &error)) {
        if (error.isEmpty())
            std::abort();  // a refusal always says why
        return 0;
    }
    for (int id : {102, 103, 165}) module.string(id);
    module.bitmap(165);
    module.icon(159);
    for (int id : {1, 2, 3, 133, 146}) delete module.createDialog(id, nullptr);
    return 0;
}
