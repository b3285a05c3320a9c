#include "Prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "ResourceModule.h"

namespace {

QString titleFor(QWidget* parent) {
    if (parent != nullptr && !parent->window()->windowTitle().isEmpty())
        return parent->window()->windowTitle();
    return QApplication::applicationDisplayName();
}

}  // namespace

Prompter::Answer MessageBoxPrompter::ask(int stringId, Buttons buttons, const QString& detail) {
    QString error;
    QString text = module_.string(stringId, &error);
    if (text.isNull())
        text = error;

    QMessageBox box(parent_);
    box.setWindowTitle(titleFor(parent_));
    box.setText(text);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    switch (buttons) {
        case Buttons::Ok:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::OkCancelQuestion:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case Buttons::YesNo:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case Buttons::RetryCancel:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
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
    QMessageBox box(parent_);
    box.setWindowTitle(titleFor(parent_));
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
