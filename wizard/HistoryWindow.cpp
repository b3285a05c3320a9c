#include "HistoryWindow.h"

#include <algorithm>
#include <tuple>

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "Changes.h"
#include "ConfigFile.h"
#include "ConfigMenu.h"
#include "JournalModel.h"
#include "Texts.h"

using config::JournalEntry;
using config::JournalModel;

HistoryWindow::HistoryWindow(HistorySources sources, FileChooser& chooser,
                             config::Language language, QWidget* parent)
    : QDialog(parent), sources_(std::move(sources)), chooser_(chooser), language_(language) {
    setWindowTitle(text(QT_TRANSLATE_NOOP("HistoryWindow", "Journal of writes")));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    build();
    resize(1040, 640);
    applyFilters();
    // The arrow keys browse the entries at once; the filters have their mnemonics.
    table_->setFocus();
}

HistoryWindow::~HistoryWindow() = default;

QString HistoryWindow::text(const char* source) const {
    return config::translated(language_, "HistoryWindow", source);
}

QLineEdit* HistoryWindow::addFilter(QGridLayout* grid, int row, int column, const char* label,
                                    const char* name, const QString& hint) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(hint);
    edit->setClearButtonEnabled(true);
    auto* caption = new QLabel(text(label), this);
    caption->setBuddy(edit);
    edit->setAccessibleName(caption->text().remove(QLatin1Char('&')));
    grid->addWidget(caption, row, column);
    // The last filter, the settings, takes the whole row.
    grid->addWidget(edit, row, column + 1, 1, column == 0 && row == 3 ? 3 : 1);
    connect(edit, &QLineEdit::returnPressed, this, &HistoryWindow::applyFilters);
    return edit;
}

void HistoryWindow::build() {
    auto* layout = new QVBoxLayout(this);
    addFilters(layout);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(makeTable());
    details_ = new QPlainTextEdit(this);
    details_->setObjectName(QStringLiteral("details"));
    details_->setReadOnly(true);
    details_->setAccessibleName(
        text(QT_TRANSLATE_NOOP("HistoryWindow", "What the entries selected changed")));
    splitter->addWidget(details_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);
    addButtons(layout);
}

void HistoryWindow::addFilters(QVBoxLayout* layout) {
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    if (sources_.shared) {
        source_ = new QComboBox(this);
        source_->setObjectName(QStringLiteral("source"));
        source_->addItem(
            text(QT_TRANSLATE_NOOP("HistoryWindow", "Shared journal on %1")).arg(sources_.server));
        source_->addItem(text(QT_TRANSLATE_NOOP("HistoryWindow", "This station's journal")));
        auto* caption = new QLabel(text(QT_TRANSLATE_NOOP("HistoryWindow", "&Journal:")), this);
        caption->setBuddy(source_);
        source_->setAccessibleName(caption->text().remove(QLatin1Char('&')));
        grid->addWidget(caption, 0, 0);
        grid->addWidget(source_, 0, 1, 1, 3);
        connect(source_, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilters);
    }
    unit_ = addFilter(grid, 1, 0, QT_TRANSLATE_NOOP("HistoryWindow", "&Unit:"), "unit",
                      text(QT_TRANSLATE_NOOP("HistoryWindow", "any unit, like %1"))
                          .arg(QStringLiteral("TRN48201-000AB0FF")));
    station_ = addFilter(grid, 1, 2, QT_TRANSLATE_NOOP("HistoryWindow", "&Station:"), "station",
                         text(QT_TRANSLATE_NOOP("HistoryWindow", "any station")));
    since_ = addFilter(grid, 2, 0, QT_TRANSLATE_NOOP("HistoryWindow", "S&ince:"), "since",
                       text(QT_TRANSLATE_NOOP("HistoryWindow", "from the first entry, like %1"))
                           .arg(QStringLiteral("2024-05-01")));
    until_ = addFilter(grid, 2, 2, QT_TRANSLATE_NOOP("HistoryWindow", "U&ntil:"), "until",
                       text(QT_TRANSLATE_NOOP("HistoryWindow", "to the last entry, like %1"))
                           .arg(QStringLiteral("2024-05-31T18:00")));
    where_ = addFilter(grid, 3, 0, QT_TRANSLATE_NOOP("HistoryWindow", "Se&ttings:"), "where",
                       text(QT_TRANSLATE_NOOP("HistoryWindow", "any settings, like %1"))
                           .arg(QStringLiteral("max_motor_current>80%; control_mode=speed")));
    auto* apply = new QPushButton(text(QT_TRANSLATE_NOOP("HistoryWindow", "&Filter")), this);
    apply->setObjectName(QStringLiteral("apply"));
    apply->setAutoDefault(false);
    grid->addWidget(apply, 3, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    connect(apply, &QPushButton::clicked, this, &HistoryWindow::applyFilters);
}

QTableView* HistoryWindow::makeTable() {
    model_ = new JournalModel(language_, this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(JournalModel::SortRole);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("entries"));
    table_->setAccessibleName(text(QT_TRANSLATE_NOOP("HistoryWindow", "Journal entries")));
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    // The journal's own order, newest first, until a column is chosen to sort by.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    table_->setSortingEnabled(true);
    table_->setColumnHidden(JournalModel::Sharing, !sources_.shared);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HistoryWindow::selectionChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &HistoryWindow::countShown);
    // A page that fails as the table scrolls says so, as the first page's failure does.
    connect(model_, &JournalModel::pageFailed, this, &HistoryWindow::countShown);
    return table_;
}

void HistoryWindow::addButtons(QVBoxLayout* layout) {
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    export_ = new QPushButton(text(QT_TRANSLATE_NOOP("HistoryWindow", "&Export...")), this);
    export_->setObjectName(QStringLiteral("export"));
    loadButton_ =
        new QPushButton(text(QT_TRANSLATE_NOOP("HistoryWindow", "&Load into the wizard")), this);
    loadButton_->setObjectName(QStringLiteral("load"));
    loadButton_->hide();
    auto* close = new QPushButton(text(QT_TRANSLATE_NOOP("HistoryWindow", "&Close")), this);
    for (QPushButton* b : {export_, loadButton_, close}) b->setAutoDefault(false);
    buttons->addWidget(export_);
    buttons->addWidget(loadButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    connect(export_, &QPushButton::clicked, this, &HistoryWindow::exportSelected);
    connect(loadButton_, &QPushButton::clicked, this, [this] {
        const std::vector<const JournalEntry*> rows = selected();
        if (rows.size() == 1 && load_)
            load_(*rows.front());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    selectionChanged();
}

void HistoryWindow::offerLoading(std::function<void(const JournalEntry&)> load) {
    load_ = std::move(load);
    loadButton_->setVisible(static_cast<bool>(load_));
}

config::Journal* HistoryWindow::journal() const {
    return source_ && source_->currentIndex() == 0 ? sources_.shared : sources_.station;
}

std::optional<config::EntryQuery> HistoryWindow::filterQuery(QString* why) const {
    config::EntryQuery query;
    if (const QString unit = unit_->text().trimmed(); !unit.isEmpty()) {
        const std::optional<QString> named = config::unitNamed(unit);
        if (!named) {
            *why = text(QT_TRANSLATE_NOOP("HistoryWindow",
                                          "A unit is named as MODEL-SERIAL, like "
                                          "TRN48201-000AB0FF."));
            return std::nullopt;
        }
        query.unit = *named;
    }
    query.station = station_->text().trimmed();
    for (const auto& [edit, bound, until] :
         {std::tuple{since_, &query.since, false}, std::tuple{until_, &query.until, true}}) {
        const QString time = edit->text().trimmed();
        if (time.isEmpty())
            continue;
        *bound = config::queryTime(time, until);
        if (!*bound) {
            *why = text(QT_TRANSLATE_NOOP("HistoryWindow",
                                          "%1 takes a date or a date and time, like 2024-05-01 "
                                          "or 2024-05-01T08:00 (UTC unless an offset is given)."))
                       .arg(edit->accessibleName());
            return std::nullopt;
        }
    }
    QString wrong;
    std::optional<std::vector<config::SettingCondition>> where =
        config::parseConditions(where_->text(), &wrong);
    if (!where) {
        *why = where_->accessibleName() + QLatin1Char(' ') + wrong;
        return std::nullopt;
    }
    query.where = std::move(*where);
    return query;
}

void HistoryWindow::setQuery(const config::EntryQuery& query) {
    unit_->setText(query.unit);
    station_->setText(query.station);
    since_->setText(query.since ? config::timeText(*query.since) : QString());
    until_->setText(query.until ? config::timeText(*query.until) : QString());
    where_->setText(config::conditionsText(query.where));
    applyFilters();
}

bool HistoryWindow::applyFilters() {
    QString why;
    const std::optional<config::EntryQuery> query = filterQuery(&why);
    if (!query) {
        showStatus(why, true);
        return false;
    }
    // The station's entries that wait for the server are not among the server's yet.
    std::vector<JournalEntry> waiting;
    std::optional<config::Message> unknown;
    if (sources_.shared)
        unknown = sources_.shared->waitingEntries(&waiting);
    const bool server = sources_.shared && journal() == sources_.shared;
    table_->setColumnHidden(JournalModel::Role, !server);
    model_->show(journal(), *query, std::move(waiting), server);
    table_->resizeColumnsToContents();
    countShown();
    if (unknown)
        showStatus(text(QT_TRANSLATE_NOOP("HistoryWindow",
                                          "Which entries wait at this station is not known: %1"))
                       .arg(unknown->text(language_)),
                   true);
    return model_->failure().isEmpty();
}

void HistoryWindow::countShown() {
    if (!model_->failure().isEmpty()) {
        showStatus(text(QT_TRANSLATE_NOOP("HistoryWindow", "The journal cannot be read: %1"))
                       .arg(model_->failure()),
                   true);
        return;
    }
    const int shown = model_->rowCount();
    showStatus(
        shown == 0 ? text(QT_TRANSLATE_NOOP("HistoryWindow", "No entry matches."))
        : model_->canFetchMore({})
            ? text(QT_TRANSLATE_NOOP("HistoryWindow",
                                     "Entries shown: %1, newest first; more as you "
                                     "scroll."))
                  .arg(shown)
            : text(QT_TRANSLATE_NOOP("HistoryWindow", "Entries: %1, newest first.")).arg(shown),
        false);
}

void HistoryWindow::showStatus(const QString& line, bool failed) {
    status_->setText(line);
    status_->setStyleSheet(failed ? QStringLiteral("color: #b00020;") : QString());
}

QString HistoryWindow::status() const {
    return status_->text();
}

QString HistoryWindow::details() const {
    return details_->toPlainText();
}

const JournalEntry* HistoryWindow::entryInRow(int row) const {
    return model_->entryAt(proxy_->mapToSource(proxy_->index(row, 0)).row());
}

std::vector<const JournalEntry*> HistoryWindow::selected() const {
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<const JournalEntry*> out;
    for (const QModelIndex& index : rows)
        if (const JournalEntry* e = model_->entryAt(proxy_->mapToSource(index).row()))
            out.push_back(e);
    return out;
}

void HistoryWindow::selectionChanged() {
    std::vector<const JournalEntry*> rows = selected();
    export_->setEnabled(rows.size() == 1);
    loadButton_->setEnabled(rows.size() == 1);
    if (rows.size() == 1) {
        details_->setPlainText(entryText(*rows.front()));
    } else if (rows.size() == 2) {
        // The older first, whichever way the table is sorted.
        std::sort(rows.begin(), rows.end(), [](const JournalEntry* a, const JournalEntry* b) {
            return std::tie(a->time, a->id) < std::tie(b->time, b->id);
        });
        details_->setPlainText(comparisonText(*rows[0], *rows[1]));
    } else {
        details_->setPlainText(text(QT_TRANSLATE_NOOP(
            "HistoryWindow",
            "Select an entry to see what it changed, or two entries (Ctrl and click) to compare "
            "them.")));
    }
}

QString HistoryWindow::entryText(const JournalEntry& e) const {
    QStringList lines{
        text(QT_TRANSLATE_NOOP("HistoryWindow", "Entry %1: %2, %3, %4"))
            .arg(QString::number(e.id), e.unit, e.time.toString(Qt::ISODate),
                 config::outcomeText(e.outcome, language_)),
        text(QT_TRANSLATE_NOOP("HistoryWindow", "Station %1, program %2")).arg(e.host, e.program)};
    if (!e.madeBy.isEmpty())
        lines << text(QT_TRANSLATE_NOOP("HistoryWindow", "Made by the server's role %1"))
                     .arg(e.madeBy);
    lines << QString();
    if (!e.before) {
        lines << text(QT_TRANSLATE_NOOP("HistoryWindow",
                                        "What the unit held before is not known: the entry was "
                                        "taken in from a file of an earlier version."));
        return lines.join(QLatin1Char('\n'));
    }
    const QStringList changed =
        config::changeLines(config::changes(*e.before, e.image, language_), language_);
    if (changed.isEmpty())
        lines << text(QT_TRANSLATE_NOOP("HistoryWindow",
                                        "No setting changed: the unit held these settings "
                                        "already."));
    else
        lines << text(QT_TRANSLATE_NOOP("HistoryWindow", "Changed against what the unit held:"))
              << changed;
    return lines.join(QLatin1Char('\n'));
}

QString HistoryWindow::comparisonText(const JournalEntry& a, const JournalEntry& b) const {
    QStringList lines{
        text(QT_TRANSLATE_NOOP("HistoryWindow", "Entry %1 (%2, %3) against entry %4 (%5, %6):"))
            .arg(QString::number(a.id), a.unit, a.time.toString(Qt::ISODate), QString::number(b.id),
                 b.unit, b.time.toString(Qt::ISODate))};
    const QStringList differ =
        config::identityLines(a.image, b.image, language_) +
        config::changeLines(config::changes(a.image, b.image, language_), language_);
    if (differ.isEmpty())
        lines << text(
            QT_TRANSLATE_NOOP("HistoryWindow", "The two entries wrote the same settings."));
    return (lines + differ).join(QLatin1Char('\n'));
}

QString HistoryWindow::exportSelected() {
    const std::vector<const JournalEntry*> rows = selected();
    if (rows.size() != 1)
        return {};
    const JournalEntry& e = *rows.front();
    const QString path =
        chooser_.saveFile(this, text(QT_TRANSLATE_NOOP("HistoryWindow", "Export journal entry")),
                          QDir::home().filePath(config::unitFileName(e.image)));
    if (path.isEmpty())
        return {};
    if (auto failure = config::saveText(path, e.fileText(language_))) {
        showStatus(text(QT_TRANSLATE_NOOP("HistoryWindow", "The entry was not exported: %1"))
                       .arg(failure->text(language_)),
                   true);
        return {};
    }
    showStatus(text(QT_TRANSLATE_NOOP("HistoryWindow", "Exported entry %1 into %2."))
                   .arg(QString::number(e.id), QDir::toNativeSeparators(path)),
               false);
    return path;
}
