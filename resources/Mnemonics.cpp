#include "Mnemonics.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>

#include <utility>

namespace mnemonic {

namespace {

bool isLatinLetter(QChar c) {
    const char16_t u = c.toUpper().unicode();
    return u >= u'A' && u <= u'Z';
}

QChar firstFree(const QString& candidates, const QString& taken) {
    for (const QChar c : candidates)
        if (isLatinLetter(c) && !taken.contains(c.toUpper()))
            return c;
    return {};
}

// The key each standard button usually has, whatever language its text is in.
constexpr std::pair<QDialogButtonBox::StandardButton, char16_t> UsualKeys[] = {
    {QDialogButtonBox::Ok, u'O'},     {QDialogButtonBox::Open, u'O'},
    {QDialogButtonBox::Cancel, u'C'}, {QDialogButtonBox::Yes, u'Y'},
    {QDialogButtonBox::No, u'N'},     {QDialogButtonBox::Retry, u'R'},
    {QDialogButtonBox::Save, u'S'},
};

QChar usualKey(QDialogButtonBox::StandardButton button) {
    for (const auto& [b, key] : UsualKeys)
        if (b == button)
            return key;
    return {};
}

}  // namespace

QChar keyOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toUpper();
        ++i;  // "&&" is a literal ampersand
    }
    return {};
}

QString give(const QString& text, QChar preferred, QString* taken) {
    if (const QChar key = keyOf(text); !key.isNull()) {
        taken->append(key);
        return text;
    }
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    bool latin = false;
    for (const QChar c : text) latin = latin || isLatinLetter(c);
    if (latin) {
        qsizetype at = -1;
        if (!preferred.isNull() && !taken->contains(preferred.toUpper()))
            at = text.indexOf(preferred, 0, Qt::CaseInsensitive);
        for (qsizetype i = 0; at < 0 && i < text.size(); ++i)
            if (isLatinLetter(text[i]) && !taken->contains(text[i].toUpper()))
                at = i;
        if (at < 0)
            return text;
        taken->append(text[at].toUpper());
        return text.left(at) + u'&' + text.mid(at);
    }
    QChar key = preferred.isNull() ? QChar() : firstFree(QString(preferred), *taken);
    if (key.isNull())
        key = firstFree(alphabet, *taken);
    if (key.isNull())
        return text;
    key = key.toUpper();
    taken->append(key);
    const QString mark = QStringLiteral("(&") + key + u')';
    for (const QString& ellipsis : {QStringLiteral("..."), QStringLiteral("…")})
        if (text.endsWith(ellipsis))
            return text.chopped(ellipsis.size()) + mark + ellipsis;
    return text + mark;
}

void giveButtons(QWidget* window) {
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    QString taken;
    for (const QPushButton* b : buttons)
        if (const QChar key = keyOf(b->text()); !key.isNull())
            taken.append(key);
    for (QPushButton* b : buttons) {
        if (!keyOf(b->text()).isNull() || b->text().isEmpty())
            continue;
        const auto* box = qobject_cast<const QDialogButtonBox*>(b->parentWidget());
        const QChar usual = box ? usualKey(box->standardButton(b)) : QChar();
        b->setText(give(b->text(), usual, &taken));
    }
}

QString plain(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'(' && i + 3 < text.size() && text[i + 1] == u'&' && text[i + 3] == u')') {
            i += 3;  // "(&N)" after a text without Latin letters
            continue;
        }
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;  // the key itself, or the second '&' of a literal one
        out += text[i];
    }
    out = out.trimmed();
    while (out.endsWith(u':') || out.endsWith(u'\uff1a')) out.chop(1);
    return out.trimmed();
}

}  // namespace mnemonic
