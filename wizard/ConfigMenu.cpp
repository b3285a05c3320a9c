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
#include "Mnemonics.h"
#include "PageBook.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "SqliteJournal.h"

namespace {

QString filter(config::Language language) {
    return language == config::Language::Chinese
               ? QStringLiteral("配置文件 (*.trncfg);;所有文件 (*)")
               : QStringLiteral("Configuration files (*.trncfg);;All files (*)");
}
}  // namespace

QString DialogChooser::saveFile(QWidget* parent, const QString& title, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, title, suggested, filter(language_));
}

std::optional<FileChooser::Choice> DialogChooser::loadFile(QWidget* parent, const QString& title,
                                                           const std::vector<Choice>& offered) {
    const QString other = language_ == config::Language::Chinese ? QStringLiteral("其他文件...")
                                                                 : QStringLiteral("Other file...");
    if (!offered.empty()) {
        QStringList items;
        for (const Choice& c : offered) items << c.label;
        items << other;
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(language_ == config::Language::Chinese
                                ? QStringLiteral("写入此控制器的历史记录（最新在前）：")
                                : QStringLiteral("Written to this controller (newest first):"));
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
    menu_->addAction(text("&Save configuration...", "保存配置(&S)..."), this, &ConfigMenu::save);
    menu_->addAction(text("&Load configuration...", "载入配置(&L)..."), this, &ConfigMenu::load);
    menu_->addAction(text("Show &changes...", "显示更改(&C)..."), this, &ConfigMenu::showChanges);
}

ConfigMenu::~ConfigMenu() = default;

void ConfigMenu::editFiles() {
    if (editingFile_)
        return;
    editingFile_ = true;
    auto* item = new QAction(text("Open configuration...", "打开配置..."), menu_.get());
    connect(item, &QAction::triggered, this, &ConfigMenu::open);
    menu_->insertAction(menu_->actions().value(0), item);
}

void ConfigMenu::open() {
    if (host_.busy())
        return;
    const std::optional<FileChooser::Choice> choice =
        chooser->loadFile(host_.window(), text("Open configuration", "打开配置"), {});
    if (choice && !choice->path.isEmpty())
        emit opening(choice->path);
}

QString ConfigMenu::text(const char* english, const char* chinese) const {
    return QString::fromUtf8(language_ == config::Language::Chinese ? chinese : english);
}

void ConfigMenu::save() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QString suggested = QDir::home().filePath(config::unitFileName(image_));
    const QString path =
        chooser->saveFile(host_.window(), text("Save configuration", "保存配置"), suggested);
    if (path.isEmpty())
        return;
    const QString file = config::ConfigFile::write(
        image_, {QDateTime::currentDateTime(), config::programText()}, language_);
    if (auto failure = config::saveText(path, file))
        prompter_.tell(failure->text(language_));
}

QString ConfigMenu::outcomeText(config::Outcome outcome) const {
    switch (outcome) {
        case config::Outcome::Pending:
            return text("not finished", "未完成");
        case config::Outcome::Verified:
            return text("written and verified", "已写入并校验");
        case config::Outcome::Differs:
            return text("read back differs", "回读不一致");
        case config::Outcome::Failed:
            return text("write failed", "写入失败");
        case config::Outcome::ReplyLost:
            return text("reply lost, read back as written", "应答丢失，回读与写入一致");
        case config::Outcome::NotVerified:
            return text("written, not verified", "已写入，未校验");
        case config::Outcome::Refused:
            return text("refused, nothing written", "已拒绝，未写入");
    }
    return {};
}

config::Journal* ConfigMenu::journal(QString* problem) {
    if (journal_ || historyDir_.isEmpty())
        return journal_.get();
    config::Message failure{};
    std::vector<config::SqliteJournal::Skipped> skipped;
    journal_ = config::openJournal(historyDir_, history_, &failure, &skipped);
    QStringList lines;
    if (!journal_)
        lines << text("The journal of writes cannot be opened: %1", "无法打开写入日志：%1")
                     .arg(failure.text(language_));
    for (const config::SqliteJournal::Skipped& s : skipped)
        lines << text("Not taken into the journal: %1: %2", "未导入日志：%1：%2")
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
            problem = text("The journal of writes cannot be read: %1", "无法读取写入日志：%1")
                          .arg(failure->text(language_));
        for (const config::JournalEntry& e : entries)
            offered.push_back(
                {QStringLiteral("#%1  %2  %3")
                     .arg(QString::number(e.id),
                          e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                          outcomeText(e.outcome)),
                 {},
                 e.id});
    }
    if (!problem.isEmpty())
        prompter_.tell(problem);
    const std::optional<FileChooser::Choice> choice =
        chooser->loadFile(host_.window(), text("Load configuration", "载入配置"), offered);
    if (!choice)
        return;

    const QString notLoaded = text("The configuration was not loaded.\n\n%1", "未载入配置。\n\n%1");
    config::ReadResult read;
    QString loaded = QDir::toNativeSeparators(choice->path);
    if (choice->entry != 0) {
        config::JournalEntry e;
        const std::optional<config::Message> failure =
            journal_ ? journal_->entry(choice->entry, &e)
                     : config::Message{config::Message::Kind::Unreadable,
                                       0,
                                       {historyDir_, QCoreApplication::translate(
                                                         "Wizard", "the journal is not open")}};
        if (failure) {
            prompter_.tell(notLoaded.arg(failure->text(language_)));
            return;
        }
        // Through a file's text, so that an entry loads exactly as a file made from it would.
        read = config::ConfigFile::parse(e.fileText(language_));
        loaded = text("journal entry #%1", "日志记录 #%1").arg(e.id);
    } else {
        read = config::ConfigFile::load(choice->path);
    }
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

    QStringList lines{(editingFile_ ? text("Loaded %1. Finish saves it to the file.",
                                           "已载入 %1。按“完成”保存到文件。")
                                    : text("Loaded %1. Finish writes it to the controller.",
                                           "已载入 %1。按“完成”写入控制器。"))
                          .arg(loaded)};
    const QStringList changed =
        config::changeLines(config::changes(before, image_, language_), language_);
    lines << (changed.isEmpty() ? text("No setting changed.", "没有设置被更改。")
                                : changed.join(QLatin1Char('\n')));
    for (const Adjustment& adjustment : applied.adjustments)
        lines << adjustment.text(image_, language_);
    emit ConfigMenu::loaded();
    prompter_.tell(lines.join(QStringLiteral("\n\n")));
}

void ConfigMenu::showChanges() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QStringList lines =
        config::changeLines(config::changes(asRead_, image_, language_), language_);
    if (lines.isEmpty()) {
        prompter_.tell(
            editingFile_ ? text("No setting differs from the file.", "与文件相比，没有设置被更改。")
                         : text("No setting differs from the controller as it was read.",
                                "与读取时的控制器相比，没有设置被更改。"));
        return;
    }
    prompter_.tell((editingFile_ ? text("Changed from the file:", "与文件相比的更改：")
                                 : text("Changed since the controller was read:",
                                        "自读取控制器以来的更改：")) +
                   QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
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
               text("The write was not recorded in the journal: %1", "此次写入未记入日志：%1")
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
        return text("The outcome of the write was not recorded in the journal: %1",
                    "此次写入的结果未记入日志：%1")
            .arg(failure->text(language_));
    // Kept at this station, the entry is not lost; the user is told that it waits.
    if (const config::Journal::Sharing sharing = journal_->sharing(); sharing.waiting > 0)
        return text(
                   "%1 journal entries wait at this station to be shared with %2; they are "
                   "sent when it is back. %3",
                   "%1 条日志记录保存在本工位，等待与 %2 共享；服务器恢复后即发送。%3")
            .arg(sharing.waiting)
            .arg(history_.server ? history_.server->text() : QString(), sharing.why);
    return {};
}
