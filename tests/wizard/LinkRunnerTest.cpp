// Link calls off the GUI thread: the GUI thread keeps running, the user sees that the link
// works, and nothing the link asks for reaches a message box from another thread.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include "WizardFixture.h"

namespace {

using Answer = Prompter::Answer;

// A link call that held the GUI thread would stop it for the whole call (a write takes over
// half a second). The bound leaves room for a loaded or sanitized test machine; the benchmark
// script reports the real figure, well under 50 ms.
constexpr qint64 LongestPauseMs = 250;

// Ticks on the GUI thread and notes the longest gap between two ticks.
class Heartbeat : public QObject {
public:
    Heartbeat() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (clock_.isValid())
                longestGapMs = std::max<qint64>(longestGapMs, clock_.restart());
            else
                clock_.start();
            ++ticks;
            if (onTick)
                onTick();
        });
        timer_.start();
    }
    // Blocks the calling (link) thread until the GUI thread has ticked n more times.
    bool waitTicks(int n) const {
        const int target = ticks + n;
        for (int i = 0; i < 2000 && ticks < target; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return ticks >= target;
    }
    std::atomic<int> ticks{0};
    qint64 longestGapMs = 0;
    std::function<void()> onTick;

private:
    QTimer timer_;
    QElapsedTimer clock_;
};

// A line that lets each frame through only after the GUI thread has ticked: a GUI thread that
// waited for the link would never let the call end.
class TickingStream : public ByteStream {
public:
    TickingStream(std::unique_ptr<ByteStream> inner, const Heartbeat& beat)
        : inner_(std::move(inner)), beat_(beat) {}
    bool write(const std::uint8_t* data, std::size_t count) override {
        if (!beat_.waitTicks(2))
            stalled = true;
        return inner_->write(data, count);
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        return inner_->read(buffer, maxCount);
    }
    inline static std::atomic<bool> stalled{false};

private:
    std::unique_ptr<ByteStream> inner_;
    const Heartbeat& beat_;
};

struct RunnerTest : ::testing::Test {
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    QWidget owner;
    LinkRunner runner{link, &owner};
};

}  // namespace

TEST_F(RunnerTest, GuiThreadRunsWhileTheCallWaitsAndTheIndicatorFollowsTheLink) {
    Heartbeat beat;
    runner.delayMs = 20;
    std::atomic<bool> shown{false};
    QObject::connect(&runner, &LinkRunner::indicatorShown, [&] { shown = true; });
    Qt::CursorShape cursor = Qt::ArrowCursor;
    beat.onTick = [&] {
        if (QApplication::overrideCursor() != nullptr)
            cursor = QApplication::overrideCursor()->shape();
    };
    QString seen;
    const bool result = runner.run([&] {
        for (int i = 0; i < 200 && !shown; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        LinkProgress p;
        p.stage = LinkProgress::Stage::Writing;
        p.step = 4;
        p.steps = 10;
        link.progress(p);
        beat.waitTicks(3);
        seen = runner.text();
        return beat.waitTicks(5);
    });
    EXPECT_TRUE(result) << "the GUI thread did not run during the call";
    EXPECT_TRUE(shown);
    EXPECT_EQ(seen, QStringLiteral("Writing chunk 4 of 10"));
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_LT(beat.longestGapMs, LongestPauseMs);
    // Afterwards: no window, no busy cursor, no progress callback left behind.
    EXPECT_EQ(runner.indicator(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(link.progress);
}

TEST_F(RunnerTest, MessagesTheLinkAsksForAreShownOnTheGuiThreadAfterTheCall) {
    std::vector<std::pair<int, bool>> shown;  // message, on the GUI thread
    const auto gui = std::this_thread::get_id();
    link.reportMessage = [&](int id) { shown.emplace_back(id, std::this_thread::get_id() == gui); };
    const bool result = runner.run([&] {
        link.reportMessage(164);
        link.reportMessage(164);
        return !shown.empty();  // nothing shown while the call runs
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(shown, (std::vector<std::pair<int, bool>>{{164, true}, {164, true}}));
    ASSERT_TRUE(link.reportMessage);
    link.reportMessage(1);
    EXPECT_EQ(shown.back().first, 1) << "the owner's reporter is back in place";
}

TEST_F(RunnerTest, IndicatorCannotBeClosedWhileTheCallRuns) {
    runner.delayMs = 0;
    std::atomic<bool> shown{false};
    QObject::connect(&runner, &LinkRunner::indicatorShown, [&] {
        QWidget* window = runner.indicator();
        ASSERT_NE(window, nullptr);
        window->close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &escape);
        shown = window->isVisible();
    });
    runner.run([&] {
        for (int i = 0; i < 2000 && !shown; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    });
    EXPECT_TRUE(shown);
}

// The whole wizard: search, read and write each let the GUI thread run between frames, and
// no button, Escape or close acts while a call is under way.
TEST_F(WizardFixture, WindowKeepsRunningThroughSearchReadAndWrite) {
    controller(0x0405, '1', 'J');
    Heartbeat beat;
    TickingStream::stalled = false;
    int actedDuringCalls = 0;
    WizardEnvironment env{
        image,
        link,
        prompter,
        module,
        dir,
        [&] {
            beat.waitTicks(2);
            link.attach(std::make_unique<TickingStream>(std::make_unique<SimStream>(sim), beat));
            return true;
        },
        {},
        {}};
    auto wizard = std::make_unique<Wizird>(env);
    beat.onTick = [&] {
        if (!wizard->linkRunner().running())
            return;
        const unsigned page = wizard->currentPage;
        wizard->OnNextButton();
        wizard->OnCancelButton();
        wizard->OnFinishButton();
        wizard->close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(wizard.get(), &escape);
        if (wizard->currentPage != page || wizard->closed() || prompter.count(102) > 0)
            ++actedDuringCalls;
    };
    ASSERT_TRUE(wizard->OnInitDialog());
    wizard->show();
    prompter.script(106, {Answer::No});
    wizard->OnFinishButton();
    beat.onTick = nullptr;
    EXPECT_FALSE(TickingStream::stalled) << "the GUI thread was held while a frame went out";
    EXPECT_EQ(sim.commits(), 1);
    EXPECT_LT(beat.longestGapMs, LongestPauseMs);
    EXPECT_EQ(actedDuringCalls, 0);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(prompter.ids(), (std::vector<int>{110, 106}));
}
