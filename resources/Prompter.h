#pragma once

#include <QString>

class QWidget;
class ResourceModule;

// Message boxes, behind an interface so that tests answer them in-process.
class Prompter {
public:
    enum class Buttons { Ok, OkCancelQuestion, YesNo, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~Prompter() = default;
    // Shows string <stringId> of the language module with the given buttons. detail, when
    // not empty, is shown below the message.
    virtual Answer ask(int stringId, Buttons buttons, const QString& detail = {}) = 0;
    // Shows a fixed text of the program with an OK button (input checks, file errors).
    virtual void tell(const QString& text) = 0;
};

// The real thing: QMessageBox with texts from the loaded language module.
class MessageBoxPrompter : public Prompter {
public:
    MessageBoxPrompter(const ResourceModule& module, QWidget* parent = nullptr)
        : module_(module), parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer ask(int stringId, Buttons buttons, const QString& detail = {}) override;
    void tell(const QString& text) override;

private:
    const ResourceModule& module_;
    QWidget* parent_;
};
