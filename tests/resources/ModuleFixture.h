#pragma once
// Test helper: loads a real language bundle (build/bin/<language>.rcc) and creates its
// dialogs by number.
//
//   ModuleFixture english("english");
//   ASSERT_TRUE(english.loaded()) << qPrintable(english.error());
//   QWidget* page = english.dialog(146);          // null, with a test failure, when missing
//   ASSERT_NE(page, nullptr);
//   auto* slider = findControl<QSlider>(page, 1034);  // objectName "id1034", right kind
//
// Dialogs are created hidden and never shown, so ask controls isHidden() (hidden on
// creation), not isVisible(). They belong to the fixture and are destroyed before the
// bundle is released. Only one bundle is loaded at a time: loading a second fixture
// releases the first, so use one fixture at a time.
#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

#include "ResourceModule.h"

namespace trntest {

// The bundle file of a language, beside the programs.
inline QString bundlePath(const QString& language) {
    return QStringLiteral(TRN_BIN_DIR "/") + language + QStringLiteral(".rcc");
}

// Control <id> of a dialog (objectName "id<id>", at any depth), or null when the dialog has
// no such control or it is not a T.
template <class T = QWidget>
T* findControl(QWidget* dialog, int id) {
    if (dialog == nullptr)
        return nullptr;
    return dialog->findChild<T*>(QStringLiteral("id%1").arg(id));
}

// Every addressed control of a dialog by its number (objectName "id<number>").
inline QMap<int, QWidget*> controlsById(QWidget* dialog) {
    static const QRegularExpression name(QStringLiteral("^id(\\d+)$"));
    QMap<int, QWidget*> controls;
    if (dialog == nullptr)
        return controls;
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const QRegularExpressionMatch match = name.match(child->objectName());
        if (match.hasMatch())
            controls.insert(match.captured(1).toInt(), child);
    }
    return controls;
}

class ModuleFixture {
public:
    explicit ModuleFixture(const QString& language) : language_(language) {
        loaded_ = module_.load(bundlePath(language), &error_);
    }
    ~ModuleFixture() {
        dialogs_.clear();  // widgets first: they may still use pictures of the bundle
        module_.release();
    }
    ModuleFixture(const ModuleFixture&) = delete;
    ModuleFixture& operator=(const ModuleFixture&) = delete;

    bool loaded() const { return loaded_; }
    const QString& error() const { return error_; }
    const QString& language() const { return language_; }
    ResourceModule& module() { return module_; }

    // Dialog <id>, created hidden and owned by the fixture. Null, with a test failure that
    // names the language, the template and the reason, when it cannot be created.
    QWidget* dialog(int id) {
        QString reason;
        std::unique_ptr<QWidget> created(module_.createDialog(id, nullptr, &reason));
        if (!created) {
            ADD_FAILURE() << qPrintable(language_) << " dialog " << id << ": "
                          << qPrintable(reason);
            return nullptr;
        }
        dialogs_.push_back(std::move(created));
        return dialogs_.back().get();
    }

private:
    QString language_;
    ResourceModule module_;
    bool loaded_ = false;
    QString error_;
    std::vector<std::unique_ptr<QWidget>> dialogs_;
};

}  // namespace trntest
