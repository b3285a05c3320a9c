#pragma once

#include <memory>
#include <vector>

#include <QDialog>
#include <QSet>
#include <QString>
#include <QStringList>

#include "LinkProgress.h"
#include "Prompter.h"

class ControllerLink;
class LinkRunner;
class PortWatcher;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// The serial ports with what the last search of each gave: the user searches the one the
// controller is plugged into, or every port again. It knows no device: it shows rows and
// says what the user asked for.
class PortList : public QDialog {
    Q_OBJECT
public:
    struct Row {
        QString path;
        QString description;
        QString serialNumber;
        QString result;
    };
    // How the list closed: back to the message it was opened from, every port to be searched
    // again, or a controller found (by search()'s handler, which closes it so).
    enum Result { Back = QDialog::Rejected, SearchAll = 2, Found = 3 };

    explicit PortList(QWidget* parent = nullptr);

    // The rows in order; the port chosen stays chosen while it is listed.
    void setRows(const std::vector<Row>& rows);
    // The port chosen, empty when none is.
    QString chosen() const;

signals:
    // The user asked for this port to be searched.
    void search(const QString& path);

private:
    void updateButtons();

    QTreeWidget* ports_ = nullptr;
    QLabel* none_ = nullptr;
    QPushButton* searchOne_ = nullptr;
};

// What follows a search that found no controller: message 103, which also leads to the port
// list. While either is open, ports are watched: one plugged in is searched by itself, and one
// pulled out leaves the list.
class PortChooser {
public:
    enum class Outcome { Retry, Cancel, Found };

    PortChooser(ControllerLink& link, LinkRunner& runner, Prompter& prompter, QWidget* owner);
    ~PortChooser();
    PortChooser(const PortChooser&) = delete;
    PortChooser& operator=(const PortChooser&) = delete;

    // Asks once the link's search found nothing; detail is what its ports gave. Found: a port
    // searched alone holds the controller, and the link is connected to it.
    Outcome ask(const QString& detail);

private:
    // Shows the list until the user goes back, searches all or a controller is found.
    PortList::Result showList();
    void portsChanged(const QStringList& added, const QStringList& removed);
    // Searches each port alone, in order, until one holds the controller.
    bool searchEach(const QStringList& paths);
    // Shows the ports and their results in whichever of the message and the list is open.
    void refresh();
    std::vector<PortList::Row> rows() const;
    QString detail() const;

    ControllerLink& link_;
    LinkRunner& runner_;
    Prompter& prompter_;
    QWidget* owner_;
    std::unique_ptr<PortWatcher> watcher_;  // null when the link has no ports to watch
    QString detail_;
    // What each port searched gave, the first search's ports first, the ports searched alone
    // since after them.
    std::vector<PortOutcome> outcomes_;
    QSet<QString> searching_;
    Prompter::OpenQuestion* question_ = nullptr;
    PortList* list_ = nullptr;
    bool found_ = false;
};
