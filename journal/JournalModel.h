#pragma once
// The journal's entries as a table for Qt's views: newest first, asked of the journal one page
// at a time as the view scrolls (canFetchMore and fetchMore), so that a journal of any size,
// the station's own or the server's, shows its first rows at once.

#include <vector>

#include <QAbstractTableModel>
#include <QSet>
#include <QUuid>

#include "Journal.h"

namespace config {

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Entry, Time, Outcome, Unit, Station, Role, Program, Sharing, ColumnCount };
    // Entries asked of the journal at a time: more than a window shows.
    static constexpr int PageSize = 200;
    // The role a proxy sorts by: numbers and times as such, not as their texts.
    static constexpr int SortRole = Qt::UserRole;

    explicit JournalModel(Language language, QObject* parent = nullptr);

    // Shows the entries of journal that query matches, from its first page. waiting: the
    // entries kept at this station that wait to be shared, which are marked; with ahead they
    // are shown first, matched by the query, for a journal (the server's) that lacks them.
    void show(Journal* journal, const EntryQuery& query, std::vector<JournalEntry> waiting,
              bool ahead);
    // The entry of a row; null for none.
    const JournalEntry* entryAt(int row) const;
    // Whether the entry of a row waits at this station to be shared.
    bool waits(int row) const;
    // Why the last page could not be read, in the model's language; empty when it could.
    const QString& failure() const { return failure_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // A page could not be read: why, in the model's language.
    void pageFailed(const QString& why);

private:
    struct Row {
        JournalEntry entry;
        bool waiting = false;
        bool ahead = false;  // one of the station's own, numbered by the station
    };
    // The next page, appended (inside beginInsertRows when notify).
    void fetchPage(bool notify);
    QString cell(const Row& row, int column) const;

    Language language_;
    Journal* journal_ = nullptr;
    EntryQuery query_;
    std::vector<Row> rows_;
    QSet<QUuid> waiting_;
    bool ahead_ = false;
    qint64 next_ = 0;  // where the next page begins; 0 when none is left
    QString failure_;
};

}  // namespace config
