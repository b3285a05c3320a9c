#pragma once

#include <functional>

#include <QString>

class QWidget;
class ResourceModule;

// Message boxes, behind an interface so that tests answer them in-process.
class Prompter {
public:
    enum class Buttons { Ok, OkCancelQuestion, YesNo, RetryCancel };
    // Other: the button of the program's own that askWatching adds.
    enum class Answer { Ok, Cancel, Yes, No, Retry, Other };

    // A question while it is open, for the program that watches something meanwhile.
    class OpenQuestion {
    public:
        virtual ~OpenQuestion() = default;
        // Closes it as though the user had given answer.
        virtual void end(Answer answer) = 0;
        virtual void setDetail(const QString& detail) = 0;
    };
    // What askWatching adds to a question: one more button (its text, with its mnemonic), and
    // what to tell once the question is open; the OpenQuestion lives until askWatching returns.
    struct Watching {
        QString button;
        std::function<void(OpenQuestion&)> opened;
    };

    virtual ~Prompter() = default;
    // Shows string <stringId> of the language module with the given buttons. detail, when
    // not empty, is shown below the message.
    virtual Answer ask(int stringId, Buttons buttons, const QString& detail = {}) = 0;
    // ask, with watching's button, and ended by the program when what it watches calls for it.
    // Prompters that answer at once (tests) ask as ask does: never opened, never Other.
    virtual Answer askWatching(int stringId, Buttons buttons, const QString& detail,
                               const Watching& watching) {
        (void)watching;
        return ask(stringId, buttons, detail);
    }
    // Shows a fixed text of the program with an OK button (input checks, file errors).
    virtual void tell(const QString& text) = 0;
    // tell, for a text that reports a success or that nothing changed: no warning. Prompters
    // that show no icon tell it.
    virtual void inform(const QString& text) { tell(text); }
    // tell, with detail shown below the text. Prompters that cannot set it apart add it to it.
    virtual void tellWithDetail(const QString& text, const QString& detail) {
        tell(detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail);
    }
};

// String <stringId> of the module as a message box shows it, or why it is missing. A web
// address in it (where message 107 sends users of other series) is shown as address instead,
// when one is given: the module's own is a placeholder.
QString messageText(const ResourceModule& module, int stringId, const QString& address = {});

// The real thing: QMessageBox with texts from the loaded language module.
class MessageBoxPrompter : public Prompter {
public:
    MessageBoxPrompter(const ResourceModule& module, QWidget* parent = nullptr)
        : module_(module), parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // What a web address in a module string is shown as; see messageText.
    void setAddress(const QString& address) { address_ = address; }

    Answer ask(int stringId, Buttons buttons, const QString& detail = {}) override;
    Answer askWatching(int stringId, Buttons buttons, const QString& detail,
                       const Watching& watching) override;
    void tell(const QString& text) override;
    void tellWithDetail(const QString& text, const QString& detail) override;
    void inform(const QString& text) override;

private:
    void show(const QString& text, const QString& detail, bool warning);

    const ResourceModule& module_;
    QWidget* parent_;
    QString address_;
};
