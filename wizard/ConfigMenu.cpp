#include "ConfigMenu.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "History.h"
#include "PageBook.h"
#include "Prompter.h"
#include "ResourceModule.h"

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

QString DialogChooser::loadFile(QWidget* parent, const QString& title,
                                const std::vector<Choice>& offered) {
    const QString other = language_ == config::Language::Chinese ? QStringLiteral("其他文件...")
                                                                 : QStringLiteral("Other file...");
    if (!offered.empty()) {
        QStringList items;
        for (const Choice& c : offered) items << c.label;
        items << other;
        bool ok = false;
        const QString label = QInputDialog::getItem(
            parent, title,
            language_ == config::Language::Chinese
                ? QStringLiteral("写入此控制器的历史记录（最新在前）：")
                : QStringLiteral("Written to this controller (newest first):"),
            items, 0, false, &ok);
        if (!ok)
            return {};
        for (const Choice& c : offered)
            if (c.label == label)
                return c.path;
    }
    return QFileDialog::getOpenFileName(parent, title, QDir::homePath(), filter(language_));
}

ConfigMenu::ConfigMenu(MenuHost& host, CalibrationImage& image, const CalibrationImage& asRead,
                       Prompter& prompter, const ResourceModule& module, QString historyDir)
    : host_(host),
      image_(image),
      asRead_(asRead),
      prompter_(prompter),
      language_(module.isChinese() ? config::Language::Chinese : config::Language::English),
      historyDir_(std::move(historyDir)),
      menu_(std::make_unique<QMenu>()) {
    chooser = std::make_unique<DialogChooser>(language_);
    menu_->addAction(text("Save configuration...", "保存配置..."), this, &ConfigMenu::save);
    menu_->addAction(text("Load configuration...", "载入配置..."), this, &ConfigMenu::load);
    menu_->addAction(text("Show changes...", "显示更改..."), this, &ConfigMenu::showChanges);
}

ConfigMenu::~ConfigMenu() = default;

QString ConfigMenu::text(const char* english, const char* chinese) const {
    return QString::fromUtf8(language_ == config::Language::Chinese ? chinese : english);
}

void ConfigMenu::save() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QString model = image_.text(Field::Model, Field::ModelLength).trimmed();
    const QString serial = serialText(image_);
    const QString suggested = QDir::home().filePath(
        QStringLiteral("%1-%2.trncfg")
            .arg(model.isEmpty() ? QStringLiteral("controller") : model, serial));
    const QString path =
        chooser->saveFile(host_.window(), text("Save configuration", "保存配置"), suggested);
    if (path.isEmpty())
        return;
    const QString file = config::ConfigFile::write(
        image_, {QDateTime::currentDateTime(), config::programText()}, language_);
    if (auto failure = config::saveText(path, file))
        prompter_.tell(failure->text(language_));
}

void ConfigMenu::load() {
    if (host_.busy())
        return;
    std::vector<FileChooser::Choice> offered;
    if (!historyDir_.isEmpty()) {
        for (const config::History::Entry& e : config::History(historyDir_).entries(image_)) {
            const QString when =
                e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            offered.push_back(
                {e.sequence > 1 ? QStringLiteral("%1 (%2)").arg(when).arg(e.sequence) : when,
                 e.path});
        }
    }
    const QString path =
        chooser->loadFile(host_.window(), text("Load configuration", "载入配置"), offered);
    if (path.isEmpty())
        return;

    const QString notLoaded = text("The configuration was not loaded.\n\n%1", "未载入配置。\n\n%1");
    config::ReadResult read = config::ConfigFile::load(path);
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
        text("Loaded %1. Finish writes it to the controller.", "已载入 %1。按“完成”写入控制器。")
            .arg(QDir::toNativeSeparators(path))};
    const QStringList changed =
        config::changeLines(config::changes(before, image_, language_), language_);
    lines << (changed.isEmpty() ? text("No setting changed.", "没有设置被更改。")
                                : changed.join(QLatin1Char('\n')));
    for (const Adjustment& adjustment : applied.adjustments)
        lines << adjustment.text(image_, language_);
    emit loaded();
    prompter_.tell(lines.join(QStringLiteral("\n\n")));
}

void ConfigMenu::showChanges() {
    if (host_.busy())
        return;
    host_.pages().rewrite({});
    const QStringList lines =
        config::changeLines(config::changes(asRead_, image_, language_), language_);
    if (lines.isEmpty()) {
        prompter_.tell(text("No setting differs from the controller as it was read.",
                            "与读取时的控制器相比，没有设置被更改。"));
        return;
    }
    prompter_.tell(text("Changed since the controller was read:", "自读取控制器以来的更改：") +
                   QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
}

QString ConfigMenu::recordWrite() {
    if (historyDir_.isEmpty())
        return {};
    const auto failure =
        config::History(historyDir_)
            .save(image_, {QDateTime::currentDateTime(), config::programText()}, language_);
    if (!failure)
        return {};
    return text("The write was not recorded in the history: %1", "此次写入未记入历史：%1")
        .arg(failure->text(language_));
}
