#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "CalibrationImage.h"
#include "ConfigMenu.h"
#include "EditedFile.h"
#include "LinkRunner.h"
#include "PageBook.h"

class ControllerLink;
class Prompter;
class ResourceModule;
class SettingsPage;

// What the wizard works with; everything that reaches the outside world comes through here.
struct WizardEnvironment {
    CalibrationImage& image;
    ControllerLink& link;
    Prompter& prompter;
    const ResourceModule& module;
    // Directory that holds the program, and so the default configuration files.
    QString programDir;
    // Finds the controller; empty means link.ConnectController().
    std::function<bool()> connect;
    // Opens a page in the user's browser; false when it could not. Empty means QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
    // The user's data folder, where an installed program keeps default files; empty when the
    // program runs from its build folder or a portable copy.
    QString dataDir;
    // The data folder whose journal records every write; empty records nothing.
    QString historyDir = {};
    // Set: the wizard edits this file instead of a controller (no warning, no port), and
    // Finish saves it.
    std::optional<EditedFile> file = {};
    // The server the journal is shared on, and the station's name.
    config::HistoryChoice history = {};
};

// The configuration wizard: warns, connects, reads the controller's image, keeps its default
// copy, shows the pages that fit the controller and writes the image back on Finish.
class QScrollArea;

class Wizird : public QDialog, private MenuHost {
    Q_OBJECT
public:
    enum class ButtonState { First, Middle, Last };

    static constexpr int Template = 133;
    // What Help opens: the support site when the build names one, otherwise the manual in the
    // module's language, installed (or, in the build folder, copied) beside the program.
    QUrl helpUrl() const;
    // Where message 107 sends a user whose controller is of another series: the support site,
    // or the manual's section on the controllers the program serves.
    QUrl supportedControllersUrl() const;

    explicit Wizird(WizardEnvironment environment, QWidget* parent = nullptr);
    ~Wizird() override;

    // The start-up sequence. False when the wizard closed during it (result() tells how).
    bool OnInitDialog();

    void ShowPage(unsigned n);
    // The window's title on page n; it names the file edited without a controller.
    QString title(unsigned n) const;
    void UpdateButtons(ButtonState state);

    void OnNextButton();
    void OnPreviousButton();
    void OnFinishButton();
    void OnCancelButton();
    void OnHelpButton();
    void OnUpgradeButton() {}
    void OnDefaultButton();
    // Opens the configuration menu: save, load, show changes.
    void OnConfigButton();
    // Edits another file without a controller, once the user agrees to drop unsaved edits.
    void openFile(const QString& path);

    // Checks every template the wizard and its pages use against the controls they address.
    // Empty when the module fits; otherwise a message naming the module, template and control.
    static QString checkModule(const ResourceModule& module);

    // The page area, in the wizard's coordinates.
    QRect contentRect;
    unsigned pageCount = 0;
    unsigned currentPage = 0;

    QString versionText;
    QString identityText;
    // The model as first read; with the two texts above, what a controller found again after
    // a lost line must show to be written to.
    QString modelText;
    // The image as read, before any start-up rule: what Show changes compares with. Without a
    // controller, what the file says.
    CalibrationImage imageAsRead;
    ConfigMenu& configMenu() { return *configMenu_; }

    // Runs the link calls off the GUI thread.
    LinkRunner& linkRunner() { return runner_; }

    // True once start-up or a button closed the wizard.
    bool closed() const { return closed_; }
    // True when it closed because it could not go on: the pages of a file opened from the
    // menu could not be built (it has said why).
    bool failed() const { return failed_; }
    // Template 133 as built, and one of its controls by number.
    QWidget* form() const { return form_; }
    QWidget* frameControl(int id) const;
    SettingsPage* page(unsigned number) const;

    // True when closing would lose something: a page edited, a file loaded or the default
    // restored since the controller was read or last written.
    bool unsaved() const { return unsaved_; }

protected:
    // Escape and the close box end the wizard, except while a page change or a link call is
    // under way; they ask first, as Cancel does, when closing would lose the user's work.
    void reject() override;
    // Keeps where the window was and how large, for the next run.
    void done(int result) override;

private:
    bool buildFrame();
    void endWizard(int resultCode);
    bool addPages();
    // What the configuration menu asks of the wizard.
    QWidget* window() override { return this; }
    bool busy() const override { return pages_.changing() || runner_.running(); }
    PageBook& pages() override { return pages_; }
    void fitPages();
    // Puts the page area in a scroll area of its own.
    void scrollPageArea();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Places the pages over the page area as it is scrolled, cut to what is in view.
    void followPageArea();
    // The window's first size: the frame's, within the screen; then where the user left it.
    void placeWindow();
    // The keyboard starts on the shown page's first setting (Tab then walks its settings
    // before the wizard's buttons), or on Next or Finish when it has none.
    void focusFirstSetting();
    bool confirmWarning();
    bool connectController();
    // Writes the image, reads the controller back and completes the journal's entry with what
    // came of it. What the controller holds, or none when it could not be read; *detail says
    // what went wrong when it does not hold the image.
    std::optional<CalibrationImage> writeAndReadBack(QString* detail);
    // Reopens a line that died under a write and checks that the same controller is behind it.
    // Empty when it is; otherwise why not, for message 105's detail.
    QString reconnect();
    // Builds the pages of the file edited and shows its settings on them, from page 1, as Load
    // takes them; tells the lines the pages take otherwise.
    bool showFile();
    // Finish without a controller: saves the file.
    void saveFile();

    WizardEnvironment env_;
    QWidget* form_ = nullptr;
    QWidget* content_ = nullptr;     // the frame's mark of the page area
    QWidget* pageHost_ = nullptr;    // what the pages sit on
    QScrollArea* scroll_ = nullptr;  // around it; none when the frame has no page area apart
    bool closed_ = false;
    bool failed_ = false;
    // Fields whose typed values the pages refused since the last Finish began.
    QStringList refused_;
    LinkRunner runner_;
    PageBook pages_;
    bool unsaved_ = false;
    // Why the last attempt's outcome is not in the journal; empty when it is.
    QString completed_;
    std::unique_ptr<ConfigMenu> configMenu_;
};
