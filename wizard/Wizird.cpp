#include "Wizird.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <span>

#include "CalibrationImage.h"
#include "Changes.h"
#include "ControllerLink.h"
#include "Controls.h"
#include "DefaultFile.h"
#include "HelpPages.h"
#include "ModuleIds.h"
#include "PortChooser.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "SettingsPage.h"
#include "WriteSession.h"

namespace {

// Controls of the wizard frame.
constexpr int IdNext = 1016;
constexpr int IdCancel = 1017;
constexpr int IdPrevious = 1018;
constexpr int IdHelp = 1020;
constexpr int IdUpgrade = 1022;
constexpr int IdFinish = 1026;
constexpr int IdContent = 1027;
constexpr int IdDefault = 1103;
constexpr int IdConfig = 1150;

// Strings of the language module.
using namespace module;

constexpr kit::Required FrameControls[] = {
    {IdNext, kit::Kind::Button},    {IdCancel, kit::Kind::Button},  {IdPrevious, kit::Kind::Button},
    {IdHelp, kit::Kind::Button},    {IdUpgrade, kit::Kind::Button}, {IdFinish, kit::Kind::Button},
    {IdDefault, kit::Kind::Button}, {IdContent, kit::Kind::Widget}, {IdConfig, kit::Kind::Button},
};

}  // namespace

QString Wizird::checkModule(const ResourceModule& module) {
    if (QString problem = kit::checkTemplate(module, Template, FrameControls); !problem.isEmpty())
        return problem;
    for (const PageKind& kind : pageCatalogue())
        if (QString problem = kit::checkTemplate(module, kind.templateId, kind.controls);
            !problem.isEmpty())
            return problem;
    return {};
}

QUrl Wizird::helpUrl() const {
    return helpPage(env_.programDir, env_.module.isChinese());
}

QUrl Wizird::supportedControllersUrl() const {
    return supportedControllersPage(env_.programDir, env_.module.isChinese());
}

Wizird::Wizird(WizardEnvironment environment, QWidget* parent)
    : QDialog(parent),
      env_(std::move(environment)),
      runner_(env_.link, this),
      pages_({env_.image, env_.prompter}),
      configMenu_(std::make_unique<ConfigMenu>(static_cast<MenuHost&>(*this), env_.image,
                                               imageAsRead, env_.prompter, env_.module,
                                               env_.historyDir, env_.history)) {
    connect(&pages_, &PageBook::refused, this, [this](const QString& field) { refused_ << field; });
    connect(&pages_, &PageBook::edited, this, [this] { unsaved_ = true; });
    connect(configMenu_.get(), &ConfigMenu::loaded, this, [this] { unsaved_ = true; });
    connect(configMenu_.get(), &ConfigMenu::opening, this, &Wizird::openFile);
    if (env_.file)
        configMenu_->editFiles();
}

Wizird::~Wizird() = default;

QWidget* Wizird::frameControl(int id) const {
    return findControl(form_, id);
}

SettingsPage* Wizird::page(unsigned number) const {
    return pages_.page(number);
}

void Wizird::endWizard(int resultCode) {
    closed_ = true;
    done(resultCode);
}

bool Wizird::buildFrame() {
    QString error;
    form_ = env_.module.createDialog(Template, this, &error);
    if (form_ == nullptr) {
        env_.prompter.tell(error);
        return false;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_);
    // The template's frame is drawn at one size; the window may be resized, no smaller than
    // the frame unless the screen is (placeWindow).
    if (form_->layout() != nullptr) {
        form_->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        // A fixed-size layout already applied has fixed the frame too.
        form_->setMinimumSize(0, 0);
        form_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    form_->show();
    setWindowTitle(form_->windowTitle());
    const QIcon icon = env_.module.icon(IconProgram);
    if (!icon.isNull())
        setWindowIcon(icon);

    // The module lacks a control the wizard needs: said, and the wizard does not start.
    const auto damaged = [this](const char* text, int id) {
        env_.prompter.tell(
            QCoreApplication::translate("Wizard", text).arg(env_.module.fileName()).arg(id));
        return false;
    };

    const struct {
        int id;
        void (Wizird::*handler)();
    } buttons[] = {
        {IdNext, &Wizird::OnNextButton},       {IdPrevious, &Wizird::OnPreviousButton},
        {IdFinish, &Wizird::OnFinishButton},   {IdCancel, &Wizird::OnCancelButton},
        {IdHelp, &Wizird::OnHelpButton},       {IdUpgrade, &Wizird::OnUpgradeButton},
        {IdDefault, &Wizird::OnDefaultButton}, {IdConfig, &Wizird::OnConfigButton},
    };
    for (const auto& b : buttons) {
        auto* button = findControl<QPushButton>(form_, b.id);
        if (button == nullptr)
            return damaged(QT_TRANSLATE_NOOP("Wizard",
                                             "The language module %1 is damaged: the wizard "
                                             "has no button %2."),
                           b.id);
        // Enter presses the button that has the focus, else the default one (Next or Finish),
        // which UpdateButtons chooses.
        button->setAutoDefault(true);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, b.handler);
    }

    QWidget* content = findControl(form_, IdContent);
    if (content == nullptr)
        return damaged(QT_TRANSLATE_NOOP("Wizard",
                                         "The language module %1 is damaged: the wizard has no "
                                         "page area %2."),
                       IdContent);
    // The frame only marks the page area: hidden, but keeping its place in the layout.
    QSizePolicy policy = content->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    content->setSizePolicy(policy);
    content->hide();
    content_ = content;
    pageHost_ = content->parentWidget();
    scrollPageArea();
    layout->activate();
    contentRect = QRect(content->mapTo(this, QPoint(0, 0)), content->size());
    return true;
}

bool Wizird::confirmWarning() {
    return env_.prompter.ask(MsgWarning, Prompter::Buttons::YesNo) == Prompter::Answer::Yes;
}

bool Wizird::connectController() {
    // Message 103 leads to the port list; both search ports plugged in while they are open.
    PortChooser chooser(env_.link, runner_, env_.prompter, this);
    for (;;) {
        const bool found = runner_.run(
            [this] { return env_.connect ? env_.connect() : env_.link.ConnectController(); });
        if (found)
            return true;
        // Which ports were tried and what each gave: on Linux most often a port the user may
        // not open, or the controller on a port not listed.
        const PortChooser::Outcome chosen = chooser.ask(env_.link.searchDetail());
        if (chosen != PortChooser::Outcome::Retry)
            return chosen == PortChooser::Outcome::Found;
    }
}

QString Wizird::reconnect() {
    ControllerLink& link = env_.link;
    if (link.portOpen == 1)
        link.ConnectController();  // closes the dead port
    const QString path = link.portName;
    const bool found = runner_.run([this, &link, path] {
        if (env_.connect)
            return env_.connect();
        return (!path.isEmpty() && link.ConnectPort(path)) || link.ConnectController();
    });
    if (!found)
        return QCoreApplication::translate("Wizard", "The controller was not found again.\n") +
               link.searchDetail();

    // Identified into a scratch image: the image being edited keeps every change.
    CalibrationImage scratch;
    if (!runner_.run([&link, &scratch] { return link.ReadImage(scratch); }))
        return QCoreApplication::translate("Wizard",
                                           "The controller found again could not be identified: ") +
               link.failure;
    const QString model = scratch.text(Field::Model, Field::ModelLength);
    if (::versionText(scratch) == versionText && ::identityText(scratch) == identityText &&
        model == modelText)
        return {};
    link.close();
    const QString refusal =
        QCoreApplication::translate(
            "Wizard",
            "The controller now connected (%1, %2) is not the one read at start (%3, %4). "
            "Nothing was written to it.")
            .arg(model.trimmed(), ::identityText(scratch), modelText.trimmed(), identityText);
    env_.prompter.tell(refusal);
    return refusal + QCoreApplication::translate(
                         "Wizard", " Connect the controller read at start and press Retry.");
}

bool Wizird::addPages() {
    QString error;
    if (!pages_.build(env_.module, this, &error)) {
        env_.prompter.tell(error);
        return false;
    }
    pageCount = pages_.count();
    for (unsigned n = 1; n <= pageCount; ++n) {
        SettingsPage* p = pages_.page(n);
        p->setGeometry(contentRect);
        p->raise();
    }
    if (scroll_ != nullptr)
        followPageArea();
    return true;
}

bool Wizird::OnInitDialog() {
    if (!buildFrame()) {
        endWizard(QDialog::Rejected);
        return false;
    }
    if (env_.file) {
        // No controller: no warning, no port; the app has refused what the wizard refuses.
        if (!showFile()) {
            endWizard(QDialog::Rejected);
            return false;
        }
        return true;
    }
    if (!confirmWarning()) {
        endWizard(QDialog::Accepted);
        return false;
    }
    if (!connectController()) {
        endWizard(QDialog::Accepted);
        return false;
    }
    // The default file is saved on the link's thread too: it is synced to the disk, and a busy
    // disk would otherwise freeze the window.
    bool defaultSaved = false;
    if (!runner_.run([this, &defaultSaved] {
            if (!env_.link.ReadImage(env_.image))
                return false;
            defaultSaved = DefaultFile(env_.programDir, ::identityText(env_.image), env_.dataDir)
                               .SaveDefaultFile(env_.image);
            return true;
        })) {
        env_.prompter.ask(MsgReadError, Prompter::Buttons::Ok, env_.link.failure);
        endWizard(QDialog::Accepted);
        return false;
    }
    versionText = ::versionText(env_.image);
    identityText = ::identityText(env_.image);
    modelText = env_.image.text(Field::Model, Field::ModelLength);
    imageAsRead = env_.image;

    if (!defaultSaved) {
        QWidget* button = frameControl(IdDefault);
        button->hide();
        button->setEnabled(false);
    }

    if (!addPages()) {
        endWizard(QDialog::Rejected);
        return false;
    }
    fitPages();
    placeWindow();

    if (const int refusal = controllerRefusal(env_.image)) {
        env_.prompter.ask(refusal, Prompter::Buttons::Ok);
        endWizard(QDialog::Accepted);
        return false;
    }

    ShowPage(1);
    if (pages_.upgradeOldSpeedCoding())
        env_.prompter.ask(MsgModeUpgraded, Prompter::Buttons::Ok);
    return true;
}

bool Wizird::showFile() {
    const EditedFile& file = *env_.file;
    env_.image = file.reference();
    versionText = ::versionText(env_.image);
    identityText = ::identityText(env_.image);
    modelText = env_.image.text(Field::Model, Field::ModelLength);
    imageAsRead = file.content();
    if (!addPages())
        return false;
    EditedFile::sayFinishSaves(pages_.page(pageCount), configMenu_->language());
    fitPages();
    placeWindow();
    // As the connected wizard starts on a controller, then loads a file made from it.
    ShowPage(1);
    pages_.upgradeOldSpeedCoding();
    const PageBook::Applied applied =
        file.settings() != nullptr ? pages_.apply(*file.settings()) : PageBook::Applied{};
    unsaved_ = false;
    // The file always has a state to go back to: the Default button restores it.
    QWidget* button = frameControl(IdDefault);
    button->show();
    button->setEnabled(true);
    if (!applied.adjustments.empty()) {
        const config::Language language = configMenu_->language();
        QStringList lines{
            config::translated(language, "Wizard",
                               QT_TRANSLATE_NOOP("Wizard",
                                                 "The pages do not take these lines of the file as "
                                                 "written; Finish saves what the pages show:"))};
        for (const Adjustment& adjustment : applied.adjustments)
            lines << adjustment.text(env_.image, language);
        env_.prompter.tell(lines.join(QStringLiteral("\n\n")));
    }
    return true;
}

void Wizird::openFile(const QString& path) {
    if (busy() || !env_.file)
        return;
    EditedFile::Failure failure;
    std::optional<EditedFile> file = EditedFile::open(path, env_.module, &failure);
    if (!file) {
        env_.prompter.tell(failure.text);
        return;
    }
    if (unsaved_ && env_.prompter.ask(MsgCancel, Prompter::Buttons::OkCancelQuestion) ==
                        Prompter::Answer::Cancel)
        return;
    env_.file = std::move(file);
    if (!showFile()) {
        failed_ = true;
        endWizard(QDialog::Rejected);
    }
}

void Wizird::saveFile() {
    refused_.clear();
    ShowPage(pageCount);  // the page shown stores its fields
    const config::Language language = configMenu_->language();
    if (const QString failure = env_.file->save(env_.image, language); !failure.isEmpty()) {
        env_.prompter.tell(failure);
        return;
    }
    imageAsRead = env_.file->content();
    unsaved_ = false;
    QString text =
        config::translated(language, "Wizard",
                           QT_TRANSLATE_NOOP("Wizard", "The configuration was saved to %1."))
            .arg(QDir::toNativeSeparators(env_.file->path()));
    if (!refused_.isEmpty())
        text +=
            QStringLiteral("\n\n") +
            config::translated(language, "Wizard",
                               QT_TRANSLATE_NOOP("Wizard",
                                                 "Not changed, because the value typed was "
                                                 "refused: %1. The file keeps the previous value."))
                .arg(refused_.join(QStringLiteral(", ")));
    refused_.isEmpty() ? env_.prompter.inform(text) : env_.prompter.tell(text);
    endWizard(QDialog::Accepted);
}

QString Wizird::title(unsigned n) const {
    const QString format = env_.module.string(StrTitle);
    QString title = format;
    const qsizetype at = format.indexOf(QLatin1String("%d"));
    if (at >= 0)
        title = format.left(at) + QString::number(n) + format.mid(at + 2);
    if (!env_.file)
        return title;
    const QString name = QFileInfo(env_.file->path()).fileName();
    return config::translated(
               env_.module.isChinese() ? config::Language::Chinese : config::Language::English,
               "Wizard", QT_TRANSLATE_NOOP("Wizard", "%1 (no controller connected) - %2"))
        .arg(name, title);
}

void Wizird::ShowPage(unsigned n) {
    setWindowTitle(title(n));

    pages_.show(n);
    // A screen reader names the page the focus moves into: the step, as the title says it.
    if (SettingsPage* shown = pages_.page(pages_.current()))
        shown->setAccessibleName(windowTitle());

    ButtonState state = ButtonState::Middle;
    if (n >= pageCount) {
        currentPage = pageCount;
        state = ButtonState::Last;
    } else if (n <= 1) {
        currentPage = 1;
        state = ButtonState::First;
    }
    UpdateButtons(state);
    focusFirstSetting();
}

void Wizird::focusFirstSetting() {
    const SettingsPage* shown = pages_.page(pages_.current());
    QWidget* first = shown != nullptr ? shown->firstSetting() : nullptr;
    if (first == nullptr)  // a page without settings: the button Enter would press
        first = frameControl(pages_.current() >= pageCount ? IdFinish : IdNext);
    first->setFocus(Qt::TabFocusReason);
}

void Wizird::UpdateButtons(ButtonState state) {
    for (int id : {IdCancel, IdPrevious, IdNext, IdFinish}) frameControl(id)->setEnabled(true);
    switch (state) {
        case ButtonState::First:
            frameControl(IdPrevious)->setEnabled(false);
            frameControl(IdDefault)->setEnabled(true);
            break;
        case ButtonState::Middle:
            frameControl(IdDefault)->setEnabled(false);
            break;
        case ButtonState::Last:
            frameControl(IdNext)->setEnabled(false);
            frameControl(IdDefault)->setEnabled(false);
            break;
    }
    // Enter moves on: Next, and Finish on the last page.
    findControl<QPushButton>(form_, IdNext)->setDefault(state != ButtonState::Last);
    findControl<QPushButton>(form_, IdFinish)->setDefault(state == ButtonState::Last);
}

void Wizird::reject() {
    if (busy())
        return;
    // Closing drops every edit not yet written: ask, as Cancel does.
    if (unsaved_ && env_.prompter.ask(MsgCancel, Prompter::Buttons::OkCancelQuestion) ==
                        Prompter::Answer::Cancel)
        return;
    QDialog::reject();
}

void Wizird::OnNextButton() {
    if (busy())
        return;
    ++currentPage;
    ShowPage(currentPage);
}

void Wizird::OnPreviousButton() {
    if (busy())
        return;
    --currentPage;
    ShowPage(currentPage);
}

void Wizird::OnFinishButton() {
    if (busy())
        return;
    if (env_.file) {
        saveFile();
        return;
    }
    refused_.clear();
    ShowPage(pageCount);
    const auto join = [](const QString& a, const QString& b) {
        return a.isEmpty() || b.isEmpty() ? a + b : a + QStringLiteral("\n\n") + b;
    };
    QString unrecorded;
    // A line that died (the adapter pulled, the device gone) is reopened on Retry before
    // writing again, and only to the controller that was read.
    bool lineLost = false;
    for (;;) {
        QString detail;
        if (lineLost) {
            detail = reconnect();
            lineLost = !detail.isEmpty();
        }
        if (!lineLost) {
            // In the journal before the first frame goes out, so that a write cut short is
            // there too; each attempt is an entry of its own.
            unrecorded = join(unrecorded, configMenu_->beginWrite());
            const std::optional<CalibrationImage> held = writeAndReadBack(&detail);
            unrecorded = join(unrecorded, completed_);
            if (held && *held == env_.image) {
                imageAsRead = *held;  // Show changes and the next Finish compare with the truth
                break;
            }
            lineLost = env_.link.portFailed;
        }
        if (env_.prompter.ask(MsgWriteError, Prompter::Buttons::RetryCancel, detail) !=
            Prompter::Answer::Retry) {
            if (!unrecorded.isEmpty())
                env_.prompter.tell(unrecorded);
            return;
        }
    }
    unsaved_ = false;  // the controller holds what the pages show
    // A refused value was written as it was before: the success message must not hide that.
    QString detail;
    if (!refused_.isEmpty())
        detail =
            QCoreApplication::translate("Wizard",
                                        "Not changed, because the value typed was refused: %1. The "
                                        "controller keeps the previous value.")
                .arg(refused_.join(QStringLiteral(", ")));
    detail = join(detail, unrecorded);
    if (env_.prompter.ask(MsgWritten, Prompter::Buttons::YesNo, detail) == Prompter::Answer::Yes)
        endWizard(QDialog::Accepted);
}

std::optional<CalibrationImage> Wizird::writeAndReadBack(QString* detail) {
    ControllerLink& link = env_.link;
    const session::Written w =
        session::write(link, imageAsRead, env_.image, true,
                       [this](const std::function<bool()>& call) { return runner_.run(call); });
    using config::Outcome;
    if (w.read && w.outcome != Outcome::Verified && w.outcome != Outcome::ReplyLost) {
        const QStringList differ = config::changeLines(
            config::changes(env_.image, w.held, configMenu_->language()), configMenu_->language());
        *detail = w.outcome == Outcome::Failed
                      ? w.writeFailure
                      : QCoreApplication::translate(
                            "Wizard",
                            "Read back, the controller holds other values than were "
                            "written (written -> read back): ") +
                            (differ.isEmpty() ? QCoreApplication::translate(
                                                    "Wizard", "bytes that are no setting")
                                              : differ.join(QStringLiteral("; ")));
    } else if (!w.read && w.acknowledged) {
        *detail = QCoreApplication::translate("Wizard",
                                              "Written, but it could not be read back to check: ") +
                  w.readFailure;
    } else if (!w.read) {
        *detail = w.writeFailure;
    }
    completed_ = w.outcome ? configMenu_->completeWrite(*w.outcome) : QString();
    if (!w.read)
        return std::nullopt;
    return w.held;
}

void Wizird::OnCancelButton() {
    if (busy())
        return;
    // A file saved or untouched loses nothing; a controller's wizard always asks.
    if ((!env_.file || unsaved_) &&
        env_.prompter.ask(MsgCancel, Prompter::Buttons::OkCancelQuestion) ==
            Prompter::Answer::Cancel)
        return;
    endWizard(QDialog::Rejected);
}

void Wizird::OnHelpButton() {
    if (busy())
        return;
    const QUrl url = helpUrl();
    const QString where =
        url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        env_.prompter.tell(
            QCoreApplication::translate("Wizard", "The manual is not installed: it belongs at\n%1")
                .arg(where));
        return;
    }
    const bool opened = env_.openUrl ? env_.openUrl(url) : QDesktopServices::openUrl(url);
    // Saying nothing would leave the user pressing Help again and again.
    if (!opened)
        env_.prompter.tell(QCoreApplication::translate(
                               "Wizard", "No browser could open the manual. Open it yourself:\n%1")
                               .arg(where));
}

void Wizird::OnDefaultButton() {
    if (busy())
        return;
    if (env_.file) {
        // Without a controller, the file as opened (or last saved) is the default: its pages
        // are built again, as at start.
        if (!showFile())
            endWizard(QDialog::Rejected);
        return;
    }
    QString error;
    // A file that cannot be read leaves the image as it is, on the last page.
    const bool restored = pages_.rewrite([this, &error](CalibrationImage& image) {
        return DefaultFile(env_.programDir, identityText, env_.dataDir).read(image, &error);
    });
    ShowPage(pages_.current());  // the title and buttons of the page the walk ended on
    unsaved_ = unsaved_ || restored;
    if (!restored)
        env_.prompter.tell(error);
}

void Wizird::OnConfigButton() {
    if (busy())
        return;
    const QWidget* button = frameControl(IdConfig);
    configMenu_->menu()->exec(button->mapToGlobal(QPoint(0, button->height())));
}
