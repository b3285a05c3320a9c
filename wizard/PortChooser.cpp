#include "PortChooser.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ControllerLink.h"
#include "ControllerPorts.h"
#include "LinkRunner.h"
#include "Mnemonics.h"
#include "ModuleIds.h"
#include "PortWatcher.h"

namespace {

enum Column { ColumnPort, ColumnDescription, ColumnSerial, ColumnResult, Columns };

QString text(const char* source) {
    return QCoreApplication::translate("PortList", source);
}

}  // namespace

PortList::PortList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("portList"));
    setWindowTitle(text(QT_TRANSLATE_NOOP("PortList", "Serial ports")));
    setSizeGripEnabled(true);

    auto* intro = new QLabel(
        text(QT_TRANSLATE_NOOP("PortList",
                               "No controller answered. Choose the port that the controller's "
                               "cable is plugged into and search it, or search every port "
                               "again. An adapter plugged in while this list is open is "
                               "searched at once.")),
        this);
    intro->setWordWrap(true);

    ports_ = new QTreeWidget(this);
    ports_->setObjectName(QStringLiteral("ports"));
    ports_->setAccessibleName(text(QT_TRANSLATE_NOOP("PortList", "Serial ports")));
    ports_->setRootIsDecorated(false);
    ports_->setUniformRowHeights(true);
    ports_->setAllColumnsShowFocus(true);
    ports_->setSelectionMode(QAbstractItemView::SingleSelection);
    ports_->setHeaderLabels({text(QT_TRANSLATE_NOOP("PortList", "Port")),
                             text(QT_TRANSLATE_NOOP("PortList", "Description")),
                             text(QT_TRANSLATE_NOOP("PortList", "Serial number")),
                             text(QT_TRANSLATE_NOOP("PortList", "Last search"))});
    ports_->header()->setStretchLastSection(true);
    auto* label = new QLabel(text(QT_TRANSLATE_NOOP("PortList", "&Ports:")), this);
    label->setBuddy(ports_);

    none_ = new QLabel(text(QT_TRANSLATE_NOOP("PortList",
                                              "No serial port is there. Plug the adapter in: it "
                                              "is searched as soon as it appears.")),
                       this);
    none_->setWordWrap(true);
    none_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    searchOne_ = buttons->addButton(text(QT_TRANSLATE_NOOP("PortList", "&Search this port")),
                                    QDialogButtonBox::ActionRole);
    searchOne_->setObjectName(QStringLiteral("searchOne"));
    QPushButton* searchAll = buttons->addButton(
        text(QT_TRANSLATE_NOOP("PortList", "Search &all ports")), QDialogButtonBox::ActionRole);
    searchAll->setObjectName(QStringLiteral("searchAll"));
    searchOne_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(label);
    layout->addWidget(ports_, 1);
    layout->addWidget(none_);
    layout->addWidget(buttons);
    mnemonic::giveButtons(this);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(searchAll, &QPushButton::clicked, this, [this] { done(SearchAll); });
    const auto searchChosen = [this] {
        if (!chosen().isEmpty())
            emit search(chosen());
    };
    connect(searchOne_, &QPushButton::clicked, this, searchChosen);
    connect(ports_, &QTreeWidget::itemActivated, this, searchChosen);
    connect(ports_, &QTreeWidget::itemSelectionChanged, this, &PortList::updateButtons);

    // Room for a device path, a product name and a result without scrolling.
    const int character = fontMetrics().averageCharWidth();
    resize(character * 140, fontMetrics().height() * 20);
    ports_->setFocus();
    updateButtons();
}

void PortList::setRows(const std::vector<Row>& rows) {
    const QString before = chosen();
    ports_->clear();
    QTreeWidgetItem* keep = nullptr;
    for (const Row& row : rows) {
        const QStringList cells{row.path, row.description, row.serialNumber, row.result};
        auto* item = new QTreeWidgetItem(ports_, cells);
        // A narrow window cuts long texts short; the whole text is a hover away.
        for (int column = 0; column < Columns; ++column) item->setToolTip(column, cells[column]);
        if (row.path == before)
            keep = item;
    }
    if (keep == nullptr && ports_->topLevelItemCount() > 0)
        keep = ports_->topLevelItem(0);
    if (keep != nullptr)
        ports_->setCurrentItem(keep);
    for (int column = 0; column < Columns - 1; ++column) ports_->resizeColumnToContents(column);
    none_->setVisible(rows.empty());
    updateButtons();
}

QString PortList::chosen() const {
    const QList<QTreeWidgetItem*> selected = ports_->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(ColumnPort);
}

void PortList::updateButtons() {
    searchOne_->setEnabled(!chosen().isEmpty());
}

PortChooser::PortChooser(ControllerLink& link, LinkRunner& runner, Prompter& prompter,
                         QWidget* owner)
    : link_(link), runner_(runner), prompter_(prompter), owner_(owner) {
    if (link_.portSystem == nullptr)
        return;
    watcher_ = std::make_unique<PortWatcher>(*link_.portSystem);
    QObject::connect(watcher_.get(), &PortWatcher::changed, watcher_.get(),
                     [this](const QStringList& added, const QStringList& removed) {
                         portsChanged(added, removed);
                     });
}

PortChooser::~PortChooser() = default;

PortChooser::Outcome PortChooser::ask(const QString& detail) {
    detail_ = detail;
    outcomes_ = link_.searchOutcomes;
    found_ = false;
    if (watcher_)
        watcher_->start(link_.portNames);
    const Prompter::Watching watching{text(QT_TRANSLATE_NOOP("PortList", "Choose a &port...")),
                                      [this](Prompter::OpenQuestion& open) { question_ = &open; }};
    Outcome outcome = Outcome::Cancel;
    for (;;) {
        const Prompter::Answer answer = prompter_.askWatching(
            module::MsgNoController, Prompter::Buttons::RetryCancel, this->detail(), watching);
        question_ = nullptr;
        if (found_) {
            outcome = Outcome::Found;
            break;
        }
        if (answer == Prompter::Answer::Other) {
            const PortList::Result shown = showList();
            if (shown == PortList::Back)
                continue;
            outcome = shown == PortList::Found ? Outcome::Found : Outcome::Retry;
            break;
        }
        outcome = answer == Prompter::Answer::Retry ? Outcome::Retry : Outcome::Cancel;
        break;
    }
    // Searching every port again covers whatever was plugged in meanwhile.
    if (watcher_)
        watcher_->stop();
    return outcome;
}

PortList::Result PortChooser::showList() {
    PortList list(owner_);
    list.setRows(rows());
    // During start-up the wizard is not shown yet: the list goes where it will be.
    list.move(LinkRunner::centredOn(owner_, list.size()));
    QObject::connect(&list, &PortList::search, &list, [this, &list](const QString& path) {
        if (runner_.running())
            return;
        if (searchEach({path}))
            list.done(PortList::Found);
        else
            refresh();
    });
    list_ = &list;
    const int result = list.exec();
    list_ = nullptr;
    return found_ ? PortList::Found : static_cast<PortList::Result>(result);
}

void PortChooser::portsChanged(const QStringList& added, const QStringList& removed) {
    // The search of every port runs without the watcher; a search of one port pauses it.
    if (runner_.running())
        return;
    std::erase_if(outcomes_, [&removed](const PortOutcome& o) { return removed.contains(o.port); });
    if (!added.isEmpty() && searchEach(added)) {
        if (question_ != nullptr)
            question_->end(Prompter::Answer::Cancel);
        if (list_ != nullptr)
            list_->done(PortList::Found);
        return;
    }
    refresh();
}

bool PortChooser::searchEach(const QStringList& paths) {
    const bool paused = watcher_ && watcher_->paused();
    if (watcher_)
        watcher_->setPaused(true);
    for (const QString& path : paths) {
        searching_ = {path};
        refresh();
        const bool connected = runner_.run([this, &path] { return link_.ConnectPort(path); });
        searching_.clear();
        for (const PortOutcome& o : link_.searchOutcomes) {
            const auto same = std::find_if(outcomes_.begin(), outcomes_.end(),
                                           [&o](const PortOutcome& p) { return p.port == o.port; });
            if (same != outcomes_.end())
                *same = o;
            else
                outcomes_.push_back(o);
        }
        if (connected) {
            found_ = true;
            break;
        }
    }
    if (watcher_)
        watcher_->setPaused(paused);
    return found_;
}

void PortChooser::refresh() {
    if (question_ != nullptr)
        question_->setDetail(detail());
    if (list_ != nullptr)
        list_->setRows(rows());
}

std::vector<PortList::Row> PortChooser::rows() const {
    const auto resultOf = [this](const QString& path) {
        if (searching_.contains(path))
            return text(QT_TRANSLATE_NOOP("PortList", "being searched..."));
        for (const PortOutcome& o : outcomes_)
            if (o.port == path)
                return o.result();
        return text(QT_TRANSLATE_NOOP("PortList", "not searched yet"));
    };
    std::vector<PortList::Row> rows;
    if (watcher_) {
        for (const PortDescription& port : watcher_->ports())
            rows.push_back({port.path, port.description, port.serialNumber, resultOf(port.path)});
        return rows;
    }
    for (const PortOutcome& o : outcomes_) rows.push_back({o.port, {}, {}, o.result()});
    return rows;
}

QString PortChooser::detail() const {
    if (outcomes_.empty())
        return detail_;
    QStringList lines;
    for (const PortOutcome& o : outcomes_) lines << o.text();
    return lines.join(QLatin1Char('\n'));
}
