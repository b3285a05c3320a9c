#pragma once
// The program's own texts (progress, port diagnostics, details, the commands' messages) follow
// the language module: the module holds the pages' texts, these catalogues the program's.

#include <memory>
#include <vector>

#include <QString>

class QTranslator;

class ProgramTranslation {
public:
    ProgramTranslation();
    ~ProgramTranslation();
    ProgramTranslation(const ProgramTranslation&) = delete;
    ProgramTranslation& operator=(const ProgramTranslation&) = delete;

    // Installs the Chinese catalogues when chinese, looked for in catalogueDir (where the
    // modules are installed); English needs none. False when the program's own catalogue is
    // missing; Qt's own is optional.
    bool install(bool chinese, const QString& catalogueDir);

    // Where the catalogues are for the program in programDir: beside the modules.
    static QString catalogueDir(const QString& programDir);

    // The catalogue's file name for the Chinese module: "trnsetup_zh_CN.qm".
    static QString catalogueName();

private:
    std::vector<std::unique_ptr<QTranslator>> installed_;
};
