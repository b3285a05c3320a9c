#include "EditedFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>

#include "DefaultFile.h"
#include "FileNames.h"
#include "PageCatalogue.h"
#include "ResourceModule.h"
#include "SettingsFile.h"
#include "SettingsPage.h"

namespace {

config::Language languageOf(const ResourceModule& module) {
    return module.isChinese() ? config::Language::Chinese : config::Language::English;
}

}  // namespace

std::optional<EditedFile> EditedFile::open(const QString& path, const ResourceModule& module,
                                           Failure* failure) {
    const config::Language language = languageOf(module);
    config::SettingsFileRead read = config::readSettingsFile(path);
    if (!read.ok()) {
        *failure = {read.error->kind == config::Message::Kind::Unreadable ? Failed : WrongContent,
                    visibleText(QDir::toNativeSeparators(path)) + QStringLiteral(": ") +
                        read.error->text(language)};
        return std::nullopt;
    }
    EditedFile file;
    file.path_ = path;
    file.reference_ = read.file->reference;
    file.settings_ = std::move(read.file->settings);
    if (const int refusal = controllerRefusal(file.reference_)) {
        *failure = {Failed, module.string(refusal)};
        return std::nullopt;
    }
    return file;
}

CalibrationImage EditedFile::content() const {
    return settings_ ? settings_->settingsImage() : reference_;
}

QString EditedFile::save(const CalibrationImage& image, config::Language language) {
    if (!settings_) {
        QString reason;
        if (!DefaultFile::writeImage(path_, image, &reason))
            return config::Message{config::Message::Kind::WriteFailed, 0, {path_, reason}}.text(
                language);
        reference_ = image;
        return {};
    }
    const QString text = config::ConfigFile::write(
        image, reference_, {QDateTime::currentDateTime(), config::programText()}, language);
    if (auto failure = config::saveText(path_, text))
        return failure->text(language);
    // What was written is what the file now says.
    config::ReadResult written = config::ConfigFile::parse(text);
    if (written.ok())
        settings_ = std::move(written.file);
    return {};
}

void EditedFile::sayFinishSaves(SettingsPage* lastPage, config::Language language) {
    if (lastPage == nullptr || lastPage->templateId() != model::Step6Controls::Template)
        return;
    if (auto* label = lastPage->findChild<QLabel*>(QStringLiteral("labelFinish")))
        label->setText(config::translated(
            language, "EditedFile",
            QT_TRANSLATE_NOOP("EditedFile",
                              "Please click Finish to save the configuration into the file.")));
}
