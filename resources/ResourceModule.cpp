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
#include <QtEndian>

#include <vector>

namespace {

const QString kRoot = QStringLiteral("/module");
// Far above any real bundle; keeps a wrongly named huge file from being read into memory.
constexpr qint64 kMaxBundleSize = 64 * 1024 * 1024;

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

// Checks that every offset inside a resource bundle stays inside the file. Qt trusts these
// offsets, so a truncated or corrupted bundle would otherwise be read past its end.
bool isSoundBundle(const QByteArray& bytes) {
    const quint64 size = quint64(bytes.size());
    const auto* d = reinterpret_cast<const uchar*>(bytes.constData());
    const auto u16 = [d](quint64 at) { return quint64(qFromBigEndian<quint16>(d + at)); };
    const auto u32 = [d](quint64 at) { return quint64(qFromBigEndian<quint32>(d + at)); };

    if (size < 20 || !bytes.startsWith("qres")) return false;
    const quint64 version = u32(4);
    if (version < 1 || version > 3) return false;
    const quint64 tree = u32(8), data = u32(12), names = u32(16);
    const quint64 headerSize = version >= 3 ? 24 : 20;
    const quint64 nodeSize = version >= 2 ? 22 : 14;  // later versions add a modification time
    if (size < headerSize || tree > size || data > size || names > size) return false;
    const quint64 nodeCount = (size - tree) / nodeSize;
    if (nodeCount == 0) return false;

    constexpr quint64 kDirectory = 0x02;
    std::vector<bool> seen(nodeCount, false);
    std::vector<quint64> pending{0};
    while (!pending.empty()) {
        const quint64 node = pending.back();
        pending.pop_back();
        if (node >= nodeCount || seen[node]) return false;
        seen[node] = true;
        const quint64 at = tree + node * nodeSize;
        const quint64 name = names + u32(at);  // length, hash, then UTF-16 characters
        if (name + 6 > size || name + 6 + 2 * u16(name) > size) return false;
        if (u16(at + 4) & kDirectory) {
            const quint64 count = u32(at + 6), first = u32(at + 10);
            if (first + count > nodeCount) return false;
            for (quint64 child = first; child < first + count; ++child) pending.push_back(child);
        } else {
            const quint64 blob = data + u32(at + 10);  // length, then the (compressed) content
            if (blob + 4 > size || blob + 4 + u32(blob) > size) return false;
        }
    }
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
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Language module %1 cannot be read.").arg(fileName));
    if (file.size() > kMaxBundleSize)
        return fail(error, QStringLiteral("%1 is too large to be a language module.").arg(fileName));
    QByteArray bundle = file.readAll();
    file.close();
    // Registered from these very bytes, so what was checked is what is used.
    const auto* data = reinterpret_cast<const uchar*>(bundle.constData());
    if (!isSoundBundle(bundle) || !QResource::registerResource(data, kRoot))
        return fail(error, QStringLiteral("%1 is not a language module (not a resource bundle, or a "
                                          "damaged one).")
                               .arg(fileName));

    QJsonObject table;
    QString reason;
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
    if (loaded_) QResource::unregisterResource(reinterpret_cast<const uchar*>(bundle_.constData()), kRoot);
    if (currentModule == this) currentModule = nullptr;
    loaded_ = false;
    registeredPath_.clear();
    bundle_.clear();
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

QImage ResourceModule::picture(const char* kind, const QString& file, int id,
                               QString* error) const {
    const QString what = QString::fromLatin1(kind);
    if (!loaded_) {
        fail(error, QStringLiteral("No language module is loaded (%1 %2).").arg(what).arg(id));
        return {};
    }
    const QString path = modulePath(file);
    if (!QFile::exists(path)) {
        fail(error, QStringLiteral("Language module %1 holds no %2 %3.").arg(fileName_, what).arg(id));
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

int ResourceModule::language() const { return language_; }

QString ResourceModule::version() const { return version_; }
