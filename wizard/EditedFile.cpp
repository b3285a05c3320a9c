#include "EditedFile.h"

#include <cstring>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include "DefaultFile.h"
#include "FileNames.h"
#include "ResourceModule.h"

namespace {

config::Language languageOf(const ResourceModule& module) {
    return module.isChinese() ? config::Language::Chinese : config::Language::English;
}

}  // namespace

std::optional<EditedFile> EditedFile::open(const QString& path, const ResourceModule& module,
                                           Failure* failure) {
    const config::Language language = languageOf(module);
    const auto fail = [&](int status, const QString& text) {
        *failure = {status,
                    visibleText(QDir::toNativeSeparators(path)) + QStringLiteral(": ") + text};
        return std::nullopt;
    };
    EditedFile file;
    file.path_ = path;
    if (DefaultFile::isDefaultFileName(path)) {
        QByteArray bytes;
        if (const int code = config::readRegularFile(path, DefaultFile::Size, &bytes))
            return fail(
                Failed,
                config::Message{
                    config::Message::Kind::Unreadable,
                    0,
                    {path, code < 0 ? QCoreApplication::translate("Wizard", "not a regular file")
                                    : QString::fromLocal8Bit(std::strerror(code))}}
                    .text(language));
        if (bytes.size() != DefaultFile::Size)
            return fail(
                WrongContent,
                config::translated(language, "Wizard",
                                   QT_TRANSLATE_NOOP("Wizard",
                                                     "not a default configuration file: it holds "
                                                     "%1 bytes instead of %2."))
                    .arg(bytes.size())
                    .arg(DefaultFile::Size));
        std::memcpy(file.reference_.data(), bytes.constData(), CalibrationImage::Size);
    } else {
        config::ReadResult read = config::ConfigFile::load(path);
        if (!read.ok())
            return fail(
                read.error->kind == config::Message::Kind::Unreadable ? Failed : WrongContent,
                read.error->text(language));
        file.reference_ = read.file->image();
        file.settings_ = std::move(read.file);
    }
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
