#include "UnitRunner.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "Fields.h"
#include "FileNames.h"
#include "JsonReport.h"

namespace {

QString modelOf(const UnitReport& unit) {
    return unit.controller ? unit.controller->text(Field::Model, Field::ModelLength).trimmed()
                           : QString();
}

QString serialOf(const UnitReport& unit) {
    return unit.controller ? serialText(*unit.controller) : QString();
}

// Terminal columns a character takes: two for the wide East Asian characters (the Chinese
// texts), one for the others.
int columnsOf(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

int columnsOf(const QString& text) {
    int n = 0;
    for (const char32_t c : text.toUcs4()) n += columnsOf(c);
    return n;
}

// The longest start of text that takes at most columns.
QString cutToColumns(const QString& text, int columns) {
    QString kept;
    for (const char32_t c : text.toUcs4()) {
        columns -= columnsOf(c);
        if (columns < 0)
            break;
        kept += QString::fromUcs4(&c, 1);
    }
    return kept;
}

void put(std::FILE* out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
}

// A unit's progress, kept apart from its report: the main thread reads it while the unit's
// thread works.
struct Live {
    QString label;  // model and serial, once read
    QString stage;
    QString detail;
    bool found = false;
    QString printed;  // the stage last printed as a line
};

class BatchChannel : public UnitChannel {
public:
    BatchChannel(UnitReport& unit, Live& live, std::mutex& mutex)
        : unit_(unit), live_(live), mutex_(mutex) {}
    void say(const QString& line) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        unit_.lines << line;
    }
    void fail(const QString& line) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        unit_.errors << line;
    }
    void found(const CalibrationImage& controller) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        live_.label = controller.text(Field::Model, Field::ModelLength).trimmed() +
                      QLatin1Char(' ') + serialText(controller);
        live_.found = true;
    }
    void stage(const QString& what) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        live_.stage = what;
        live_.detail.clear();
    }
    void detail(const QString& what) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        live_.detail = what;
    }

private:
    UnitReport& unit_;
    Live& live_;
    std::mutex& mutex_;
};

int terminalColumns(std::FILE* out) {
    winsize size{};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col;
    return 80;
}

}  // namespace

QJsonObject UnitReport::json() const {
    QJsonObject o{{QStringLiteral("port"), port}};
    for (const QString& key :
         {QStringLiteral("unit"), QStringLiteral("model"), QStringLiteral("variant"),
          QStringLiteral("firmware"), QStringLiteral("serial")})
        o.insert(key, QJsonValue::Null);
    if (controller) {
        const QJsonObject id = report::identity(*controller);
        for (auto i = id.begin(); i != id.end(); ++i) o.insert(i.key(), i.value());
    }
    o.insert(QStringLiteral("outcome"), outcome);
    o.insert(QStringLiteral("status"), status);
    o.insert(QStringLiteral("entry"), entry > 0 ? QJsonValue(entry) : QJsonValue::Null);
    o.insert(QStringLiteral("changes"), changes);
    o.insert(QStringLiteral("errors"), QJsonArray::fromStringList(errors));
    if (!file.isEmpty())
        o.insert(QStringLiteral("file"), file);
    if (!settings.isEmpty())
        o.insert(QStringLiteral("settings"), settings);
    return o;
}

void runUnits(std::vector<UnitReport>& units,
              const std::function<void(UnitReport&, UnitChannel&)>& job, Progress progress,
              bool onlyFound, std::FILE* out) {
    if (units.empty())
        return;
    std::mutex mutex;
    std::vector<Live> live(units.size());
    int drawn = 0;  // lines drawn in place, to go back over
    QStringList shownBefore;
    const int columns = progress == Progress::InPlace ? terminalColumns(out) : 0;
    const auto draw = [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        QStringList shown;
        QString text;
        for (std::size_t i = 0; i < units.size(); ++i) {
            Live& l = live[i];
            if (onlyFound && !l.found)
                continue;
            const QString what =
                l.detail.isEmpty() ? l.stage : l.stage + QStringLiteral(": ") + l.detail;
            const QString line = visibleText(
                units[i].port + QStringLiteral("  ") +
                (l.label.isEmpty() ? QString() : l.label + QStringLiteral("  ")) + what);
            if (progress == Progress::Lines && l.stage != l.printed && !l.stage.isEmpty()) {
                l.printed = l.stage;
                text +=
                    visibleText(units[i].port + QStringLiteral(": ") + l.stage) + QLatin1Char('\n');
            }
            // Cut to the terminal's width: a line that wrapped would spoil the redraw.
            shown << cutToColumns(line, columns - 1);
        }
        if (progress == Progress::InPlace && shown != shownBefore) {
            if (drawn > 0)
                text += QStringLiteral("\x1b[%1A").arg(drawn);
            for (const QString& line : shown) text += QStringLiteral("\r\x1b[2K") + line + '\n';
            drawn = static_cast<int>(shown.size());
            shownBefore = shown;
        }
        if (!text.isEmpty()) {
            put(out, text);
            std::fflush(out);
        }
    };

    QEventLoop loop;
    std::size_t left = units.size();  // on the main thread only
    std::vector<std::thread> threads;
    threads.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i)
        threads.emplace_back([&, i] {
            BatchChannel channel(units[i], live[i], mutex);
            job(units[i], channel);
            QMetaObject::invokeMethod(
                &loop,
                [&] {
                    if (--left == 0)
                        loop.quit();
                },
                Qt::QueuedConnection);
        });
    QTimer tick;
    if (progress != Progress::None) {
        QObject::connect(&tick, &QTimer::timeout, draw);
        tick.start(100);
    }
    loop.exec();
    tick.stop();
    for (std::thread& t : threads) t.join();
    if (progress != Progress::None) {
        // The last line of each unit says what came of it.
        for (std::size_t i = 0; i < units.size(); ++i) {
            live[i].stage = units[i].outcome;
            live[i].detail.clear();
        }
        draw();
    }
}

QStringList summaryTable(const std::vector<UnitReport>& units) {
    QList<QStringList> rows{{QCoreApplication::translate("Commands", "port"),
                             QCoreApplication::translate("Commands", "model"),
                             QCoreApplication::translate("Commands", "serial"),
                             QCoreApplication::translate("Commands", "outcome")}};
    for (const UnitReport& u : units)
        rows.append({visibleText(u.port), visibleText(modelOf(u)), serialOf(u), u.outcome});
    // Aligned on a terminal: a Chinese heading takes two columns a character.
    std::vector<int> widths(4, 0);
    for (const QStringList& row : rows)
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)], columnsOf(row[c]));
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c + 1 < row.size(); ++c)
            line += row[c] + QString(widths[static_cast<std::size_t>(c)] + 2 - columnsOf(row[c]),
                                     QLatin1Char(' '));
        lines << line + row.constLast();
    }
    return lines;
}
