#include "ResourceModule.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>

#include "BundleCheck.h"

namespace {

const QString kRoot = QStringLiteral("/module");
// Far above any real bundle; keeps a wrongly named huge file from being read into memory.
constexpr qint64 kMaxBundleSize = 16 * 1024 * 1024;

ResourceModule* currentModule = nullptr;

QString modulePath(const QString& name) {
    return QLatin1Char(':') + kRoot + QLatin1Char('/') + name;
}

// Sets *error when the caller wants the reason; always returns false for brevity at call sites.
bool fail(QString* error, const QString& reason) {
    if (error != nullptr)
        *error = reason;
    return false;
}

bool readJsonObject(const QString& path, QJsonObject* object, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, file.errorString());
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, parseError.errorString());
    if (!doc.isObject())
        return fail(error, QStringLiteral("not a JSON object"));
    *object = doc.object();
    return true;
}

// Every widget and layout class a template names must be one the loader can build: Qt 6.4's
// QUiLoader dereferences a null layout when a template names an unknown layout class.
bool hasOnlyKnownClasses(const QByteArray& ui, const QUiLoader& loader, QString* unknown) {
    const QStringList widgets = loader.availableWidgets();
    const QStringList layouts = loader.availableLayouts();
    QXmlStreamReader xml(ui);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const bool isWidget = xml.name() == QLatin1String("widget");
        if (!isWidget && xml.name() != QLatin1String("layout"))
            continue;
        const QString name = xml.attributes().value(QLatin1String("class")).toString();
        if (!(isWidget ? widgets : layouts).contains(name)) {
            *unknown = name;
            return false;
        }
    }
    if (xml.hasError())
        *unknown = xml.errorString();
    return !xml.hasError();
}

QImage readImage(const QString& path, QString* reason) {
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        *reason = reader.errorString();
    return image;
}

}  // namespace

ResourceModule::ResourceModule() = default;

ResourceModule::~ResourceModule() {
    release();
}

bool ResourceModule::load(const QString& fileName, QString* error) {
    // One bundle at a time owns ":/module"; two would shadow each other's files.
    if (currentModule != nullptr)
        currentModule->release();
    release();

    const QFileInfo info(fileName);
    if (!info.exists())
        return fail(error, QStringLiteral("Language module %1 does not exist.").arg(fileName));
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Language module %1 cannot be read.").arg(fileName));
    if (file.size() > kMaxBundleSize)
        return fail(error,
                    QStringLiteral("%1 is too large to be a language module.").arg(fileName));
    QByteArray bundle = file.readAll();
    file.close();
    // Every entry is checked against the bundle's manifest before Qt sees any of it, and the
    // bundle is registered from these very bytes, so what was checked is what is used.
    QString reason;
    QList<QPair<QString, qint64>> entries;
    if (!BundleCheck::verify(bundle, &reason, &entries))
        return fail(error,
                    QStringLiteral("Language module %1 is refused: %2.").arg(fileName, reason));
    const auto* data = reinterpret_cast<const uchar*>(bundle.constData());
    if (!QResource::registerResource(data, kRoot))
        return fail(
            error,
            QStringLiteral("%1 is not a language module (Qt refuses the bundle).").arg(fileName));
    // Qt finds entries by name hashes the check above does not read; each must be found.
    for (const auto& [path, size] : entries) {
        const QResource entry(modulePath(path));
        if (!entry.isValid() || entry.uncompressedSize() != size) {
            QResource::unregisterResource(data, kRoot);
            return fail(error, QStringLiteral("Language module %1 is refused: its file table is "
                                              "damaged (entry %2 cannot be found).")
                                   .arg(fileName, path));
        }
    }

    QJsonObject table;
    if (!readJsonObject(modulePath(QStringLiteral("strings.json")), &table, &reason)) {
        QResource::unregisterResource(data, kRoot);
        return fail(error, QStringLiteral("Language module %1 has no usable string table: %2")
                               .arg(fileName, reason));
    }
    QHash<int, QString> strings;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        bool isNumber = false;
        const int id = it.key().toInt(&isNumber);
        if (!isNumber || !it.value().isString()) {
            QResource::unregisterResource(data, kRoot);
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
    registeredPath_ = info.absoluteFilePath();
    bundle_ = std::move(bundle);
    loaded_ = true;
    currentModule = this;
    return true;
}

void ResourceModule::release() {
    if (loaded_)
        QResource::unregisterResource(reinterpret_cast<const uchar*>(bundle_.constData()), kRoot);
    if (currentModule == this)
        currentModule = nullptr;
    loaded_ = false;
    registeredPath_.clear();
    bundle_.clear();
    strings_.clear();
    language_ = 0;
    version_.clear();
    loader_.reset();
    templates_.clear();
}

ResourceModule* ResourceModule::current() {
    return currentModule;
}

QWidget* ResourceModule::createDialog(int id, QWidget* parent, QString* error) const {
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (dialog %1).").arg(id));
        return nullptr;
    }
    if (!loader_) {
        loader_ = std::make_unique<QUiLoader>();
        // Relative picture paths in a template resolve inside the bundle.
        loader_->setWorkingDirectory(QDir(modulePath(QStringLiteral("dialog"))));
    }
    QUiLoader& loader = *loader_;
    QByteArray ui = templates_.value(id);
    if (ui.isNull()) {
        ui = dialogText(id, error);
        if (ui.isNull())
            return nullptr;
        QString unknown;
        if (!hasOnlyKnownClasses(ui, loader, &unknown)) {
            fail(error,
                 QStringLiteral("Dialog %1 of language module %2 cannot be built: it names %3.")
                     .arg(id)
                     .arg(fileName_, unknown.isEmpty() ? QStringLiteral("an unnamed class")
                                                       : QStringLiteral("\"%1\"").arg(unknown)));
            return nullptr;
        }
        templates_.insert(id, ui);
    }
    QBuffer buffer;
    buffer.setData(ui);
    buffer.open(QIODevice::ReadOnly);
    QWidget* dialog = loader.load(&buffer, parent);
    if (dialog == nullptr) {
        fail(error, QStringLiteral("Dialog %1 of language module %2 cannot be built: %3")
                        .arg(id)
                        .arg(fileName_, loader.errorString()));
        return nullptr;
    }
    // Templates mark controls that start out hidden with this property; hiding them
    // explicitly keeps them hidden when the dialog itself is shown.
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (child->property("hiddenOnCreate").toBool())
            child->setVisible(false);
    }
    return dialog;
}

QByteArray ResourceModule::dialogText(int id, QString* error) const {
    QFile file(modulePath(QStringLiteral("dialog/%1.ui").arg(id)));
    if (!loaded_ || !file.open(QIODevice::ReadOnly)) {
        fail(error,
             loaded_
                 ? QStringLiteral("Language module %1 holds no dialog %2.").arg(fileName_).arg(id)
                 : QStringLiteral("No language module is loaded (dialog %1).").arg(id));
        return {};
    }
    return file.readAll();
}

QString ResourceModule::string(int id, QString* error) const {
    const auto it = strings_.constFind(id);
    if (it == strings_.constEnd()) {
        fail(error,
             loaded_
                 ? QStringLiteral("Language module %1 holds no string %2.").arg(fileName_).arg(id)
                 : QStringLiteral("No language module is loaded (string %1).").arg(id));
        return {};
    }
    return *it;
}

bool ResourceModule::hasString(int id) const {
    return strings_.contains(id);
}

QImage ResourceModule::picture(const char* kind, const QString& file, int id,
                               QString* error) const {
    const QString what = QString::fromLatin1(kind);
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (%1 %2).").arg(what).arg(id));
        return {};
    }
    const QString path = modulePath(file);
    if (!QFile::exists(path)) {
        fail(error,
             QStringLiteral("Language module %1 holds no %2 %3.").arg(fileName_, what).arg(id));
        return {};
    }
    // Read now: anything made from the path would read lazily, after the module may be gone.
    QString reason;
    const QImage image = readImage(path, &reason);
    if (image.isNull()) {
        const QString name = what.left(1).toUpper() + what.mid(1);
        fail(error, QStringLiteral("%1 %2 of language module %3 is damaged: %4")
                        .arg(name)
                        .arg(id)
                        .arg(fileName_, reason));
    }
    return image;
}

QPixmap ResourceModule::bitmap(int id, QString* error) const {
    const QImage image = picture("bitmap", QStringLiteral("bitmap/%1.bmp").arg(id), id, error);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon ResourceModule::icon(int id, QString* error) const {
    const QImage image = picture("icon", QStringLiteral("icon/%1.png").arg(id), id, error);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

int ResourceModule::language() const {
    return language_;
}

QString ResourceModule::version() const {
    return version_;
}

QString ResourceModule::languageName() const {
    switch (language()) {
        case English:
            return QStringLiteral("english");
        case Chinese:
            return QStringLiteral("chinese");
        default:
            return {};
    }
}
