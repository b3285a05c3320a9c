#pragma once
// The wizard's configuration menu: save the image to a file, load a file's settings (the
// history of writes offered first), and list what changed since the controller was read.

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "Settings.h"

class CalibrationImage;
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
    struct Choice {
        QString label;
        QString path;
    };
    virtual ~FileChooser() = default;
    // The file to save into, the suggested one first; empty when the user cancels.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& suggested) = 0;
    // The file to load: one of the offered ones (the history, newest first) or any other;
    // empty when the user cancels.
    virtual QString loadFile(QWidget* parent, const QString& title,
                             const std::vector<Choice>& offered) = 0;
};

// The real thing: a list of the offered files, then the file dialog.
class DialogChooser : public FileChooser {
public:
    explicit DialogChooser(config::Language language) : language_(language) {}
    QString saveFile(QWidget* parent, const QString& title, const QString& suggested) override;
    QString loadFile(QWidget* parent, const QString& title,
                     const std::vector<Choice>& offered) override;

private:
    config::Language language_;
};

class ConfigMenu : public QObject {
    Q_OBJECT
public:
    // asRead: the image as read at start, kept by the wizard. historyDir: where writes are
    // recorded; empty records and offers none.
    ConfigMenu(MenuHost& host, CalibrationImage& image, const CalibrationImage& asRead,
               Prompter& prompter, const ResourceModule& module, QString historyDir);
    ~ConfigMenu() override;

    // The menu the wizard's button opens.
    QMenu* menu() const { return menu_.get(); }

    void save();
    void load();
    void showChanges();
    // Records the image just written in the history; empty when done (or when there is no
    // history), otherwise why not, for the user.
    QString recordWrite();

    std::unique_ptr<FileChooser> chooser;

signals:
    // A file's settings went into the pages.
    void loaded();

private:
    QString text(const char* english, const char* chinese) const;

    MenuHost& host_;
    CalibrationImage& image_;
    const CalibrationImage& asRead_;
    Prompter& prompter_;
    config::Language language_;
    QString historyDir_;
    std::unique_ptr<QMenu> menu_;
};
