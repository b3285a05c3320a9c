#include "ResourceModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QUiLoader>
#include <QWidget>

namespace {

const QString kRoot = QStringLiteral("/module");

ResourceModule* currentModule = nullptr;

QString modulePath(const QString& name) { return QLatin1Char(':') + kRoot + QLatin1Char('/') + name; }

// Sets *error when the caller wants the reason; always returns false for brevity at call sites.
bool fail(QString* error, const QString& reason) {
    if (error != nullptr) *error = reason;
    return false;
}

bool readJsonObject(const QString& path, QJsonObject* object, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(error, file.errorString());
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) return fail(error, parseError.errorString());
    if (!doc.isObject()) return fail(error, QStringLiteral("not a JSON object"));
    *object = doc.object();
    return true;
}

QImage readImage(const QString& path, QString* reason) {
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull()) *reason = reader.errorString();
    return image;
}

}  // namespace

ResourceModule::~ResourceModule() { release(); }

bool ResourceModule::load(const QString& fileName, QString* error) {
    // One bundle at a time owns ":/module"; two would shadow each other's files.
    if (currentModule != nullptr) currentModule->release();
    release();

    const QFileInfo info(fileName);
    if (!info.exists())
        return fail(error, QStringLiteral("Language module %1 does not exist.").arg(fileName));
    if (!info.isFile() || !info.isReadable())
        return fail(error, QStringLiteral("Language module %1 cannot be read.").arg(fileName));
    const QString path = info.absoluteFilePath();
    if (!QResource::registerResource(path, kRoot))
        return fail(error, QStringLiteral("%1 is not a language module (not a resource bundle).")
                               .arg(fileName));

    QJsonObject table;
    QString reason;
    if (!readJsonObject(modulePath(QStringLiteral("strings.json")), &table, &reason)) {
        QResource::unregisterResource(path, kRoot);
        return fail(error, QStringLiteral("Language module %1 has no usable string table: %2")
                               .arg(fileName, reason));
    }
    QHash<int, QString> strings;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        bool isNumber = false;
        const int id = it.key().toInt(&isNumber);
        if (!isNumber || !it.value().isString()) {
            QResource::unregisterResource(path, kRoot);
            return fail(error, QStringLiteral("Language module %1 has a damaged string table "
                                              "(entry \"%2\").")
                                   .arg(fileName, it.key()));
        }
        strings.insert(id, it.value().toString());
    }

    // The version block is informative only; a module without one still works.
    QJsonObject versionInfo;
    if (readJsonObject(modulePath(QStringLiteral("version.json")), &versionInfo, &reason)) {
        language_ = versionInfo.value(QStringLiteral("language")).toInt();
        version_ = versionInfo.value(QStringLiteral("version")).toString();
    }

    strings_ = std::move(strings);
    fileName_ = fileName;
    registeredPath_ = path;
    loaded_ = true;
    currentModule = this;
    return true;
}

void ResourceModule::release() {
    if (loaded_) QResource::unregisterResource(registeredPath_, kRoot);
    if (currentModule == this) currentModule = nullptr;
    loaded_ = false;
    registeredPath_.clear();
    strings_.clear();
    language_ = 0;
    version_.clear();
}

ResourceModule* ResourceModule::current() { return currentModule; }

QWidget* ResourceModule::createDialog(int id, QWidget* parent, QString* error) const {
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (dialog %1).").arg(id));
        return nullptr;
    }
    QFile file(modulePath(QStringLiteral("dialog/%1.ui").arg(id)));
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("Language module %1 holds no dialog %2.").arg(fileName_).arg(id));
        return nullptr;
    }
    QUiLoader loader;
    // Relative picture paths in a template resolve inside the bundle.
    loader.setWorkingDirectory(QDir(modulePath(QStringLiteral("dialog"))));
    QWidget* dialog = loader.load(&file, parent);
    if (dialog == nullptr) {
        fail(error, QStringLiteral("Dialog %1 of language module %2 cannot be built: %3")
                        .arg(id)
                        .arg(fileName_, loader.errorString()));
        return nullptr;
    }
    // Templates mark controls that start out hidden with this property; hiding them
    // explicitly keeps them hidden when the dialog itself is shown.
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->property("hiddenOnCreate").toBool()) child->setVisible(false);
    }
    return dialog;
}

QString ResourceModule::string(int id, QString* error) const {
    const auto it = strings_.constFind(id);
    if (it == strings_.constEnd()) {
        fail(error, loaded_ ? QStringLiteral("Language module %1 holds no string %2.")
                                  .arg(fileName_)
                                  .arg(id)
                            : QStringLiteral("No language module is loaded (string %1).").arg(id));
        return {};
    }
    return *it;
}

bool ResourceModule::hasString(int id) const { return strings_.contains(id); }

QPixmap ResourceModule::bitmap(int id, QString* error) const {
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (bitmap %1).").arg(id));
        return {};
    }
    const QString path = modulePath(QStringLiteral("bitmap/%1.bmp").arg(id));
    if (!QFile::exists(path)) {
        fail(error, QStringLiteral("Language module %1 holds no bitmap %2.").arg(fileName_).arg(id));
        return {};
    }
    QString reason;
    const QImage image = readImage(path, &reason);
    if (image.isNull()) {
        fail(error, QStringLiteral("Bitmap %1 of language module %2 is damaged: %3")
                        .arg(id)
                        .arg(fileName_, reason));
        return {};
    }
    return QPixmap::fromImage(image);
}

QIcon ResourceModule::icon(int id, QString* error) const {
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (icon %1).").arg(id));
        return {};
    }
    const QString path = modulePath(QStringLiteral("icon/%1.png").arg(id));
    if (!QFile::exists(path)) {
        fail(error, QStringLiteral("Language module %1 holds no icon %2.").arg(fileName_).arg(id));
        return {};
    }
    // Read now: an icon made from the path would read lazily, after the module may be gone.
    QString reason;
    const QImage image = readImage(path, &reason);
    if (image.isNull()) {
        fail(error, QStringLiteral("Icon %1 of language module %2 is damaged: %3")
                        .arg(id)
                        .arg(fileName_, reason));
        return {};
    }
    return QIcon(QPixmap::fromImage(image));
}

int ResourceModule::language() const { return language_; }

QString ResourceModule::version() const { return version_; }
