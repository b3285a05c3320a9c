#include "Prompter.h"

#include <optional>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>

#include "Mnemonics.h"
#include "ModuleIds.h"
#include "ResourceModule.h"

namespace {

QString titleFor(QWidget* parent) {
    if (parent != nullptr && !parent->window()->windowTitle().isEmpty())
        return parent->window()->windowTitle();
    return QApplication::applicationDisplayName();
}

}  // namespace

QString messageText(const ResourceModule& module, int stringId, const QString& address) {
    QString error;
    QString text = module.string(stringId, &error);
    if (text.isNull())
        return error;
    // Up to a blank or a full-width punctuation mark, which Chinese texts put right after it.
    static const QRegularExpression web(
        QStringLiteral("https?://[^\\s\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]+"));
    if (!address.isEmpty())
        text.replace(web, address);
    return text;
}

Prompter::Answer MessageBoxPrompter::ask(int stringId, Buttons buttons, const QString& detail) {
    return askWatching(stringId, buttons, detail, {});
}

namespace {

// The box of askWatching while it is open.
class OpenBox : public Prompter::OpenQuestion {
public:
    explicit OpenBox(QMessageBox& box) : box_(box) {}
    void end(Prompter::Answer answer) override {
        ended = answer;
        box_.done(QMessageBox::NoButton);
    }
    void setDetail(const QString& detail) override { box_.setInformativeText(detail); }
    std::optional<Prompter::Answer> ended;

private:
    QMessageBox& box_;
};

}  // namespace

Prompter::Answer MessageBoxPrompter::askWatching(int stringId, Buttons buttons,
                                                 const QString& detail, const Watching& watching) {
    const QString text = messageText(module_, stringId, address_);

    QMessageBox box(parent_);
    box.setWindowTitle(titleFor(parent_));
    box.setText(text);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    switch (buttons) {
        case Buttons::Ok:
            box.setIcon(module::informs(stringId) ? QMessageBox::Information
                                                  : QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::OkCancelQuestion:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case Buttons::YesNo:
            box.setIcon(module::informs(stringId) ? QMessageBox::Information
                                                  : QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case Buttons::RetryCancel:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
    }
    const QAbstractButton* other = watching.button.isEmpty()
                                       ? nullptr
                                       : box.addButton(watching.button, QMessageBox::ActionRole);
    mnemonic::giveButtons(&box);
    OpenBox open(box);
    if (watching.opened)
        watching.opened(open);
    const int shown = box.exec();
    if (open.ended)
        return *open.ended;
    if (other != nullptr && box.clickedButton() == other)
        return Answer::Other;
    switch (shown) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return Answer::Cancel;  // Cancel, Escape or the close box
    }
}

void MessageBoxPrompter::tell(const QString& text) {
    tellWithDetail(text, {});
}

void MessageBoxPrompter::tellWithDetail(const QString& text, const QString& detail) {
    show(text, detail, true);
}

void MessageBoxPrompter::inform(const QString& text) {
    show(text, {}, false);
}

void MessageBoxPrompter::show(const QString& text, const QString& detail, bool warning) {
    QMessageBox box(parent_);
    box.setWindowTitle(titleFor(parent_));
    box.setIcon(warning ? QMessageBox::Warning : QMessageBox::Information);
    box.setText(text);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.setStandardButtons(QMessageBox::Ok);
    mnemonic::giveButtons(&box);
    box.exec();
}
