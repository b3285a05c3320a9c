#pragma once
// A wizard run in-process against the simulator engine, with scripted message boxes.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QDir>
#include <QEvent>
#include <QTemporaryDir>

#include "../link/FakeStream.h"
#include "../support/ScriptedPrompter.h"
#include "CalibrationImage.h"
#include "ControllerLink.h"
#include "ResourceModule.h"
#include "SettingsPage.h"
#include "SimController.h"
#include "SimStream.h"
#include "Wizird.h"

// Records the order in which pages are hidden and shown.
class PageEventLog : public QObject {
public:
    struct Entry {
        unsigned page;
        bool shown;
        bool operator==(const Entry&) const = default;
    };
    void watch(SettingsPage* page, unsigned number) {
        numbers_[page] = number;
        page->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            const auto it = numbers_.find(watched);
            if (it != numbers_.end())
                entries.push_back({it->second, event->type() == QEvent::Show});
        }
        return false;
    }
    std::vector<Entry> entries;

private:
    std::map<QObject*, unsigned> numbers_;
};

class WizardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/english.rcc"), &error))
            << error.toStdString();
        ASSERT_TRUE(programDir.isValid());
        // The program sits in bin/ of its folder, as installed and in the build folder.
        dir = programDir.path() + QStringLiteral("/bin");
        QDir().mkpath(dir);
    }

    // The simulated controller: firmware, regeneration marker, variant letter.
    void controller(unsigned version, char marker, char variant) {
        sim.options.versionMajor = static_cast<std::uint8_t>(version >> 8);
        sim.options.versionMinor = static_cast<std::uint8_t>(version & 0xFF);
        sim.image[Field::RegenerationMarker] = static_cast<std::uint8_t>(marker);
        sim.image[Field::Variant] = static_cast<std::uint8_t>(variant);
        sim.staging = sim.image;
    }

    std::unique_ptr<Wizird> makeWizard() {
        connects = 0;
        WizardEnvironment env{
            image,
            link,
            prompter,
            module,
            dir,
            [this] {
                ++connects;
                if (failConnects > 0) {
                    --failConnects;
                    link.openFailures = {QStringLiteral("/dev/ttyS0: permission denied")};
                    return false;
                }
                link.attach(std::make_unique<SimStream>(sim));
                return true;
            },
            [this](const QUrl& url) {
                opened.push_back(url);
                return browserOpens;
            },
            dataDir,
            historyDir};
        return std::make_unique<Wizird>(env);
    }

    // A wizard through its start-up, shown (offscreen) so that page show/hide events flow.
    std::unique_ptr<Wizird> startWizard() {
        auto wizard = makeWizard();
        started = wizard->OnInitDialog();
        if (started) {
            wizard->show();
            for (unsigned n = 1; n <= wizard->pageCount; ++n) log.watch(wizard->page(n), n);
        }
        return wizard;
    }

    QString error;
    ResourceModule module;
    QTemporaryDir programDir;
    QString dir;
    SimController sim;
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    CalibrationImage image;
    ScriptedPrompter prompter;
    PageEventLog log;
    std::vector<QUrl> opened;
    bool browserOpens = true;
    QString dataDir;  // set: the wizard runs as an installed program
    int connects = 0;
    int failConnects = 0;
    bool started = false;
    // Where the wizard records its writes; empty records none.
    QString historyDir;
};
