#include "ConfigMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "HistoryWindow.h"
#include "Mnemonics.h"
#include "PageBook.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "SqliteJournal.h"
#include "Texts.h"

namespace {

QString filter(config::Language language) {
    return config::translated(
        language, "ConfigMenu",
        QT_TRANSLATE_NOOP("ConfigMenu", "Configuration files (*.trncfg);;All files (*)"));
}
}  // namespace

QString DialogChooser::saveFile(QWidget* parent, const QString& title, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter(language_));
}

std::optional<FileChooser::Choice> DialogChooser::loadFile(QWidget* parent, const QString& title,
                                                           const std::vector<Choice>& offered) {
    const QString other = config::translated(language_, "ConfigMenu",
                                             QT_TRANSLATE_NOOP("ConfigMenu", "Other file..."));
    if (!offered.empty()) {
        QStringList items;
        for (const Choice& c : offered) items << c.label;
        items << other;
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(config::translated(
            language_, "ConfigMenu",
            QT_TRANSLATE_NOOP("ConfigMenu", "Written to this controller (newest first):")));
        dialog.setComboBoxItems(items);
        dialog.setComboBoxEditable(false);
        dialog.show();  // builds the buttons, which then get their mnemonics
        mnemonic::giveButtons(&dialog);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QString label = dialog.textValue();
        for (const Choice& c : offered)
            if (c.label == label)
                return c;
    }
    const QString path =
        QFileDialog::getOpenFileName(parent, title, QDir::homePath(), filter(language_));
    if (path.isEmpty())
        return std::nullopt;
    return Choice{{}, path};
}

ConfigMenu::ConfigMenu(MenuHost& host, CalibrationImage& image, const CalibrationImage& asRead,
                       Prompter& prompter, const ResourceModule& module, QString historyDir,
                       config::HistoryChoice history)
    : host_(host),
      image_(image),
      asRead_(asRead),
      prompter_(prompter),
      language_(module.isChinese() ? config::Language::Chinese : config::Language::English),
      historyDir_(std::move(historyDir)),
      history_(std::move(history)),
      menu_(std::make_unique<QMenu>()) {
    chooser = std::make_unique<DialogChooser>(language_);
    menu_->addAction(text(QT_TRANSLATE_NOOP("ConfigMenu", "&Save configuration...")), this,
                     &ConfigMenu::save);
    menu_->addAction(text(QT_TRANSLATE_NOOP("ConfigMenu", "&Load configuration...")), this,
                     &ConfigMenu::load);
    menu_->addAction(text(QT_TRANSLATE_NOOP("ConfigMenu", "Show &changes...")), this,
                     &ConfigMenu::showChanges);
    // Only a wizard that keeps a journal has one to show.
    if (!historyDir_.isEmpty())
        menu_->addAction(text(QT_TRANSLATE_NOOP("ConfigMenu", "&History...")), this,
                         &ConfigMenu::showHistory);
}

ConfigMenu::~ConfigMenu() = default;

void ConfigMenu::editFiles() {
    if (editingFile_)
        return;
    editingFile_ = true;
    auto* item =
        new QAction(text(QT_TRANSLATE_NOOP("ConfigMenu", "&Open configuration...")), menu_.get());
    connect(item, &QAction::triggered, this, &ConfigMenu::open);
    menu_->insertAction(menu_->actions().value(0), item);
}

void ConfigMenu::open() {
    if (host_.busy())
        return;
    const std::optional<FileChooser::Choice> choice = chooser->loadFile(
        host_.window(), text(QT_TRANSLATE_NOOP("ConfigMenu", "Open configuration")), {});
    if (choice && !choice->path.isEmpty())
        emit opening(choice->path);
}

QString ConfigMenu::text(const char* source) const {
    return config::translated(language_, "ConfigMenu", source);
}

void ConfigMenu::save() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QString suggested = QDir::home().filePath(config::unitFileName(image_));
    const QString path = chooser->saveFile(
        host_.window(), text(QT_TRANSLATE_NOOP("ConfigMenu", "Save configuration")), suggested);
    if (path.isEmpty())
        return;
    const QString file = config::ConfigFile::write(
        image_, {QDateTime::currentDateTime(), config::programText()}, language_);
    if (auto failure = config::saveText(path, file))
        prompter_.tell(failure->text(language_));
}

config::Journal* ConfigMenu::journal(QString* problem) {
    if (journal_ || historyDir_.isEmpty())
        return journal_.get();
    config::Message failure{};
    std::vector<config::SqliteJournal::Skipped> skipped;
    journal_ = config::openJournal(historyDir_, history_, &failure, &skipped);
    QStringList lines;
    if (!journal_)
        lines << text(QT_TRANSLATE_NOOP("ConfigMenu", "The journal of writes cannot be opened: %1"))
                     .arg(failure.text(language_));
    for (const config::SqliteJournal::Skipped& s : skipped)
        lines << text(QT_TRANSLATE_NOOP("ConfigMenu", "Not taken into the journal: %1: %2"))
                     .arg(QDir::toNativeSeparators(s.path), s.why.text(language_));
    *problem = lines.join(QLatin1Char('\n'));
    return journal_.get();
}

void ConfigMenu::load() {
    if (host_.busy())
        return;
    std::vector<FileChooser::Choice> offered;
    QString problem;
    if (config::Journal* journal = this->journal(&problem)) {
        std::vector<config::JournalEntry> entries;
        if (auto failure = journal->entries(config::unitName(image_), &entries))
            problem =
                text(QT_TRANSLATE_NOOP("ConfigMenu", "The journal of writes cannot be read: %1"))
                    .arg(failure->text(language_));
        for (const config::JournalEntry& e : entries)
            offered.push_back(
                {QStringLiteral("#%1  %2  %3")
                     .arg(QString::number(e.id),
                          e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                          config::outcomeText(e.outcome, language_)),
                 {},
                 e.id});
    }
    if (!problem.isEmpty())
        prompter_.tell(problem);
    const std::optional<FileChooser::Choice> choice = chooser->loadFile(
        host_.window(), text(QT_TRANSLATE_NOOP("ConfigMenu", "Load configuration")), offered);
    if (!choice)
        return;

    if (choice->entry == 0) {
        take(config::ConfigFile::load(choice->path), QDir::toNativeSeparators(choice->path));
        return;
    }
    config::JournalEntry e;
    const std::optional<config::Message> failure =
        journal_
            ? journal_->entry(choice->entry, &e)
            : config::Message{
                  config::Message::Kind::Unreadable,
                  0,
                  {historyDir_, QCoreApplication::translate("Wizard", "the journal is not open")}};
    if (failure) {
        prompter_.tell(notLoadedText().arg(failure->text(language_)));
        return;
    }
    loadEntry(e);
}

QString ConfigMenu::notLoadedText() const {
    return text(QT_TRANSLATE_NOOP("ConfigMenu", "The configuration was not loaded.\n\n%1"));
}

void ConfigMenu::loadEntry(const config::JournalEntry& e) {
    if (host_.busy())
        return;
    // Through a file's text, so that an entry loads exactly as a file made from it would.
    take(config::ConfigFile::parse(e.fileText(language_)),
         text(QT_TRANSLATE_NOOP("ConfigMenu", "journal entry #%1")).arg(e.id));
}

void ConfigMenu::take(const config::ReadResult& read, const QString& loaded) {
    const QString notLoaded = notLoadedText();
    if (!read.ok()) {
        prompter_.tell(notLoaded.arg(read.error->text(language_)));
        return;
    }
    // Refused before any page moves, so that a refused file leaves everything as it was.
    if (auto refused = config::refusal(read.file->image(), image_)) {
        prompter_.tell(notLoaded.arg(refused->text(language_)));
        return;
    }

    // What the pages show now is what the file's values are compared with.
    PageBook& pages = host_.pages();
    pages.rewrite({});
    const CalibrationImage before = image_;
    const PageBook::Applied applied = pages.apply(*read.file);

    QStringList lines{
        (editingFile_
             ? text(QT_TRANSLATE_NOOP("ConfigMenu", "Loaded %1. Finish saves it to the file."))
             : text(QT_TRANSLATE_NOOP("ConfigMenu",
                                      "Loaded %1. Finish writes it to the controller.")))
            .arg(loaded)};
    const QStringList changed =
        config::changeLines(config::changes(before, image_, language_), language_);
    lines << (changed.isEmpty() ? text(QT_TRANSLATE_NOOP("ConfigMenu", "No setting changed."))
                                : changed.join(QLatin1Char('\n')));
    for (const Adjustment& adjustment : applied.adjustments)
        lines << adjustment.text(image_, language_);
    emit ConfigMenu::loaded();
    // Lines the pages did not take as written are worth a warning; the rest reports.
    if (applied.adjustments.empty())
        prompter_.inform(lines.join(QStringLiteral("\n\n")));
    else
        prompter_.tell(lines.join(QStringLiteral("\n\n")));
}

void ConfigMenu::showChanges() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QStringList lines =
        config::changeLines(config::changes(asRead_, image_, language_), language_);
    if (lines.isEmpty()) {
        prompter_.inform(
            editingFile_
                ? text(QT_TRANSLATE_NOOP("ConfigMenu", "No setting differs from the file."))
                : text(QT_TRANSLATE_NOOP(
                      "ConfigMenu", "No setting differs from the controller as it was read.")));
        return;
    }
    prompter_.inform((editingFile_ ? text(QT_TRANSLATE_NOOP("ConfigMenu", "Changed from the file:"))
                                   : text(QT_TRANSLATE_NOOP(
                                         "ConfigMenu", "Changed since the controller was read:"))) +
                     QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
}

void ConfigMenu::showHistory() {
    if (host_.busy())
        return;
    if (historyWindow_) {
        historyWindow_->applyFilters();  // what was written since shows too
        historyWindow_->show();
        historyWindow_->raise();
        historyWindow_->activateWindow();
        return;
    }
    QString problem;
    config::Journal* journal = this->journal(&problem);
    if (!journal) {
        prompter_.tell(problem);
        return;
    }
    HistorySources sources{journal, nullptr, {}};
    if (history_.server) {
        config::Message failure{};
        stationJournal_ = config::SqliteJournal::open(config::stationJournalFile(historyDir_),
                                                      &failure, {history_.station, {}});
        if (!stationJournal_) {
            prompter_.tell(
                text(QT_TRANSLATE_NOOP("ConfigMenu", "The journal of writes cannot be opened: %1"))
                    .arg(failure.text(language_)));
            return;
        }
        sources = {stationJournal_.get(), journal, history_.server->text()};
    }
    historyWindow_ = std::make_unique<HistoryWindow>(sources, *chooser, language_, host_.window());
    historyWindow_->offerLoading([this](const config::JournalEntry& e) { loadEntry(e); });
    // The unit on the pages first; the filter is the user's to widen.
    config::EntryQuery query;
    query.unit = config::unitName(image_);
    historyWindow_->setQuery(query);
    historyWindow_->show();
}

QString ConfigMenu::beginWrite() {
    pending_.reset();
    writing_ = image_;
    QString problem;
    config::Journal* journal = this->journal(&problem);
    qint64 id = 0;
    if (journal == nullptr)
        return problem;
    if (auto failure =
            journal->begin(held_.value_or(asRead_), writing_, config::programText(), &id))
        return (problem.isEmpty() ? QString() : problem + QLatin1Char('\n')) +
               text(
                   QT_TRANSLATE_NOOP("ConfigMenu", "The write was not recorded in the journal: %1"))
                   .arg(failure->text(language_));
    pending_ = id;
    return problem;
}

QString ConfigMenu::completeWrite(config::Outcome outcome) {
    if (outcome == config::Outcome::Verified || outcome == config::Outcome::ReplyLost ||
        outcome == config::Outcome::NotVerified)
        held_ = writing_;
    if (!pending_ || !journal_)
        return {};
    const qint64 id = *pending_;
    pending_.reset();
    if (auto failure = journal_->complete(id, outcome))
        return text(QT_TRANSLATE_NOOP(
                        "ConfigMenu",
                        "The outcome of the write was not recorded in the journal: %1"))
            .arg(failure->text(language_));
    // Kept at this station, the entry is not lost; the user is told that it waits.
    if (const config::Journal::Sharing sharing = journal_->sharing(); sharing.waiting > 0)
        return text(QT_TRANSLATE_NOOP(
                        "ConfigMenu",
                        "%1 journal entries wait at this station to be shared with %2; they are "
                        "sent when it is back. %3"))
            .arg(sharing.waiting)
            .arg(history_.server ? history_.server->text() : QString(), sharing.why);
    return {};
}
