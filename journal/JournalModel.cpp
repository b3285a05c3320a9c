#include "JournalModel.h"

#include <algorithm>

namespace config {

namespace {

QString text(Language language, const char* source) {
    return translated(language, "JournalModel", source);
}

}  // namespace

JournalModel::JournalModel(Language language, QObject* parent)
    : QAbstractTableModel(parent), language_(language) {}

void JournalModel::show(Journal* journal, const EntryQuery& query,
                        std::vector<JournalEntry> waiting, bool ahead) {
    beginResetModel();
    journal_ = journal;
    query_ = query;
    ahead_ = ahead;
    rows_.clear();
    waiting_.clear();
    failure_.clear();
    for (JournalEntry& e : waiting) {
        waiting_.insert(e.uuid);
        if (ahead && query.matches(e))
            rows_.push_back({std::move(e), true, true});
    }
    // The station's entries wait oldest first; the table is newest first.
    std::reverse(rows_.begin(), rows_.end());
    next_ = 0;
    if (journal_) {
        next_ = -1;  // the first page: from the newest
        fetchPage(false);
    }
    endResetModel();
}

void JournalModel::fetchPage(bool notify) {
    std::vector<JournalEntry> page;
    qint64 next = 0;
    if (auto failed = journal_->page(query_, std::max<qint64>(next_, 0), PageSize, &page, &next)) {
        next_ = 0;
        failure_ = failed->text(language_);
        emit pageFailed(failure_);
        return;
    }
    next_ = next;
    // Shown ahead already: the server's copy of an entry whose outcome waits here is older.
    if (ahead_)
        page.erase(
            std::remove_if(page.begin(), page.end(),
                           [this](const JournalEntry& e) { return waiting_.contains(e.uuid); }),
            page.end());
    if (page.empty())
        return;
    const int first = static_cast<int>(rows_.size());
    if (notify)
        beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    for (JournalEntry& e : page) {
        const bool waits = waiting_.contains(e.uuid);
        rows_.push_back({std::move(e), waits, false});
    }
    if (notify)
        endInsertRows();
}

const JournalEntry* JournalModel::entryAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[row].entry : nullptr;
}

bool JournalModel::waits(int row) const {
    return entryAt(row) && rows_[row].waiting;
}

int JournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString JournalModel::cell(const Row& row, int column) const {
    const JournalEntry& e = row.entry;
    switch (column) {
        case Entry:
            // The station's own number would pass for the server's.
            return row.ahead ? QString() : QString::number(e.id);
        case Time:
            return e.time.toString(Qt::ISODate);
        case Outcome:
            return outcomeText(e.outcome, language_);
        case Unit:
            return e.unit;
        case Station:
            return e.host;
        case Role:
            return e.madeBy;
        case Program:
            return e.program;
        case Sharing:
            if (row.ahead)
                return text(language_, QT_TRANSLATE_NOOP("JournalModel",
                                                         "waiting at this station (its entry %1)"))
                    .arg(e.id);
            return row.waiting ? text(language_,
                                      QT_TRANSLATE_NOOP("JournalModel", "waiting at this station"))
                               : QString();
    }
    return {};
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return cell(row, index.column());
        case SortRole:
            if (index.column() == Entry)
                return row.ahead ? QVariant() : QVariant(row.entry.id);
            if (index.column() == Time)
                return row.entry.time;
            return cell(row, index.column());
        default:
            return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const Headers[ColumnCount] = {
        QT_TRANSLATE_NOOP("JournalModel", "Entry"),
        QT_TRANSLATE_NOOP("JournalModel", "Time (UTC)"),
        QT_TRANSLATE_NOOP("JournalModel", "Outcome"),
        QT_TRANSLATE_NOOP("JournalModel", "Unit"),
        QT_TRANSLATE_NOOP("JournalModel", "Station"),
        QT_TRANSLATE_NOOP("JournalModel", "Role"),
        QT_TRANSLATE_NOOP("JournalModel", "Program"),
        QT_TRANSLATE_NOOP("JournalModel", "Sharing"),
    };
    return section >= 0 && section < ColumnCount ? text(language_, Headers[section]) : QVariant();
}

bool JournalModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && journal_ && next_ != 0;
}

void JournalModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        fetchPage(true);
}

}  // namespace config
