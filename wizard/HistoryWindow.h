#pragma once
// The journal in a window: its entries newest first, the station's own or the shared one,
// filtered by unit, station, time and settings (history's --where language); what an entry
// changed against what the unit held, two entries compared, an entry exported to a file or
// loaded into the wizard, and the entries that wait at this station to be shared marked.

#include <functional>

#include <QDialog>

#include "Journal.h"

class FileChooser;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QVBoxLayout;

namespace config {
class JournalModel;
}

// The journals the window shows; their owner keeps them open while it is.
struct HistorySources {
    config::Journal* station = nullptr;  // this station's own
    config::Journal* shared = nullptr;   // the server's, none when no server is named
    QString server;                      // the server's address, for the choice of journal
};

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    // chooser: where exported files go (the file dialog, or a test's script).
    HistoryWindow(HistorySources sources, FileChooser& chooser, config::Language language,
                  QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Offers "Load into the wizard" for the entry selected, which load takes.
    void offerLoading(std::function<void(const config::JournalEntry&)> load);
    // Puts the query's unit, station, times and settings into the filters and shows its
    // entries.
    void setQuery(const config::EntryQuery& query);
    // Shows the entries the filters ask for; false, saying why, when a filter does not read.
    bool applyFilters();

    config::JournalModel& model() { return *model_; }
    QTableView& table() { return *table_; }
    // What the details pane says of the entries selected.
    QString details() const;
    // The status line: how many entries are shown, or what failed.
    QString status() const;
    // The entry in the table's row (as the view sorts it); null for none.
    const config::JournalEntry* entryInRow(int row) const;
    // Exports the entry selected, asking where; the file's path, empty when none was written.
    QString exportSelected();

private:
    QString text(const char* source) const;
    void build();
    void addFilters(QVBoxLayout* layout);
    QLineEdit* addFilter(QGridLayout* grid, int row, int column, const char* label,
                         const char* name, const QString& hint);
    QTableView* makeTable();
    void addButtons(QVBoxLayout* layout);
    config::Journal* journal() const;
    // The query the filters ask for; none, with why set, when one does not read.
    std::optional<config::EntryQuery> filterQuery(QString* why) const;
    std::vector<const config::JournalEntry*> selected() const;
    void selectionChanged();
    QString entryText(const config::JournalEntry& e) const;
    QString comparisonText(const config::JournalEntry& a, const config::JournalEntry& b) const;
    void showStatus(const QString& text, bool failed);
    void countShown();

    HistorySources sources_;
    FileChooser& chooser_;
    config::Language language_;
    std::function<void(const config::JournalEntry&)> load_;
    config::JournalModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QComboBox* source_ = nullptr;
    QLineEdit *unit_ = nullptr, *station_ = nullptr, *since_ = nullptr, *until_ = nullptr,
              *where_ = nullptr;
    QTableView* table_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton *export_ = nullptr, *loadButton_ = nullptr;
};
