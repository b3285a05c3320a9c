#pragma once
// The wizard's configuration menu: save the image to a file, load a file's settings (the
// journal's entries of this controller offered first), and list what changed since the
// controller was read. It also keeps the journal of the wizard's writes.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>

#include "CalibrationImage.h"
#include "Journal.h"
#include "Settings.h"
#include "SharedJournal.h"

class HistoryWindow;
class PageBook;
class Prompter;
class QMenu;
class QWidget;
class ResourceModule;

// What the menu needs of the window it belongs to.
class MenuHost {
public:
    virtual ~MenuHost() = default;
    // The parent of the menu's dialogs.
    virtual QWidget* window() = 0;
    // True while the window must not act (a page change or a link call under way).
    virtual bool busy() const = 0;
    // The pages, which store, reload and apply files.
    virtual PageBook& pages() = 0;
};

// Where configuration files are chosen; tests put a script in place of the dialogs.
class FileChooser {
public:
    // A journal entry (entry set) or a file (path set).
    struct Choice {
        QString label;
        QString path;
        qint64 entry = 0;
    };
    virtual ~FileChooser() = default;
    // The file to save into, the suggested one first; empty when the user cancels.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& suggested) = 0;
    // What to load: one of the offered (the journal's entries, newest first) or any file;
    // none when the user cancels.
    virtual std::optional<Choice> loadFile(QWidget* parent, const QString& title,
                                           const std::vector<Choice>& offered) = 0;
};

// The real thing: a list of the offered files, then the file dialog.
class DialogChooser : public FileChooser {
public:
    explicit DialogChooser(config::Language language) : language_(language) {}
    QString saveFile(QWidget* parent, const QString& title, const QString& suggested) override;
    std::optional<Choice> loadFile(QWidget* parent, const QString& title,
                                   const std::vector<Choice>& offered) override;

private:
    config::Language language_;
};

class ConfigMenu : public QObject {
    Q_OBJECT
public:
    // asRead: the image as read at start, kept by the wizard. historyDir: the data folder that
    // holds the journal of writes; empty records and offers none. history: the server the
    // journal is shared on, and the station's name.
    ConfigMenu(MenuHost& host, CalibrationImage& image, const CalibrationImage& asRead,
               Prompter& prompter, const ResourceModule& module, QString historyDir,
               config::HistoryChoice history = {});
    ~ConfigMenu() override;

    // The menu the wizard's button opens.
    QMenu* menu() const { return menu_.get(); }

    void save();
    void load();
    // Loads a journal entry's settings into the pages, as Load does when it is chosen there.
    void loadEntry(const config::JournalEntry& entry);
    void showChanges();
    // Opens the journal in a window of its own, beside the wizard; an entry chosen there loads
    // as Load takes it.
    void showHistory();
    // The window showHistory opened; null before.
    HistoryWindow* historyWindow() const { return historyWindow_.get(); }
    // For a wizard that edits a file without a controller: offers Open configuration... first,
    // and Load and Show changes speak of the file instead of the controller.
    void editFiles();
    // Chooses another file for such a wizard to edit.
    void open();
    // Records in the journal, as pending, that the image is about to be written. Empty when
    // done (or when there is no journal), otherwise why not, for the user.
    QString beginWrite();
    // Completes the entry beginWrite made with what came of the write; returns as beginWrite.
    QString completeWrite(config::Outcome outcome);

    std::unique_ptr<FileChooser> chooser;
    config::Language language() const { return language_; }

signals:
    // A file's settings went into the pages.
    void loaded();
    // Open configuration... chose a file.
    void opening(const QString& path);

private:
    // A text of the menu in its language (a source marked with QT_TRANSLATE_NOOP).
    QString text(const char* source) const;
    QString notLoadedText() const;
    // The settings read into the pages, unless the file does not read or fit this controller;
    // loaded names what they came from, and the user is told what changed.
    void take(const config::ReadResult& read, const QString& loaded);
    // The journal, opened on first use (and tried again after a failure); null when there is
    // none. problem: why not, or what could not be taken in from earlier versions' files.
    config::Journal* journal(QString* problem);

    MenuHost& host_;
    CalibrationImage& image_;
    const CalibrationImage& asRead_;
    Prompter& prompter_;
    config::Language language_;
    QString historyDir_;
    config::HistoryChoice history_;
    std::unique_ptr<config::Journal> journal_;
    // The station's own journal beside the shared one, for the history window.
    std::unique_ptr<config::Journal> stationJournal_;
    std::optional<qint64> pending_;
    CalibrationImage writing_;
    // What the last write left on the controller; until one, the image as read.
    std::optional<CalibrationImage> held_;
    std::unique_ptr<QMenu> menu_;
    bool editingFile_ = false;
    // Last: it shows the journals above.
    std::unique_ptr<HistoryWindow> historyWindow_;
};
