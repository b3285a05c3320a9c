#pragma once
// Keyboard mnemonics ("&Next", "下一步(&N)") for texts the program sets and for the buttons of
// Qt's own dialogs, which have none in some languages.

#include <QChar>
#include <QString>

class QWidget;

namespace mnemonic {

// The key of text's mnemonic (the character after a single '&'), upper-cased; null when none.
QChar keyOf(const QString& text);
// text with a mnemonic whose key is not in taken, which gets the key: text itself when it has
// one; else '&' before preferred or, when that is taken or absent, before the first free
// letter; a text without Latin letters gets "(&X)" appended (before a trailing "..."), X being
// preferred or the first free letter. Unchanged when every letter is taken.
QString give(const QString& text, QChar preferred, QString* taken);
// Gives every push button of window that has no mnemonic one that no other button of the window
// has; a dialog button box's standard buttons prefer their usual keys (O for OK, C for Cancel).
void giveButtons(QWidget* window);
// text as it is read out: without its mnemonic ("&Next" -> "Next", "下一步(&N)" -> "下一步"),
// "&&" as "&", and without a caption's trailing colon.
QString plain(const QString& text);

}  // namespace mnemonic
